// gamma_page.h - the gamma calibration page (gamma_page.cpp says how it
// works).
#pragma once

#include "surface_owner.h"
#include "setup.h"

#include <array>

// The channels that "Darker" and "Lighter" change and whose values are shown.
enum gamma_mode_id { MODE_R = 0, MODE_G = 1, MODE_B = 2, MODE_ALL = 3 };

// The test picture in the screen's format, with the values it was built for.
struct test_picture {
    std::array<surface_ptr, 12> tiles; // t = 4 * pattern + channel (red, green, blue, white)
    bool tiles_ready = false;
    surface_ptr surfp;
    std::array<int, 3> built_for{}; // gamma_r, gamma_g, gamma_b
    int layout_unit = 0;            // and the canvas's pixels a unit
    bool built = false;
};

// The page's own state: the channels chosen and the picture.
struct gamma_state {
    int mode = MODE_ALL;
    test_picture picture;
};

// The page: "Red", "Green", "Blue", "All", "Darker", "Lighter", "Return".
extern const page<gamma_state> gamma_page;

// Shows the page, with "All" chosen and highlighted, until "Return".
void GammaMenu(session &ses);

// The flat-field level that matches a half-lit pattern on a display of the
// given gamma (tenths): 255 * 0.5^(10 / g), truncated; 0 for g <= 0.
int GammaLevel(int tenths);

// "Darker" (step -1) or "Lighter" (+1) on the channels of `mode`, each kept
// within MIN_GAMMA..MAX_GAMMA.
void StepGamma(settings &rec, int mode, int step);
