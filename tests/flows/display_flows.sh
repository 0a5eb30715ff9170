#!/bin/bash
# display_flows.sh - whole-program flows of vantor-display-test, with the
# helpers of flows.sh: the real program in its own Xvfb, judged by its exit
# status, the lines it prints, its screenshot and the settings file, which
# it must leave alone.
#
#   display_flows.sh CASE   (CASE is one of the dt_* functions, without "dt_")
#
# Environment: VANTOR_DISPLAY_TEST (the program), VANTOR_FONT and
# VANTOR_LOGO (its data files), VANTOR_SDL_LIBRARY_PATH as for flows.sh.

# shellcheck source=flows.sh
source "$(dirname "${BASH_SOURCE[0]}")/flows.sh"
VANTOR_SETUP=${VANTOR_DISPLAY_TEST:?the program to test} # what start_setup runs

# The window; its page shows once the "Close" bar (row 23, columns 10 to 30)
# is drawn: at 800 x 600 at pixel (205, 520).
bar=(205 520)

have_window()
{
    win=$(xdotool search --onlyvisible --name '^Vantor Display Test$' 2>/dev/null | tail -n 1)
    [ -n "$win" ] || running || fail "the program ended before its page showed"
    [ -n "$win" ]
}

page_shown()
{
    have_window && [ "$(xwd -id "$win" -silent 2>/dev/null | brightest xwd:- "${bar[@]}")" -gt 30 ]
}

# The brightest channel of a pixel, 0 to 255 (a screenshot with gAMA 1.0
# reads as linear RGB, so colours are not compared by name).
brightest()
{
    convert "$1" -format "%[fx:int(255*max(max(p{$2,$3}.r,p{$2,$3}.g),p{$2,$3}.b))]" info:
}

said()
{
    grep -qxF "$1" "$tmp/stdout" || fail "no line '$1' in: $(cat "$tmp/stdout")"
}

# OpenGL with an accumulation buffer: what was granted, the library's keys,
# a screenshot from the back buffer without the margins, and "Close".
dt_opengl()
{
    local shot=$work/screenshot.png
    write_settings '0 800 600 2 1 4 22 22 22'
    ln -s "$(realpath "$VANTOR_LOGO")" "$work/logo.png"
    launch
    said 'Back-end: OpenGL'
    said 'Display: 800x600, windowed'
    said 'Canvas: 20 pixels a unit'
    said 'Accumulation buffer: present'
    said 'glBlendColor: none'
    said 'Gamma 2.2, 2.2, 2.2: hardware ramp'
    grep -q '^Renderer: .' "$tmp/stdout" || fail "no renderer line"
    keys F1 F5 F6 shift+F6 F7 F8 F12 F1 F8 F12
    take_shot
    grep -q '800 x 500 image, 24-bit RGB.*gAMA [^:]*: 1\.0000' <<<"$(pngcheck -v "$shot" | tr '\n' ' ')" ||
        fail "not 800x500 with gAMA 1.0: $(pngcheck -v "$shot")"
    [ "$(brightest "$shot" 5 480)" = 0 ] || fail "left of the Close bar is not black"
    [ "$(brightest "$shot" 205 470)" -gt 30 ] || fail "no Close bar"
    [ "$(brightest "$shot" 40 50)" -gt 30 ] || fail "no logo"
    keys Return
    wait_exit 0
    expect_untouched
}

# The SDL back-end with software gamma: Escape closes.
dt_sdl()
{
    write_settings '1 640 480 4 0 2 18 20 24'
    bar=(165 416) # 16 pixels a unit, 40 above the canvas
    launch
    said 'Back-end: SDL'
    said 'Canvas: 16 pixels a unit'
    said 'Gamma 1.8, 2.0, 2.4: corrected in software'
    ! grep -q '^OpenGL' "$tmp/stdout" || fail "OpenGL lines in the SDL back-end"
    keys Escape
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

# OpenGL scaling that the user turned on stays on: sdl12-compat then gives no
# accumulation buffer (the classic runtime has no such setting).
dt_user_scaling()
{
    write_settings '0 800 600 2 0 2 22 22 22'
    launch SDL12COMPAT_OPENGL_SCALING=1
    [ -n "${VANTOR_SDL_LIBRARY_PATH:-}" ] || said 'Accumulation buffer: none'
    keys ctrl+q
    wait_exit 0
}

# Displays that cannot be opened end with the reason and status 1, at once
# (a window wider than X allows: whatever reason the runtime gives).
dt_refused()
{
    local line message
    start_xvfb
    while IFS='|' read -r line message; do
        write_settings "$line"
        start_setup
        wait_exit 1
        # shellcheck disable=SC2053 # the message may be a pattern
        [[ "$(tail -n 1 "$tmp/stderr")" == "Vantor: "$message ]] ||
            fail "for '$line': $(tail -n 1 "$tmp/stderr")"
        expect_untouched
    done <<'END'
0 39 25 0 0 2 22 22 22|Screen size too small
7 800 600 0 0 2 22 22 22|No backends available
1 1234 567 1 0 2 22 22 22|Video mode not available
0 40000 30000 0 0 2 22 22 22|?*
END
}

if [ -z "$case_name" ] || ! declare -F "dt_$case_name" >/dev/null; then
    echo "usage: $0 CASE, one of: $(declare -F | sed -n 's/^declare -f dt_//p' | tr '\n' ' ')" >&2
    exit 2
fi
init
"dt_$case_name"
echo "ok display_flow.$case_name"
