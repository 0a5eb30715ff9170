// die.cpp - the end of the program after a failure it cannot go on after.
//
// On Windows a message box with the caption "Vantor"; elsewhere the line
// "Vantor: <message>" on the standard error stream, unless the message is the
// display library's last error, which the library has written there already.
// Then exit status 1.

#include "setup.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

void Die(const char *msg)
{
    if (!msg || !*msg) msg = "An unknown error occurred.";
#ifdef _WIN32
    MessageBoxA(nullptr, msg, "Vantor", MB_ICONERROR);
#else
    if (msg != ImageError()) std::fprintf(stderr, "Vantor: %s\n", msg);
#endif
    std::exit(1);
}
