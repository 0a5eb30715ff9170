// pages.h - the options pages: the main page, the graphics options and the
// antialiasing options.
#pragma once

#include "setup.h"

// The main page's summary line, for example "OpenGL, 800x600 (Full screen)".
struct summary_line {
    char text[sizeof "Unknown back-end, -2147483648x-2147483648 (Full screen)"];
};
summary_line MainSummary(const settings &rec);

// The main page and the graphics options page.
extern const page<no_state> main_page;
extern const page<no_state> graphics_page;

// Shows the main page; returns when the user leaves it, after saving or not.
void MainMenu(session &ses);
