// pages.cpp - the options pages (pages.h).
//
// The options pages show, one row below each item, the current value of what
// it changes. The values come from the settings file unchecked, so a line may
// hold "Unknown back-end" and numbers of eleven characters; each line's
// storage is sized for the longest text it can take. Positions are canvas
// units (40 x 25), colours 0xRRGGBB.

#include "pages.h"

#include "gamma_page.h"
#include "questions.h"
#include "run_display_test.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

enum main_code { EXIT = 0, GRAPHICS, SOUND, STATISTICS, SAVE };

constexpr std::array<menuitem, 5> main_items{{
    {10, 6, 20, "Graphics options:", GRAPHICS},
    {10, 10, 20, "Sound options:", SOUND},
    {10, 14, 20, "Game statistics", STATISTICS},
    {10, 21, 20, "Save and exit", SAVE},
    {10, 23, 20, "Exit without saving", EXIT},
}};

enum graphics_code { RETURN = 0, BACKEND, RESOLUTION, MODE, ANTIALIAS, GAMMA, TEST };

constexpr std::array<menuitem, 7> graphics_items{{
    {10, 6, 20, "Back-end:", BACKEND},
    {10, 9, 20, "Resolution:", RESOLUTION},
    {10, 12, 20, "Mode:", MODE},
    {10, 15, 20, "Antialiasing:", ANTIALIAS},
    {10, 18, 20, "Gamma correction:", GAMMA},
    {10, 21, 20, "Test display", TEST},
    {10, 23, 20, "Return", RETURN},
}};

enum antialias_code { ANTIALIAS_RETURN = 0, ANTIALIAS_ON, ACCUM, SAMPLES };

constexpr std::array<menuitem, 4> antialias_items{{
    {10, 6, 20, "Antialiasing:", ANTIALIAS_ON},
    {10, 9, 20, "Accumulation buffer:", ACCUM},
    {10, 12, 20, "Supersampling:", SAMPLES},
    {10, 23, 20, "Return", ANTIALIAS_RETURN},
}};

const char *Enabled(bool on)
{
    return on ? "Enabled" : "Disabled";
}

const char *Backend(const settings &rec)
{
    switch (rec.backend) {
    case BACKEND_GL:
        return "OpenGL";
    case BACKEND_SDL:
        return "SDL";
    default:
        return "Unknown back-end";
    }
}

const char *Mode(const settings &rec)
{
    return (rec.flags & IMAGE_FULLSCREEN) ? "Full screen" : "Windowed";
}

void DrawMainLines(const session &ses, no_state &)
{
    TextC(20, 7, MainSummary(ses.rec).text, palette::TEXT);
    TextC(20, 11, "Not yet implemented.", palette::TEXT);
    TextC(20, 15, "Not yet implemented.", palette::TEXT);
}

void DrawGraphicsLines(const session &ses, no_state &)
{
    const settings &s = ses.rec;
    TextC(20, 7, Backend(s), palette::TEXT);
    char size[sizeof "-2147483648x-2147483648"];
    std::snprintf(size, sizeof size, "%dx%d", s.width, s.height);
    TextC(20, 10, size, palette::TEXT);
    TextC(20, 13, Mode(s), palette::TEXT);
    char antialias[sizeof "Disabled (no accumulation), x-2147483648"];
    std::snprintf(antialias, sizeof antialias, "%s (%saccumulation), x%d", Enabled(s.antialias),
                  (s.flags & IMAGE_ACCUM) ? "" : "no ", s.samples);
    TextC(20, 16, antialias, palette::TEXT);
    TextC(15, 19, GammaText(s.gamma_r).text, palette::CHANNELS[0]);
    TextC(20, 19, GammaText(s.gamma_g).text, palette::CHANNELS[1]);
    TextC(25, 19, GammaText(s.gamma_b).text, palette::CHANNELS[2]);
}

void DrawAntialiasLines(const session &ses, no_state &)
{
    const settings &s = ses.rec;
    TextC(20, 7, Enabled(s.antialias), palette::TEXT);
    TextC(20, 10, Enabled(s.flags & IMAGE_ACCUM), palette::TEXT);
    char samples[sizeof "x-2147483648"];
    std::snprintf(samples, sizeof samples, "x%d", s.samples);
    TextC(20, 13, samples, palette::TEXT);
}

outcome ChooseAntialias(session &ses, no_state &, int code)
{
    switch (code) {
    case ANTIALIAS_RETURN:
        return LEAVE;
    case ANTIALIAS_ON:
        Ask(ses, antialias_question);
        break;
    case ACCUM:
        Ask(ses, accum_question);
        break;
    case SAMPLES:
        SamplesEntry(ses);
        break;
    default:
        break;
    }
    return StayOn(ANTIALIAS_ON);
}

const page<no_state> antialias_page{"Vantor Antialiasing Options", antialias_items,
                                    DrawAntialiasLines, ChooseAntialias};

// The graphics page while the display test runs: its lines and, in place of
// the bars, its items' labels dimmed, with "Testing the display..." pulsing
// for "Test display".
void DrawTestingPage(const session &ses)
{
    no_state none;
    DrawPageTop(ses, "Vantor Graphics Options");
    DrawGraphicsLines(ses, none);
    for (const menuitem &item : graphics_items) {
        const float centre = static_cast<float>(item.x) + static_cast<float>(item.width) / 2;
        const bool chosen = item.return_code == TEST;
        TextC(centre, static_cast<float>(item.y), chosen ? "Testing the display..." : item.text,
              chosen ? ImageFlash(palette::TEXT) : palette::INACTIVE);
    }
}

outcome ChooseGraphics(session &ses, no_state &, int code)
{
    no_state none;
    switch (code) {
    case RETURN:
        return LEAVE;
    case BACKEND:
        Ask(ses, backend_question);
        break;
    case RESOLUTION:
        ResolutionMenu(ses);
        break;
    case MODE:
        Ask(ses, mode_question);
        break;
    case ANTIALIAS:
        RunPage(antialias_page, ses, none, ANTIALIAS_ON);
        break;
    case GAMMA:
        GammaMenu(ses);
        break;
    case TEST:
        TestDisplay(ses, DrawTestingPage);
        break;
    default:
        break;
    }
    return StayOn(BACKEND);
}

} // namespace

const page<no_state> graphics_page{"Vantor Graphics Options", graphics_items, DrawGraphicsLines,
                                   ChooseGraphics};

namespace {

// "Save and exit": asks first when another program changed the file since
// it was read (a file that could not be read at all is saved over: the user
// has seen what is saved). A save that fails stays, with the highlight where
// another try is one key away.
outcome Save(session &ses)
{
    constexpr int REPLACE = 1;
    constexpr std::array<choice, 1> replace{{{"Replace", REPLACE}}};
    settings ignored;
    if (ses.file.state != platform::file_read::status::refused &&
        ChangedSince(ses.file, LoadSettings(ignored)) &&
        Choose(ses, "Vantor Settings File",
               "The settings file was changed by another program. Replace it?", replace) != REPLACE)
        return StayOn(SAVE);
    std::string why;
    if (SaveSettings(ses.rec, &why)) return LEAVE;
    ImageStatus("%s: %s.", status::SAVE_FAILED, why.c_str());
    std::fprintf(stderr, "Vantor: %s: %s.\n", status::SAVE_FAILED, why.c_str());
    return StayOn(SAVE);
}

outcome ChooseMain(session &ses, no_state &, int code)
{
    no_state none;
    switch (code) {
    case EXIT: // or Escape
        return LEAVE;
    case GRAPHICS:
        RunPage(graphics_page, ses, none, BACKEND);
        break;
    case SAVE:
        return Save(ses);
    default: // "Sound options:", "Game statistics"
        break;
    }
    return StayOn(GRAPHICS);
}

} // namespace

const page<no_state> main_page{"Vantor Haulage Setup", main_items, DrawMainLines, ChooseMain};

summary_line MainSummary(const settings &rec)
{
    summary_line line;
    std::snprintf(line.text, sizeof line.text, "%s, %dx%d (%s)", Backend(rec), rec.width,
                  rec.height, Mode(rec));
    return line;
}

void MainMenu(session &ses)
{
    no_state none;
    RunPage(main_page, ses, none, GRAPHICS);
}
