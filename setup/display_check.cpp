// display_check.cpp - whether there is a display to open, asked by both
// programs before they read or write anything: without one the program ends
// at once, saying why (platform.h says when that is).

#include "setup.h"

#include "platform.h"

void RequireDisplay()
{
    if (const char *why = platform::MissingDisplay()) Die(why);
}
