// xvfb.h - a private X server for one test or benchmark process.
#pragma once

// Starts Xvfb (1024 x 768, 24 bits) on a free display and points DISPLAY at
// it; the server stops when this process exits or dies. Once per process;
// false, with the reason on standard error, when no server started.
bool StartOwnXvfb();
