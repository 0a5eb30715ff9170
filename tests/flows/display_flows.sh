#!/bin/bash
# display_flows.sh CASE - whole-program flows of vantor-display-test with the
# library of flows.sh, judged by its exit status, the lines it prints, its
# screenshot and the settings file, which it must leave alone. CASE is a dt_*
# function, without "dt_". Environment: VANTOR_DISPLAY_TEST (the program),
# VANTOR_FONT, VANTOR_LOGO, VANTOR_SDL_LIBRARY_PATH as for flows.sh.

# shellcheck source=flows.sh
source "$(dirname "${BASH_SOURCE[0]}")/flows.sh"
VANTOR_SETUP=${VANTOR_DISPLAY_TEST:?the program to test}
title='Vantor Display Test'

said()
{
    grep -qxF "$1" "$tmp/stdout" || fail "no line '$1' in: $(cat "$tmp/stdout")"
}

# OpenGL with an accumulation buffer: what was granted, the library's keys, a
# screenshot from the back buffer without the margins (gAMA 1.0, so read as
# linear: brightness, not colours), Return on "Close". Then the SDL back-end
# with software gamma, closed by Escape; then OpenGL scaling the user turned
# on, which stays on: sdl12-compat then gives no accumulation buffer.
dt_backends()
{
    ln -s "$(realpath "$VANTOR_LOGO")" "$work/logo.png"
    write_settings '0 800 600 2 1 4 22 22 22'
    ready=(205 520) # the "Close" bar, row 23, at 800 x 600
    launch
    said 'Back-end: OpenGL'
    said 'Display: 800x600, windowed'
    said 'Canvas: 20 pixels a unit'
    said 'Accumulation buffer: present'
    said 'glBlendColor: none'
    said 'Gamma 2.2, 2.2, 2.2: hardware ramp'
    grep -q '^Renderer: .' "$tmp/stdout" || fail "no renderer line"
    keys F1 F5 F6 shift+F6 F7 F8 F12 F1 F8 F12
    shoot
    grep -q '800 x 500 image, 24-bit RGB.*gAMA [^:]*: 1\.0000' <<<"$(pngcheck -v "$shot" | tr '\n' ' ')" ||
        fail "not 800x500 with gAMA 1.0: $(pngcheck -v "$shot")"
    [ "$(brightest "$shot" 5 480)" = 0 ] || fail "left of the Close bar is not black"
    [ "$(brightest "$shot" 205 470)" -gt 30 ] || fail "no Close bar"
    [ "$(brightest "$shot" 40 50)" -gt 30 ] || fail "no logo"
    keys Return
    wait_exit 0
    expect_untouched

    write_settings '1 640 480 4 0 2 18 20 24'
    ready=(165 416) # 16 pixels a unit, 40 above the canvas
    launch
    said 'Back-end: SDL'
    said 'Canvas: 16 pixels a unit'
    said 'Gamma 1.8, 2.0, 2.4: corrected in software'
    ! grep -q '^OpenGL' "$tmp/stdout" || fail "OpenGL lines in the SDL back-end"
    keys Escape
    wait_exit 0
    expect_untouched

    write_settings '0 800 600 2 0 2 22 22 22'
    ready=(205 520)
    launch SDL12COMPAT_OPENGL_SCALING=1
    [ -n "${VANTOR_SDL_LIBRARY_PATH:-}" ] || said 'Accumulation buffer: none'
    keys ctrl+q
    wait_exit 0
    expect_untouched
}

# No settings file: the defaults (OpenGL, full screen), nothing written, and
# without input the page closes itself after 15 seconds.
dt_countdown()
{
    local opened
    start_xvfb
    start_setup
    poll grep -qxF 'Display: 800x600, full screen' "$tmp/stdout" ||
        fail "no full-screen display: $(cat "$tmp/stdout" "$tmp/stderr")"
    opened=$SECONDS
    wait_exit 0
    [ $((SECONDS - opened)) -ge 12 ] || fail "closed after $((SECONDS - opened)) s"
    [ ! -e "$settings" ] || fail "a settings file was written"
}

# Displays that cannot be opened end at once with the reason and status 1 (a
# window wider than X allows: whatever reason the runtime gives).
dt_refused()
{
    local line message
    start_xvfb
    while IFS='|' read -r line message; do
        write_settings "$line"
        start_setup
        wait_exit 1
        expect_error "Vantor: $message"
        expect_untouched
    done <<'END'
0 39 25 0 0 2 22 22 22|Screen size too small
7 800 600 0 0 2 22 22 22|No backends available
1 1234 567 1 0 2 22 22 22|Video mode not available
0 40000 30000 0 0 2 22 22 22|?*
END
}

run_case dt_
