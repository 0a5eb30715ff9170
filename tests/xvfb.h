// xvfb.h - a private X server for one test or benchmark process.
#pragma once

// Starts Xvfb (1024 x 768, 24 bits) on a display number of the server's
// choosing and points DISPLAY at it, so that processes running side by side
// never share a server. The server stops when this process exits, and also
// when it dies. Once per process; false, with the reason on standard error,
// when no server started.
bool StartOwnXvfb();
