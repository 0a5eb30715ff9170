// setup.h - the setup program's shared state and pages.
//
// The program edits one settings record `s` page by page and writes it only on
// "Save and exit". Its own window is always the SDL back-end, 600 x 375
// windowed (15 pixels a canvas unit), whatever the user chooses for the game.
#pragma once

#include "image.h"
#include "settings.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <string>

// The setup's palette: linear 0xRRGGBB colour words for the pages and the
// display test (the library draws the menu's bars in its own colours).
namespace palette {
inline constexpr Uint32 TITLE = 0x261c78;    // page titles
inline constexpr Uint32 TEXT = 0x4f4f4f;     // questions, current values, the countdown
inline constexpr Uint32 BOX = 0x19450d;      // the numeric entry's box, like a menu bar
inline constexpr Uint32 INK = 0x000000;      // the number and the cursor in the box
inline constexpr Uint32 REPORT = 0x9f9f9f;   // the display test's lines
inline constexpr Uint32 WARNING = 0xd8a020;  // the display test's warning
inline constexpr Uint32 INACTIVE = 0x2f2f2f; // item labels while the display test runs
// The gamma values of the red, green and blue channels.
inline constexpr std::array<Uint32, 3> CHANNELS{0x542219, 0x54a63c, 0x261c78};
} // namespace palette

// The record being edited; filled at start-up, written by "Save and exit".
extern settings s;
// "logo.png", drawn at the top left of every page when it could be loaded.
extern image logo;
extern bool logo_loaded;

// Ends the program after a failure it cannot go on after: the message to the
// user, then exit status 1.
[[noreturn]] void Die(const char *msg);

// Ends the program through Die when no display can be reached: on X11 and
// Wayland systems, when neither DISPLAY nor WAYLAND_DISPLAY is set and no
// video driver was chosen through SDL_VIDEODRIVER. Called first of all, so
// that nothing is written before it. Does nothing on Windows and macOS.
void RequireDisplay();

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

// Runs a page through ImageMenu and returns the code chosen; a failure of the
// menu widget ends the program with the library's message.
int ShowPage(void (*draw)(), int num_items, const menuitem *items, int selected);

// A gamma value in tenths as the pages show it: 22 as "2.2".
struct gamma_text {
    char text[sizeof "-214748364.-8"];
};
gamma_text GammaText(int tenths);

// The options pages: item tables, draw operations and loops. MainMenu returns
// when the user leaves through the main page (after saving or not); the others
// return to the page that opened them.
extern const std::array<menuitem, 5> main_items;
extern const std::array<menuitem, 7> graphics_items;
void DrawMainMenu();
void DrawGraphicsMenu();
void DrawAntialiasMenu();
void MainMenu();
void GraphicsMenu();
void AntialiasMenu();

// ---------------------------------------------------------------------------
// "Test display" (run_display_test.cpp)

// The display settings last known to be good: those read at start-up, then
// those the user kept after a test. Revert and failure go back to them.
extern settings kept_display;

// Runs the display test on `s`, waiting with the page alive, and acts on the
// outcome: the status line, and the tried fields back on revert or failure.
void TestDisplay();

enum class test_outcome { kept, reverted, failed };
struct test_verdict {
    test_outcome outcome;
    std::string reason; // failed only: why, for the user
};

// Runs vantor-display-test on the record and waits for its verdict.
test_verdict RunDisplayTest(const settings &rec);

// What the display test's end means: status 0 kept, 3 reverted; anything
// else failed, for the reason on its last "Vantor: " line, else its status
// (-1: ended by a signal).
test_verdict JudgeDisplayTest(int exit_status, const std::string &output);

// The status line for a verdict, at most 63 characters: "Settings kept.",
// "Settings reverted." or "Display test failed: <reason>", cut with "...".
std::string StatusLine(const test_verdict &verdict);

// Puts back the fields a display test tries (back-end, width, height, the
// full-screen and accumulation-buffer bits of flags, antialias, samples)
// from `from`; gamma and the other bits of flags stay.
void RestoreDisplayFields(settings &rec, const settings &from);

// ---------------------------------------------------------------------------
// Question pages (questions.cpp)

// Title and question of the list question being shown.
extern const char *menu_title;
extern const char *menu_question;

// One choice of a list question: its text and the non-zero answer it gives.
struct choice {
    const char *text;
    int value;
};

// Draw operation of a list question.
void DrawMenu();

// Asks a list question: the choices at column 10 on every second row from row
// 7, then "Cancel". Stores the answer chosen through np; "Cancel" and Escape
// leave it as it was.
void Menu(const char *title, const char *question, int *np, std::initializer_list<choice> choices);

// The list questions of the setup, each with how its answer changes the record.
struct list_question {
    const char *title;
    const char *question;
    std::array<choice, 2> choices;
    void (*apply)(settings &rec, int answer);
};
extern const list_question backend_question;
extern const list_question mode_question;
extern const list_question antialias_question;
extern const list_question accum_question;

// Asks one of them about `s` and applies the answer.
void Ask(const list_question &q);

// A numeric entry starting at n: typing appends digits while the value stays
// within `max`, Backspace drops the last digit, Return accepts, Escape
// cancels. `f` draws the page (and presents it) for the current value.
// Returns the value accepted, or nothing after Escape: the caller then keeps
// what it had, whatever the entry showed.
using number_draw = void (*)(int n, void *p);
std::optional<int> ReadNumber(number_draw f, int n, int max, void *p);

// What one key does to a numeric entry: the value to go on with while
// typing, the value accepted, or cancelled.
enum class entry_state { typing, accepted, cancelled };
struct entry_step {
    entry_state state;
    int value;
};
entry_step EntryKey(int value, int max, int sym);

// Draw operations of the numeric entries; p points to 0 for the width and to
// non-zero for the height.
void ReadResolution(int n, void *p);
void ReadSamples(int n, void *p);

// Width, then height, typed in; a size below IMAGE_MIN_WIDTH x
// IMAGE_MIN_HEIGHT is stored as that.
void ChooseResolution();

// The items of the display-size list: the first MAX_SIZES sizes, one a row
// from row 7, "Other..." (code -1) on the row after them and "Cancel" on row
// 23, so that every item has a row of its own.
struct size_page {
    static constexpr int MAX_SIZES = 15;
    int count; // sizes listed
    std::array<std::array<char, sizeof "-2147483648x-2147483648">, MAX_SIZES> texts{};
    std::array<menuitem, MAX_SIZES + 2> items{};

    size_page(const int sizes[][2], int n);
    size_page(const size_page &) = delete; // the items point into texts
    size_page &operator=(const size_page &) = delete;
};

// The display-size list, with "Other..." leading to ChooseResolution.
void ResolutionMenu();
// The samples entry: at most 64; a value below 2 is accepted as 2, and Escape
// leaves the record as it was (even below 2, from a hand-edited file).
void SamplesEntry();

// ---------------------------------------------------------------------------
// Gamma calibration page (gamma_page.cpp)

enum gamma_mode_id { MODE_R = 0, MODE_G = 1, MODE_B = 2, MODE_ALL = 3 };
// The channels that "Darker" and "Lighter" change and whose values are shown.
extern int gamma_mode;

// The flat-field level that matches a half-lit pattern on a display of the
// given gamma (tenths): 255 * 0.5^(10 / g), truncated; 0 for g <= 0.
int GammaLevel(int tenths);

// "Darker" (step -1) or "Lighter" (+1) on the channels of `mode`, each kept
// within 1..50.
void StepGamma(settings &rec, int mode, int step);

extern const std::array<menuitem, 7> gamma_items;
void DrawGammaMenu();
void GammaMenu();
