// What the pages show for the record as it stands, including values a
// hand-edited file can hold.

#include "setup.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(Pages, BackEndAndModeNames)
{
    s = defaults;
    EXPECT_STREQ(Backend(), "OpenGL");
    EXPECT_STREQ(Mode(), "Full screen");
    s.backend = 1;
    s.flags = 0;
    EXPECT_STREQ(Backend(), "SDL");
    EXPECT_STREQ(Mode(), "Windowed");
    for (int b : {2, 7, -1, INT_MIN}) {
        s.backend = b;
        EXPECT_STREQ(Backend(), "Unknown back-end");
    }
    s.flags = 4 | 2; // bits other than 0 do not change the mode
    EXPECT_STREQ(Mode(), "Windowed");
    s.flags = 5;
    EXPECT_STREQ(Mode(), "Full screen");
}

TEST(Pages, SummaryLineHoldsTheLongestValues)
{
    s = defaults;
    EXPECT_STREQ(MainSummary().text, "OpenGL, 800x600 (Full screen)");
    s.backend = 9;
    s.width = INT_MIN;
    s.height = INT_MIN;
    s.flags = -1;
    EXPECT_EQ(std::string(MainSummary().text),
              "Unknown back-end, -2147483648x-2147483648 (Full screen)");
}
