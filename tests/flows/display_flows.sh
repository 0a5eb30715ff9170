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
    said 'Video driver: x11'
    said 'Display: 800x600, windowed'
    said 'Canvas: 20 pixels a unit'
    said 'OpenGL is drawn in software: expect low frame rates' # Mesa's llvmpipe
    said 'Accumulation buffer: present'
    said 'glBlendColor: none'
    said 'Gamma 2.2, 2.2, 2.2: hardware ramp' # and read back as asked
    grep -q '^Renderer: llvmpipe' "$tmp/stdout" || fail "no renderer line"
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
# without input the page closes itself when its countdown (made 3 s) ends.
dt_countdown()
{
    local opened
    start_xvfb
    start_setup VANTOR_COUNTDOWN_SECONDS=3
    poll grep -qxF 'Display: 800x600, full screen' "$tmp/stdout" ||
        fail "no full-screen display: $(cat "$tmp/stdout" "$tmp/stderr")"
    opened=$SECONDS
    wait_exit 0
    [ $((SECONDS - opened)) -ge 2 ] || fail "closed after $((SECONDS - opened)) s"
    [ ! -e "$settings" ] || fail "a settings file was written"
}

# Displays that cannot be opened end at once with status 1. The last line on
# standard error is the reason, or what would work instead; the library's
# reason, written first, is the only line when there is no advice (a window
# wider than X allows: whatever reason the runtime gives).
dt_refused()
{
    local line message lines
    start_xvfb
    while IFS='|' read -r line message lines; do
        write_settings "$line"
        start_setup
        wait_exit 1
        # shellcheck disable=SC2053 # a pattern
        [[ "$(tail -n 1 "$tmp/stderr")" == Vantor:\ $message && "$(wc -l <"$tmp/stderr")" = "$lines" ]] ||
            fail "$line: standard error is not $lines lines ending 'Vantor: $message'"
        expect_untouched
    done <<'END'
0 39 25 0 0 2 22 22 22|Too small: the minimum is 40 x 25|2
7 800 600 0 0 2 22 22 22|No backends available|1
1 1234 567 1 0 2 22 22 22|Not offered in full screen; try 1024x768|2
0 1234 567 1 0 2 22 22 22|Not offered in full screen; try 1024x768|2
0 40000 30000 0 0 2 22 22 22|?*|1
END
}

# The command line: --help, --version and mistakes without a display, which
# plainly started ends at once (rows as flows.sh's command_rows); --config's
# file read; --settings tested instead of any file, which stays unread.
dt_command_line()
{
    write_settings "$KNOWN"
    command_rows <<'END'
--help|0|Usage: vantor-display-test *--settings*--confirm*--config FILE*Exit status:*|
--version|0|vantor-display-test [0-9]*.[0-9]*.[0-9]*|
|1||Vantor: no display found: DISPLAY and WAYLAND_DISPLAY are not set
--reset|2||Vantor: unknown option '--reset'*Usage: vantor-display-test*
--settings|2||Vantor: '--settings' needs a value*Usage: vantor-display-test*
--settings '1 2 3'|2||Vantor: --settings needs nine integers*Usage: vantor-display-test*
--settings '1 640 480 0 0 2 22 22 22 9'|2||Vantor: --settings needs nine*
--settings '1 640 480 0 0 2 22 22 2x'|2||Vantor: --settings needs nine*
END
    printf '1 640 480 4 0 2 22 22 22' >"$tmp/other"
    program_args=(--config "$tmp/other")
    ready=(165 416)
    launch
    said 'Display: 640x480, windowed'
    keys Escape
    wait_exit 0
    program_args=(--settings ' +1 800 600 4 0 2 10 20 -5 ' --config "$tmp/nowhere")
    ready=(205 520)
    launch
    said 'Display: 800x600, windowed'
    said 'Gamma 1.0, 2.0, 0.1: corrected in software'
    keys Escape
    wait_exit 0
    expect_untouched
    [ ! -e "$tmp/nowhere" ] || fail "--settings wrote --config's file"
}

# --confirm: "Keep" ends with 0; "Revert" (highlighted first), Escape, the
# quit key, closing the window and the countdown with 3; a refused
# accumulation buffer with 1, after opening the display again without it.
# After every end the display's gamma ramp (Xvfb's, set to 1.3 here) is as it
# was found, though the tested record asks the ramp for 1.8, 2.0 and 2.4.
dt_confirm()
{
    local way status found
    start_xvfb
    xrandr --output screen --gamma 1.3:1.3:1.3 || fail "xrandr cannot set the gamma ramp"
    found=$(xrandr --verbose | grep Gamma)
    revert_bar 640 480
    while IFS='|' read -r way status; do
        program_args=(--settings '0 640 480 0 0 2 18 20 24' --confirm)
        case $way in
            countdown) launch VANTOR_COUNTDOWN_SECONDS=1 ;;
            refused)
                program_args=(--settings '0 640 480 2 0 2 18 20 24' --confirm)
                start_setup "$(no_accum_gl)"
                ;;
            close) launch && close_window ;;
            *) launch && keys "$way" ;;
        esac
        wait_exit "$status"
        [ "$(xrandr --verbose | grep Gamma)" = "$found" ] || fail "$way: the gamma ramp changed"
    done <<'END'
k|0
Return|3
Escape|3
ctrl+q|3
close|3
countdown|3
refused|1
END
    [ "$(tail -n 1 "$tmp/stderr")" = "Vantor: No accumulation buffer here: turn it off" ] ||
        fail "refused: $(cat "$tmp/stderr")"
}

run_case dt_
