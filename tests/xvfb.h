// xvfb.h - a private X server for one test or benchmark process.
#pragma once

// Xvfb (1024x768x24) as DISPLAY until this process ends; false, the reason said, if none.
bool StartOwnXvfb();
