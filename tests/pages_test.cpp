// The setup's pages where the flows cannot reach: hand-edited values and limits.

#include "display.h"
#include "display_report.h"
#include "gamma_page.h"
#include "pages.h"
#include "questions.h"
#include "run_display_test.h"
#include "window_scale.h"

#include <climits>
#include <set>

TEST(Pages, HandEditedValuesSizeListRowsTestDisplayVerdictRevertAdvice)
{
    settings s = defaults;
    EXPECT_STREQ(MainSummary(s).text, "OpenGL, 800x600 (Full screen)");
    s.backend = 1, s.flags = IMAGE_SOFTWARE_GAMMA | IMAGE_ACCUM; // other bits leave the mode
    EXPECT_STREQ(MainSummary(s).text, "SDL, 800x600 (Windowed)");
    s = {-1, INT_MIN, INT_MIN, -1, 0, 2, 22, 22, 22}; // the longest line
    EXPECT_STREQ(MainSummary(s).text, "Unknown back-end, -2147483648x-2147483648 (Full screen)");
    EXPECT_EQ(std::string(GammaText(22).text) + GammaText(50).text + GammaText(1).text,
              "2.25.00.1");
    // Numeric entry at the int limits and at the maximum (above it: the pages flows).
    constexpr auto TYPING = entry_state::typing;
    const std::tuple<int, int, int, entry_state, int> entries[] = {
        {6, samples_entry.max, '4', TYPING, 64}, // the maximum itself
        {0, 64, SDLK_DOWN, TYPING, 0},           // a pad's steps, within 0..max (up: the pad flow)
        {20000, 9999, SDLK_DOWN, TYPING, 9999},
        {-45, 9999, SDLK_BACKSPACE, TYPING, -4},
        {INT_MAX, INT_MAX, '7', TYPING, INT_MAX},
        {INT_MIN, 9999, '1', TYPING, INT_MIN},
        {20000, 9999, SDLK_ESCAPE, entry_state::cancelled, 20000},
        {20000, 9999, SDLK_RETURN, entry_state::accepted, 20000}};
    for (const auto &[start, max, key, done, value] : entries) {
        const entry_step e = EntryKey(start, max, key);
        EXPECT_EQ(std::pair(e.state, e.value), std::pair(done, value)) << start << " " << key;
    }
    // Every size listed, "Other..." and "Cancel" have rows of their own.
    int sizes[20][2];
    for (int k = 0; k < 20; ++k) sizes[k][0] = 640 + k, sizes[k][1] = 480;
    for (int n : {1, 15, 16, 20}) {
        const size_page page(sizes, n);
        std::set<int> rows;
        for (int i = 0; i < page.count + 2; ++i) rows.insert(page.items[i].y);
        EXPECT_EQ(static_cast<int>(rows.size()), page.count + 2) << n;
        EXPECT_EQ(*rows.rbegin(), 23) << n;
        EXPECT_STREQ(page.items[page.count].text, "Other...") << n;
    }
    // "Test display": the status line, what a revert puts back, the advice.
    const std::pair<test_verdict, std::string> verdicts[] = {
        // The reason is the last "Vantor: " line; else the status.
        {JudgeDisplayTest(1, "Back-end: SDL\nVantor: first\nVantor: Too small\r\nUsage: x\n"),
         "Too small"},
        {JudgeDisplayTest(1, "Vantor: last, unfinished"), "last, unfinished"},
        {JudgeDisplayTest(2, "Vantor:\nVantor: \n"), "it ended with status 2"},
        {JudgeDisplayTest(-1, "Back-end: OpenGL\n"), "it stopped unexpectedly"},
        // Cut to the status line's 127 characters, or whole when it fits.
        {{test_outcome::failed, std::string(110, 'x')}, std::string(103, 'x') + "..."},
        {{test_outcome::failed, std::string(106, 'x')}, std::string(106, 'x')},
    };
    for (const auto &[verdict, reason] : verdicts)
        EXPECT_EQ(StatusLine(verdict), "Display test failed: " + reason);
    // Kept, then reverted: back to what was kept, not to what was read; the
    // fields tried only, and of the flags bits 0 and 1 only.
    session ses;
    ses.rec = ses.kept = {0, 1, 2, 4 | 8, 4, 5, 6, 7, 8};
    ses.rec.width = 640;
    ApplyVerdict(ses, {test_outcome::kept, {}});
    ses.rec = {1, 800, 480, -1, 0, 2, 22, 23, 24};
    ApplyVerdict(ses, {test_outcome::reverted, {}});
    EXPECT_EQ(FormatSettings(ses.rec), "0 640 2 -4 4 5 22 23 24\n");
    ses.rec.samples = 9;
    ApplyVerdict(ses, {test_outcome::failed, "x"});
    EXPECT_EQ(ses.rec.samples, 5);

    for (auto [name, software] : {std::pair{"Gallium 0.4 on softpipe", true},
                                  {"NVIDIA GeForce GTX 1060", false},
                                  {nullptr, false}})
        EXPECT_EQ(SoftwareRenderer(name), software) << (name ? name : "null");

    const int modes[][2] = {{1920, 1080}, {1024, 768}, {800, 600}, {640, 480}, {320, 200}};
    constexpr int FULL = IMAGE_FULLSCREEN;
    const std::string small = "Too small: the minimum is 40 x 25";
    auto rec_of = [](int backend, int width, int height, int flags) {
        return settings{backend, width, height, flags, 0, 2, 22, 22, 22};
    };
    const settings odd = rec_of(0, 1234, 567, FULL | IMAGE_ACCUM); // a size no list offers
    // The record; modes listed; whether it opens without accumulation; advice.
    const std::tuple<settings, int, bool, std::string> advice[] = {
        {odd, 5, false, "Not offered in full screen; try 1920x1080, 1024x768, 800x600, 640x480"},
        {odd, 0, false, ""}, // any size, or no list
        {odd, 5, true, "No accumulation buffer here: turn it off"},
        {rec_of(0, 800, 600, FULL), 5, false, ""}, // offered
        {rec_of(0, 1234, 567, 0), 5, false, ""},   // windowed
        {rec_of(0, 39, 600, FULL), 5, true, small},
        {rec_of(1, 40, 24, 0), 0, false, small},
    };
    for (const auto &[r, count, without_accum, want] : advice)
        EXPECT_EQ(RefusalAdvice(r, modes, count, without_accum), want) << FormatSettings(r);
}

// 600 x 120 pixels from y 95: white, red, green, blue bands, flat over half-lit; the levels.
// (The flows check the picture at the defaults: the README's, at scale 2, at the Steam Deck's.)
TEST(GammaPicture, BandsFollowTheValuesLevelsAndSteps)
{
    Open();
    session ses;
    gamma_state state;
    frame f;
    auto at = [&](int x, int y) { return f.At(x, 95 + y); };
    // Each band's flat field follows the values, kept in range; the chosen channels' values shown.
    for (auto [g, b, mode, rgb, shown] :
         {std::tuple{10, 22, MODE_G, 0xBA7FBAu, 2}, {10, 500, MODE_ALL, 0xBA7FFBu, 7}}) {
        ses.rec.gamma_g = g, ses.rec.gamma_b = b, state.mode = mode;
        DrawPage(gamma_page, ses, state);
        f = Frame();
        EXPECT_EQ(std::vector({at(5, 0), at(5, 30), at(5, 60), at(5, 90)}),
                  std::vector({rgb, rgb & 0xFF0000, rgb & 0xFF00, rgb & 0xFF}));
        for (int c : {0, 1, 2}) // bit c of `shown`
            EXPECT_EQ(f.Bounds(150 * c + 120, 255, 150 * c + 180, 270)[2] > 0,
                      (shown >> c & 1) == 1)
                << c;
    }
    for (auto [g, level] : {std::pair{5, 63}, {50, 221}, {INT_MIN, 0}, {INT_MAX, 254}})
        EXPECT_EQ(GammaLevel(g), level) << g;
    // Steps stop at 1 and 50; values beyond (hand-edited) step back toward them.
    settings rec = defaults;
    rec.gamma_r = 1, rec.gamma_g = -5, rec.gamma_b = 50;
    for (auto [mode, step] : {std::pair{MODE_ALL, +1}, {MODE_ALL, -1}, {MODE_R, -1}})
        StepGamma(rec, mode, step);
    EXPECT_EQ(FormatSettings(rec), "0 800 600 1 0 2 1 -4 49\n");
}

// The setup's window: --scale, VANTOR_SCALE, gamescope, the desktop's DPI, GDK_SCALE, in that
// order, then at most what fits the desktop (when its size is known).
TEST(WindowScale, SourcesInOrderAndTheFit)
{
    // The inputs; the window's width and height, whether full screen, whether warned.
    // clang-format off
    const std::tuple<scale_inputs, int, int, bool, bool> rows[] = {
        {{}, 600, 375, false, false},
        {{.dpi = 191, .gdk_scale = "2", .desktop_w = 2560, .desktop_h = 1600}, 600, 375, 0, 0},
        {{.dpi = 288, .desktop_w = 1920, .desktop_h = 1080}, 1200, 750, false, false},
        {{.option = 3, .variable = "2", .dpi = 96}, 1800, 1125, false, false},
        {{.variable = "02", .gamescope = true, .desktop_w = 1280, .desktop_h = 800}, 1200, 750, 0, 0},
        {{.gamescope = true, .dpi = 192, .desktop_w = 1280, .desktop_h = 800}, 1280, 800, 1, 0},
        {{.variable = "0", .dpi = 192}, 1200, 750, false, true},
        {{.variable = "+2", .gdk_scale = "3"}, 1800, 1125, false, true},
        {{.variable = "", .gdk_scale = "2x"}, 600, 375, false, true},
        {{.option = 99999, .desktop_w = 1024, .desktop_h = 768}, 600, 375, false, false},
    };
    // clang-format on
    for (const auto &[in, width, height, fullscreen, warned] : rows) {
        const window_size got = ChooseWindow(in);
        EXPECT_EQ(std::tuple(got.width, got.height, got.fullscreen, !got.warning.empty()),
                  std::tuple(width, height, fullscreen, warned))
            << in.option << " " << (in.variable ? in.variable : "-") << " " << in.dpi;
    }
}
