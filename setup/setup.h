// setup.h - the setup program's shared state and pages.
//
// The program edits one settings record `s` page by page and writes it only on
// "Save and exit". Its own window is always the SDL back-end, 600 x 375
// windowed (15 pixels a canvas unit), whatever the user chooses for the game.
#pragma once

#include "image.h"
#include "settings.h"

#include <array>
#include <string>

// The record being edited; filled at start-up, written by "Save and exit".
extern settings s;
// "logo.png", drawn at the top left of every page when it could be loaded.
extern image logo;
extern bool logo_loaded;

// Ends the program after a failure it cannot go on after: the message to the
// user, then exit status 1.
[[noreturn]] void Die(const char *msg);

// The settings file's path for this user, computed from the environment.
std::string SettingsPath();

// Names of the configured back-end and screen mode.
const char *Backend();
const char *Mode();

// Clears the screen and draws what every page has: the logo and the title.
void DrawPageTop(const char *title);

// The main page's summary line, for example "OpenGL, 800x600 (Full screen)".
struct summary_line {
    char text[sizeof "Unknown back-end, -2147483648x-2147483648 (Full screen)"];
};
summary_line MainSummary();

// The main page: its items, its draw operation and its loop. MainMenu returns
// when the user leaves through the page (after saving or not).
extern const std::array<menuitem, 5> main_items;
void DrawMainMenu();
void MainMenu();
