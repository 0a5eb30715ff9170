// die.cpp - the end of the program after a failure it cannot go on after.
//
// The message goes to the user the platform's way (platform.h: on Windows a
// message box captioned "Vantor"; elsewhere a line on the standard error
// stream, which the display library has written already when the message is
// its last error). Then exit status 1.

#include "setup.h"

#include "platform.h"

#include <cstdlib>

void Die(const char *msg)
{
    if (!msg || !*msg) msg = "An unknown error occurred.";
    platform::ShowFatalError(msg, msg == ImageError());
    std::exit(1);
}
