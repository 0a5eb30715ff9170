// What the pages show for the record as it stands (including values a
// hand-edited file can hold), the questions' answers, numeric entry and the
// gamma page's levels and steps.

#include "setup.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

TEST(Pages, NamesAndSummaryLine)
{
    s = defaults;
    EXPECT_STREQ(MainSummary().text, "OpenGL, 800x600 (Full screen)");
    s.backend = 1;
    s.flags = 4 | 2; // bits other than 0 do not change the mode
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
    EXPECT_EQ(rec.flags, ~1);
    mode_question.apply(rec, 2);  // "Full screen"
    accum_question.apply(rec, 1); // "No"
    EXPECT_EQ(rec.flags, ~2);
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

TEST(NumericEntry, TypingWithinTheMaximumReturnAndEscape)
{
    auto type = [](int value, int max, std::initializer_list<int> keys) {
        for (int k : keys) value = EntryKey(value, 0, max, k).value;
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
    // Return accepts, Escape restores the starting value.
    const entry_step done = EntryKey(8005, 800, 9999, SDLK_RETURN);
    EXPECT_TRUE(done.done);
    EXPECT_EQ(done.value, 8005);
    const entry_step back = EntryKey(8005, 800, 9999, SDLK_ESCAPE);
    EXPECT_TRUE(back.done);
    EXPECT_EQ(back.value, 800);
    EXPECT_FALSE(EntryKey(1, 1, 9999, SDLK_KP_ENTER).done);
    EXPECT_EQ(EntryKey(20000, 20000, 9999, SDLK_RETURN).value, 20000); // kept above the maximum
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
