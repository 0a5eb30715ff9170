// The setup's pages: what they show for the record as it stands (including
// values a hand-edited file can hold), the questions' answers, numeric entry,
// the gamma page's levels, steps and test picture, and the logo.

#include "display.h"
#include "display_report.h"
#include "setup.h"

#include <climits>
#include <set>
#include <utility>

TEST(Pages, NamesAndSummaryLine)
{
    s = defaults;
    EXPECT_STREQ(MainSummary().text, "OpenGL, 800x600 (Full screen)");
    s.backend = 1;
    s.flags = IMAGE_SOFTWARE_GAMMA | IMAGE_ACCUM; // other bits do not change the mode
    EXPECT_STREQ(Backend(), "SDL");
    EXPECT_STREQ(Mode(), "Windowed");
    for (int b : {2, -1, INT_MIN}) {
        s.backend = b;
        EXPECT_STREQ(Backend(), "Unknown back-end");
    }
    s.width = s.height = INT_MIN; // the longest values fit
    s.flags = -1;
    EXPECT_STREQ(MainSummary().text, "Unknown back-end, -2147483648x-2147483648 (Full screen)");
    EXPECT_STREQ(GammaText(22).text, "2.2");
    EXPECT_STREQ(GammaText(50).text, "5.0");
    EXPECT_STREQ(GammaText(1).text, "0.1");
    EXPECT_STREQ(GammaText(INT_MIN).text, "-214748364.-8"); // as stored, without overflow
}

TEST(Questions, AnswersChangeOnlyTheirOwnField)
{
    settings rec{7, 1, 2, -1, 5, 6, 7, 8, 9}; // flags with every bit set
    mode_question.apply(rec, 1);              // "Windowed"
    EXPECT_EQ(rec.flags, ~IMAGE_FULLSCREEN);
    mode_question.apply(rec, 2);  // "Full screen"
    accum_question.apply(rec, 1); // "No"
    EXPECT_EQ(rec.flags, ~IMAGE_ACCUM);
    accum_question.apply(rec, 3); // "Yes"
    EXPECT_EQ(rec.flags, -1);
    backend_question.apply(rec, 2); // "SDL"
    EXPECT_EQ(rec.backend, 1);
    backend_question.apply(rec, 1); // "OpenGL"
    antialias_question.apply(rec, 2);
    EXPECT_EQ(FormatSettings(rec), "0 1 2 -1 1 6 7 8 9\n");
    // The choices offer exactly the answers the conversions expect.
    EXPECT_STREQ(mode_question.choices[0].text, "Full screen");
    EXPECT_EQ(mode_question.choices[0].value, 2);
    EXPECT_EQ(accum_question.choices[0].value, 3);
}

// "Test display": how the display test's end reads on the status line (its
// exit status and output), and what a revert puts back.
TEST(TestDisplay, VerdictStatusLineAndRevert)
{
    const std::pair<test_verdict, const char *> verdicts[] = {
        {JudgeDisplayTest(0, "Vantor: ignored\n"), "Settings kept."},
        {JudgeDisplayTest(3, ""), "Settings reverted."},
        // The reason is the last "Vantor: " line; else the status.
        {JudgeDisplayTest(1, "Back-end: SDL\nVantor: first\nVantor: Too small\r\nUsage: x\n"),
         "Display test failed: Too small"},
        {JudgeDisplayTest(1, "Vantor: last, unfinished"), "Display test failed: last, unfinished"},
        {JudgeDisplayTest(2, "Vantor:\nVantor: \n"), "Display test failed: it ended with status 2"},
        {JudgeDisplayTest(-1, "Back-end: OpenGL\n"),
         "Display test failed: it stopped unexpectedly"},
        // Cut to the status line's 63 characters.
        {{test_outcome::failed, std::string(60, 'x')},
         "Display test failed: xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx..."},
    };
    for (const auto &[verdict, line] : verdicts) EXPECT_EQ(StatusLine(verdict), line);
    EXPECT_EQ(StatusLine({test_outcome::failed, std::string(42, 'x')}).size(), 63u); // fits whole

    settings rec{0, 1, 2, -1, 4, 5, 6, 7, 8};
    RestoreDisplayFields(rec, {1, 640, 480, 4 | 8, 0, 2, 22, 22, 22});
    EXPECT_EQ(FormatSettings(rec), "1 640 480 -4 0 2 6 7 8\n"); // bits 0 and 1 only
}

// The display test's own report: software OpenGL named, and the advice for a
// refused record, each only where the display can confirm it.
TEST(TestDisplay, SoftwareRendererAndAdvice)
{
    for (const char *soft : {"llvmpipe (LLVM 15.0.6, 256 bits)", "Gallium 0.4 on softpipe",
                             "Mesa DRI swrast", "GDI Generic", "Microsoft Basic Render Driver"})
        EXPECT_TRUE(SoftwareRenderer(soft)) << soft;
    for (const char *card :
         {"AMD Radeon RX 6600 (radeonsi, navi23)", "NVIDIA GeForce GTX 1060", ""})
        EXPECT_FALSE(SoftwareRenderer(card)) << card;
    EXPECT_FALSE(SoftwareRenderer(nullptr));

    const int modes[][2] = {{1920, 1080}, {1024, 768}, {800, 600}, {640, 480}, {320, 200}};
    const settings full{0, 1234, 567, IMAGE_FULLSCREEN | IMAGE_ACCUM, 0, 2, 22, 22, 22};
    auto advice = [&](settings rec, int count, bool without_accum) {
        return RefusalAdvice(rec, modes, count, without_accum);
    };
    EXPECT_EQ(advice(full, 5, false),
              "Not offered in full screen; try 1920x1080, 1024x768, 800x600, 640x480");
    EXPECT_EQ(advice(full, 1, false), "Not offered in full screen; try 1920x1080");
    EXPECT_EQ(advice(full, 0, false), ""); // any size, or no list
    EXPECT_EQ(advice(full, 5, true), "No accumulation buffer here: turn it off");
    EXPECT_EQ(advice({0, 800, 600, IMAGE_FULLSCREEN, 0, 2, 22, 22, 22}, 5, false), ""); // offered
    EXPECT_EQ(advice({0, 1234, 567, 0, 0, 2, 22, 22, 22}, 5, false), "");               // windowed
    EXPECT_EQ(advice({0, 39, 600, IMAGE_FULLSCREEN, 0, 2, 22, 22, 22}, 5, true),
              "Too small: the minimum is 40 x 25");
    EXPECT_EQ(advice({1, 40, 24, 0, 0, 2, 22, 22, 22}, 0, false),
              "Too small: the minimum is 40 x 25");
}

TEST(Questions, EveryItemOfTheSizeListHasARowOfItsOwn)
{
    int sizes[20][2];
    for (int k = 0; k < 20; ++k) sizes[k][0] = 640 + k, sizes[k][1] = 480;
    for (int n : {1, 15, 16, 20}) {
        const size_page page(sizes, n);
        std::set<int> rows;
        for (int i = 0; i < page.count + 2; ++i) rows.insert(page.items[i].y);
        EXPECT_EQ(static_cast<int>(rows.size()), page.count + 2) << n;
        EXPECT_EQ(*rows.rbegin(), 23) << n; // "Cancel"
        EXPECT_STREQ(page.items[page.count].text, "Other...") << n;
    }
}

TEST(NumericEntry, TypingWithinTheMaximumReturnAndEscape)
{
    auto type = [](int value, int max, std::initializer_list<int> keys) {
        for (int k : keys) value = EntryKey(value, max, k).value;
        return value;
    };
    EXPECT_EQ(type(800, 9999, {'5', '1'}), 8005); // 80051 is too large
    EXPECT_EQ(type(2, 64, {'9', '9'}), 29);
    EXPECT_EQ(type(0, 9999, {'0', '0', '4'}), 4);
    EXPECT_EQ(type(-45, 9999, {SDLK_BACKSPACE}), -4); // toward zero
    EXPECT_EQ(type(12, 9999, {SDLK_KP5, SDLK_KP_ENTER, SDLK_a, SDLK_MINUS}), 12);
    // Near the int limits (from a hand-edited file): no overflow.
    EXPECT_EQ(type(INT_MAX, INT_MAX, {'7'}), INT_MAX);
    EXPECT_EQ(type(INT_MIN, 9999, {'1'}), INT_MIN);
    EXPECT_EQ(type(-214748364, 9999, {'8'}), -214748364 * 10 + 8);
    // Return accepts, Escape cancels; the keypad's Enter is no key here.
    EXPECT_EQ(EntryKey(8005, 9999, SDLK_RETURN).state, entry_state::accepted);
    EXPECT_EQ(EntryKey(8005, 9999, SDLK_ESCAPE).state, entry_state::cancelled);
    EXPECT_EQ(EntryKey(8005, 9999, SDLK_KP_ENTER).state, entry_state::typing);
    EXPECT_EQ(EntryKey(20000, 9999, SDLK_RETURN).value, 20000); // kept above the maximum
}

TEST(GammaPage, LevelsAndSteps)
{
    const std::pair<int, int> levels[] = {{1, 0},    {5, 63}, {10, 127}, {22, 186},   {50, 221},
                                          {60, 227}, {0, 0},  {-7, 0},   {INT_MIN, 0}};
    for (auto [g, level] : levels) EXPECT_EQ(GammaLevel(g), level) << g;
    EXPECT_LE(GammaLevel(INT_MAX), 255);
    // Darker and Lighter stop at 1 and 50, each channel on its own.
    settings rec = defaults;
    rec.gamma_r = 1;
    StepGamma(rec, MODE_ALL, -1);
    EXPECT_EQ(FormatSettings(rec), "0 800 600 1 0 2 1 21 21\n");
    StepGamma(rec, MODE_G, +1);
    EXPECT_EQ(FormatSettings(rec), "0 800 600 1 0 2 1 22 21\n");
    rec.gamma_b = 50;
    StepGamma(rec, MODE_B, +1);
    StepGamma(rec, MODE_R, -1);
    EXPECT_EQ(FormatSettings(rec), "0 800 600 1 0 2 1 22 50\n");
    // Values beyond the range (from a hand-edited file) step back toward it.
    rec.gamma_r = 60;
    rec.gamma_g = -5;
    StepGamma(rec, MODE_ALL, +1);
    EXPECT_EQ(rec.gamma_r, 60);
    EXPECT_EQ(rec.gamma_g, -4);
    StepGamma(rec, MODE_ALL, -1);
    EXPECT_EQ(rec.gamma_r, 59);
    EXPECT_EQ(rec.gamma_g, -4);
}

namespace {

// The gamma page's test picture on the setup's own window (software gamma
// 2.2 for what the library draws, none for the picture): pixel (x, y) of it.
Uint32 At(int x, int y)
{
    return PixelAt(x, 95 + y);
}

} // namespace

TEST(GammaPicture, BandsOfFlatFieldsAndHalfLitPatterns)
{
    OpenDisplay();
    s = defaults;
    DrawGammaMenu();
    const Uint32 flat[4] = {0xBABABA, 0xBA0000, 0x00BA00, 0x0000BA}; // 186: gamma 2.2
    const Uint32 lit[4] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int band = 0; band < 4; ++band) {
        SCOPED_TRACE(band);
        const int y0 = 30 * band;
        for (int x : {0, 299, 599}) {
            EXPECT_EQ(At(x, y0), flat[band]);
            EXPECT_EQ(At(x, y0 + 13), flat[band]);
        }
        // (x, y, lit): horizontal lines on odd rows across columns 0..199, a
        // checkerboard lit where x + y is odd, vertical lines on odd columns.
        const int pattern[][3] = {{0, 14, 0},   {0, 15, 1},   {199, 29, 1}, {199, 28, 0},
                                  {200, 14, 0}, {201, 14, 1}, {200, 15, 1}, {399, 29, 0},
                                  {400, 20, 0}, {401, 20, 1}, {599, 14, 1}};
        for (const auto &p : pattern)
            EXPECT_EQ(At(p[0], y0 + p[1]), p[2] ? lit[band] : 0u) << p[0] << "," << p[1];
    }
    int lit_pixels = 0; // exactly half of every pattern is lit
    for (int y = 14; y < 30; ++y)
        for (int x = 0; x < 600; ++x) lit_pixels += At(x, y) != 0;
    EXPECT_EQ(lit_pixels, 600 * 16 / 2);
}

TEST(GammaPicture, FollowsTheValuesAndShowsTheChosenChannels)
{
    OpenDisplay();
    s = defaults;
    DrawGammaMenu();
    s.gamma_g = 10;
    DrawGammaMenu();
    EXPECT_EQ(At(5, 0), 0xBA7FBAu);
    EXPECT_EQ(At(5, 60), 0x007F00u);
    EXPECT_EQ(At(5, 30), 0xBA0000u);
    // Only the values of the chosen channels stand under their items.
    auto value_shown = [](int x) {
        return Lit(x * 15 - 30, 17 * 15, x * 15 + 30, 18 * 15) != "none";
    };
    gamma_mode = MODE_G;
    DrawGammaMenu();
    EXPECT_FALSE(value_shown(10));
    EXPECT_TRUE(value_shown(20));
    EXPECT_FALSE(value_shown(30));
    gamma_mode = MODE_ALL;
    DrawGammaMenu();
    EXPECT_TRUE(value_shown(10));
    EXPECT_TRUE(value_shown(30));
    // Hand-edited values stay within the channel range.
    s.gamma_r = 0;
    s.gamma_g = -40;
    s.gamma_b = 500;
    DrawGammaMenu();
    EXPECT_EQ(At(0, 0), static_cast<Uint32>(GammaLevel(500)));
    EXPECT_EQ(At(0, 90), static_cast<Uint32>(GammaLevel(500)));
}

// The logo (staged in the build folder): 8 x 4 units at (0, 0.5), reduced
// exactly to 120 x 60 pixels from y 7.
TEST(Logo, MainPageShowsTheLogoReducedExactly)
{
    OpenDisplay(600, 375, 22);
    ASSERT_EQ(ImageLoad(&logo, "logo.png", 8, 4, 0), 0) << ImageError();
    logo_loaded = true;
    DrawMainMenu();
    // The file at its own size, top row first.
    const vimage::picture full = vimage::LoadPNG("logo.png", {.top_row_first = true});
    ASSERT_TRUE(full.pixels);
    ASSERT_EQ(full.width, 512);
    ASSERT_EQ(full.height, 256);
    // Screen pixel i of a unit covers source pixels [64 i / 15, 64 (i + 1) / 15).
    auto overlap = [](int i, int j) {
        return std::max(0, std::min(64 * (i + 1), 15 * (j + 1)) - std::max(64 * i, 15 * j));
    };
    int lit = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            Uint32 expected = 0;
            for (int c = 0; c < 3; ++c) {
                long long sum = 0; // in 1/4096 of a screen pixel
                for (int sy = 64 * (y / 15); sy < 64 * (y / 15 + 1); ++sy)
                    for (int sx = 64 * (x / 15); sx < 64 * (x / 15 + 1); ++sx)
                        sum += static_cast<long long>(full.pixels.get()[(sy * 512 + sx) * 3 + c]) *
                               overlap(x % 15, sx % 64) * overlap(y % 15, sy % 64);
                expected = expected << 8 | static_cast<Uint32>((2 * sum + 4096) / 8192);
            }
            ASSERT_EQ(PixelAt(x, 7 + y), expected) << x << "," << y;
            lit += expected != 0;
        }
    EXPECT_GT(lit, 120 * 60 / 4);
    const SDL_Rect bounds = ReadScreen().Bounds(0, 0, 140, 80); // nothing outside its place
    EXPECT_GE(bounds.y, 7);
    EXPECT_LE(bounds.x + bounds.w, 120);
    EXPECT_LE(bounds.y + bounds.h, 67);
}

TEST(Logo, PagesDrawWithoutAMissingLogo)
{
    OpenDisplay(600, 375, 22);
    logo = image{};
    logo_loaded = ImageLoad(&logo, "no-such-logo.png", 8, 4, 0) == 0;
    EXPECT_FALSE(logo_loaded);
    EXPECT_EQ(logo.surfp, nullptr);
    DrawMainMenu();
    EXPECT_EQ(Lit(0, 0, 140, 80), "none");
    EXPECT_GT(ReadScreen().Bounds(150, 25, 450, 50).w, 100); // the title is there
}
