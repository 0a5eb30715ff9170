#!/bin/bash
# display_flows.sh - whole-program flows of vantor-display-test, with the
# helpers of flows.sh: the real program in its own Xvfb, judged by its exit
# status, what it prints, its screenshots and the settings file it must
# leave alone.
#
#   display_flows.sh CASE   (CASE is one of the dt_* functions below, without "dt_")
#
# Environment (CTest sets the first three):
#   VANTOR_DISPLAY_TEST      the program
#   VANTOR_FONT, VANTOR_LOGO the vantor.ttf and logo.png it reads from its folder
#   VANTOR_SDL_LIBRARY_PATH  as for flows.sh

# shellcheck source=flows.sh
source "$(dirname "${BASH_SOURCE[0]}")/flows.sh"

: "${VANTOR_DISPLAY_TEST:?the program to test}"
VANTOR_SETUP=$VANTOR_DISPLAY_TEST # what start_setup runs

readonly DT_TITLE='Vantor Display Test'
bar_x=205 # a pixel of the "Close" bar (row 23, columns 10 to 30) at 800 x 600
bar_y=520

# Each flow sets the screen from its settings line and the bar's pixel.
settings_for()
{
    local scale top
    write_settings "$1"$'\n'
    read -r _ width height _ <<<"$1"
    scale=$((width / 40 < height / 25 ? width / 40 : height / 25))
    top=$(((height - 25 * scale) / 2))
    bar_x=$((10 * scale + 5))
    bar_y=$((top + 23 * scale + scale / 2))
}

have_window()
{
    win=$(xdotool search --onlyvisible --name "^$DT_TITLE\$" 2>/dev/null | tail -n 1)
    [ -n "$win" ] || running || fail "the program ended before its page showed"
    [ -n "$win" ]
}

# The page shows once the "Close" bar is drawn.
page_shown()
{
    local lit
    have_window || return 1
    lit=$(xwd -id "$win" -silent 2>/dev/null |
        convert xwd:- -format "%[fx:int(255*max(p{$bar_x,$bar_y}.r,p{$bar_x,$bar_y}.b))]" info: 2>/dev/null)
    [ "${lit:-0}" -gt 30 ]
}

# The brightest channel of a pixel, 0 to 255 (a screenshot with gAMA 1.0 is
# read as linear RGB, so colours are not compared by name).
brightest()
{
    convert "$1" -format "%[fx:int(255*max(max(p{$2,$3}.r,p{$2,$3}.g),p{$2,$3}.b))]" info:
}

launch_test()
{
    [ -n "${VANTOR_LOGO:-}" ] && ln -s "$(realpath "$VANTOR_LOGO")" "$work/logo.png"
    launch "$@"
}

# Standard output holds the line.
expect_said()
{
    grep -qxF "$1" "$tmp/stdout" || fail "no line '$1' in: $(cat "$tmp/stdout")"
}

# A display that cannot be opened: the message and status 1, at once.
expect_refused()
{
    local message=$1
    start_setup
    wait_exit 1
    [ "$(tail -n 1 "$tmp/stderr")" = "Vantor: $message" ] ||
        fail "last line on standard error: $(tail -n 1 "$tmp/stderr"), expected Vantor: $message"
    expect_untouched
}

# ---------------------------------------------------------------------------

# OpenGL, windowed, with an accumulation buffer: what was granted, the
# library's keys, a screenshot from the back buffer, and the item that closes.
dt_opengl()
{
    local shot=$work/screenshot.png info
    settings_for '0 800 600 2 1 4 22 22 22'
    launch_test
    expect_said 'Back-end: OpenGL'
    expect_said 'Display: 800x600, windowed'
    expect_said 'Canvas: 20 pixels a unit'
    expect_said 'Accumulation buffer: present'
    expect_said 'glBlendColor: none'
    expect_said 'Gamma 2.2, 2.2, 2.2: hardware ramp'
    grep -q '^OpenGL [0-9]' "$tmp/stdout" || fail "no OpenGL version line"
    grep -q '^Renderer: .' "$tmp/stdout" || fail "no renderer line"
    keys F1 F5 F6 shift+F6 F7 F8 F12 F1 F8 F12
    take_shot
    info=$(pngcheck -v "$shot")
    grep -q '800 x 500 image, 24-bit RGB' <<<"$info" || fail "not 800x500 RGB: $info"
    grep -q 'gAMA .*1\.0000' <<<"$info" || fail "no gAMA 1.0: $info"
    [ "$(brightest "$shot" 5 480)" = 0 ] || fail "left of the bar is not black"
    [ "$(brightest "$shot" "$bar_x" 470)" -gt 30 ] || fail "no Close bar in the screenshot"
    [ "$(convert "$shot" -crop 160x80+0+10 -format '%[fx:int(255*maxima)]' info:)" -gt 30 ] ||
        fail "no logo"
    keys Return
    wait_exit 0
    expect_untouched
}

# The SDL back-end at 640 x 480, with software gamma: Escape closes.
dt_sdl()
{
    settings_for '1 640 480 4 0 2 18 20 24'
    launch_test
    expect_said 'Back-end: SDL'
    expect_said 'Canvas: 16 pixels a unit'
    expect_said 'Gamma 1.8, 2.0, 2.4: corrected in software'
    ! grep -q '^OpenGL' "$tmp/stdout" || fail "OpenGL lines in the SDL back-end"
    take_shot
    grep -q '640 x 400 image' <<<"$(pngcheck -v "$work/screenshot.png")" || fail "not 640x400"
    keys Escape
    wait_exit 0
    expect_untouched
}

# Without input the page closes itself after 15 seconds, counting down.
dt_countdown()
{
    local shown before after
    settings_for '0 600 375 0 0 2 22 22 22'
    launch_test
    shown=$SECONDS
    capture "$tmp/before.png"
    sleep 1.2
    capture "$tmp/after.png"
    before=$(convert "$tmp/before.png" -crop 600x15+0+315 +repage -format '%#' info:)
    after=$(convert "$tmp/after.png" -crop 600x15+0+315 +repage -format '%#' info:)
    [ "$before" != "$after" ] || fail "the countdown on row 21 did not change"
    wait_exit 0
    [ $((SECONDS - shown)) -ge 12 ] || fail "closed after $((SECONDS - shown)) s, before its time"
    expect_untouched
}

# No settings file: the defaults (OpenGL, 800 x 600, full screen), and no
# file is written. The classic runtime's full-screen window has no name to
# find it by, so the countdown closes the page.
dt_no_settings()
{
    start_xvfb
    start_setup
    poll grep -qxF 'Display: 800x600, full screen' "$tmp/stdout" ||
        fail "no full-screen display: $(cat "$tmp/stdout" "$tmp/stderr")"
    expect_said 'Back-end: OpenGL'
    wait_exit 0
    [ ! -e "$settings" ] || fail "the settings file was written"
}

# An OpenGL scaling the user turned on stays on; sdl12-compat then gives no
# accumulation buffer, and the page says so.
dt_user_scaling()
{
    settings_for '0 800 600 2 0 2 22 22 22'
    launch_test SDL12COMPAT_OPENGL_SCALING=1
    if [ -z "${VANTOR_SDL_LIBRARY_PATH:-}" ]; then
        expect_said 'Accumulation buffer: none'
    fi
    keys Return
    wait_exit 0
}

# Displays that cannot be opened end with the reason, never a hang.
dt_refused()
{
    start_xvfb
    settings_for '0 39 25 0 0 2 22 22 22'
    expect_refused 'Screen size too small'
    settings_for '7 800 600 0 0 2 22 22 22'
    expect_refused 'No backends available'
    settings_for '1 1234 567 1 0 2 22 22 22' # full screen in a size the display has not
    expect_refused 'Video mode not available'
    settings_for '0 40000 30000 0 0 2 22 22 22' # a window larger than X allows
    start_setup
    wait_exit 1
    grep -q '^Vantor: .' <(tail -n 1 "$tmp/stderr") || fail "no message: $(cat "$tmp/stderr")"
}

# ---------------------------------------------------------------------------

if [ -z "$case_name" ] || ! declare -F "dt_$case_name" >/dev/null; then
    echo "usage: $0 CASE, one of: $(declare -F | sed -n 's/^declare -f dt_//p' | tr '\n' ' ')" >&2
    exit 2
fi
init
"dt_$case_name"
echo "ok display_flow.$case_name"
