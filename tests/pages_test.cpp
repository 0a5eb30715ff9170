// The setup's pages where the flows cannot reach: values a hand-edited file
// can hold, the entries at the int limits, the gamma page's levels and steps
// and its test picture.

#include "display.h"
#include "setup.h"

#include <climits>

TEST(Pages, ValuesFromAHandEditedFile)
{
    s = defaults;
    EXPECT_STREQ(MainSummary().text, "OpenGL, 800x600 (Full screen)");
    s.backend = 1, s.flags = 6; // bits other than 0 leave the mode
    EXPECT_STREQ(MainSummary().text, "SDL, 800x600 (Windowed)");
    s = {-1, INT_MIN, INT_MIN, -1, 0, 2, 22, 22, 22}; // the longest line
    EXPECT_STREQ(MainSummary().text, "Unknown back-end, -2147483648x-2147483648 (Full screen)");
    EXPECT_EQ(std::string(GammaText(22).text) + GammaText(50).text + GammaText(1).text,
              "2.25.00.1");
    // Numeric entry: digits append within the maximum, Backspace drops one,
    // Return accepts, Escape gives back the starting value (800).
    auto type = [](int value, int max, const std::vector<int> &keys) {
        entry_step e{false, value};
        for (int k : keys)
            if (!e.done) e = EntryKey(e.value, 800, max, k);
        return std::pair(e.done, e.value);
    };
    const std::tuple<int, int, std::vector<int>, bool, int> entries[] = {
        {6, 64, {'4', '1', SDLK_RETURN}, true, 64}, {-45, 9999, {SDLK_BACKSPACE}, false, -4},
        {INT_MAX, INT_MAX, {'7'}, false, INT_MAX},  {INT_MIN, 9999, {'1'}, false, INT_MIN},
        {20000, 9999, {SDLK_ESCAPE}, true, 800},    {20000, 9999, {SDLK_RETURN}, true, 20000},
    };
    for (const auto &[start, max, keys, done, value] : entries)
        EXPECT_EQ(type(start, max, keys), std::pair(done, value)) << start << " up to " << max;
}

TEST(GammaPage, LevelsAndSteps)
{
    // clang-format off
    for (auto [g, level] : {std::pair{1, 0}, {5, 63}, {10, 127}, {22, 186}, {50, 221}, {60, 227}, {0, 0},
             {-7, 0}, {INT_MIN, 0}, {INT_MAX, 254}})
        EXPECT_EQ(GammaLevel(g), level) << g;
    // clang-format on
    // Darker and Lighter stop at 1 and 50, each channel on its own; values
    // beyond the range (from a hand-edited file) step back toward it.
    settings rec = defaults;
    rec.gamma_r = 1, rec.gamma_b = 50;
    for (auto [mode, step] : {std::pair{MODE_B, +1}, {MODE_ALL, -1}, {MODE_G, +1}, {MODE_R, -1}})
        StepGamma(rec, mode, step);
    EXPECT_EQ(FormatSettings(rec), "0 800 600 1 0 2 1 22 49\n");
    rec.gamma_r = 60, rec.gamma_g = -5, rec.gamma_b = 50;
    StepGamma(rec, MODE_ALL, +1);
    StepGamma(rec, MODE_ALL, -1);
    EXPECT_EQ(FormatSettings(rec), "0 800 600 1 0 2 59 -4 49\n");
}

// The gamma page's test picture on the setup's own window, 600 x 120 pixels
// from y 95, drawn without the library's correction: four bands (white, red,
// green, blue) of a flat field over half-lit patterns.
TEST(GammaPicture, BandsOfFlatFieldsAndHalfLitPatterns)
{
    Open();
    s = defaults;
    DrawGammaMenu();
    frame f = Frame();
    auto at = [&](int x, int y) { return f.At(x, 95 + y); };
    const Uint32 flat[4] = {0xBABABA, 0xBA0000, 0x00BA00, 0x0000BA}; // 186: gamma 2.2
    const Uint32 lit[4] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    int lit_pixels = 0; // exactly half of every pattern
    for (int band = 0, y0 = 0; band < 4; ++band, y0 += 30) {
        for (int x : {0, 299, 599})
            EXPECT_EQ(std::pair(at(x, y0), at(x, y0 + 13)), std::pair(flat[band], flat[band])) << x;
        // (x, y, lit): horizontal lines on odd rows across columns 0..199, a
        // checkerboard lit where x + y is odd, vertical lines on odd columns.
        // clang-format off
        for (auto [x, y, on] : {std::tuple{0, 14, 0}, {0, 15, 1}, {199, 29, 1}, {199, 28, 0}, {200, 14, 0},
                 {201, 14, 1}, {200, 15, 1}, {399, 29, 0}, {400, 20, 0}, {401, 20, 1}, {599, 14, 1}})
            EXPECT_EQ(at(x, y0 + y), on ? lit[band] : 0u) << band << ": " << x << "," << y;
        // clang-format on
        for (int y = 14; y < 30; ++y)
            for (int x = 0; x < 600; ++x) lit_pixels += at(x, y0 + y) == lit[band];
    }
    EXPECT_EQ(lit_pixels, 4 * 600 * 16 / 2);
    // It follows the values, each channel kept within its range; only the
    // values of the chosen channels stand under their items.
    for (auto [g, b, mode, rgb, shown] :
         {std::tuple{10, 22, MODE_G, 0xBA7FBAu, 2}, {10, 500, MODE_ALL, 0xBA7FFBu, 7}}) {
        s.gamma_g = g, s.gamma_b = b, gamma_mode = mode;
        DrawGammaMenu();
        f = Frame();
        EXPECT_EQ(std::vector({at(5, 0), at(5, 30), at(5, 60), at(5, 90)}),
                  std::vector({rgb, rgb & 0xFF0000, rgb & 0xFF00, rgb & 0xFF}));
        for (int c : {0, 1, 2}) // bit c of `shown`
            EXPECT_EQ(f.Lit(150 * c + 120, 255, 150 * c + 180, 270) != "none",
                      (shown >> c & 1) == 1)
                << c;
    }
}
