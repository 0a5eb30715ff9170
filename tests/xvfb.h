// xvfb.h - a private X server for one test or benchmark process.
#pragma once

// Starts Xvfb (1024 x 768, 24 bits) on a free display, DISPLAY pointing at it, until this
// process ends; false, with the reason on standard error, when none started.
bool StartOwnXvfb();
