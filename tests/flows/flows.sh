#!/bin/bash
# flows.sh - whole-program flows of vantor-setup: the real program in its own
# Xvfb, typed at and clicked with xdotool, judged by its exit status, the
# settings file it leaves and the pictures it shows.
#
#   flows.sh CASE        (CASE is one of the flow_* functions below, without "flow_")
#
# Environment (CTest sets the first three):
#   VANTOR_SETUP             the program
#   VANTOR_FONT              the vantor.ttf it reads from its working folder
#   VANTOR_WM_CLOSE          wm-close, built beside the tests
#   VANTOR_SDL_LIBRARY_PATH  when set, the program runs with it as
#                            LD_LIBRARY_PATH (another SDL 1.2 runtime)
#
# Each case has its own Xvfb (display number chosen by the server, so cases
# can run in parallel), its own HOME and working folder, all removed on every
# way out. Every wait has a deadline: a case never hangs, it fails.
#
# A case sends input once the main page shows in the window (see page_shown).
# To know that input was handled without ending the program, it presses F11
# and waits for screenshot.png: the library saves it on the next frame, which
# only a running page loop presents.

set -u

readonly DEADLINE=20 # seconds, for every wait
readonly TITLE='Vantor Setup'
readonly DEFAULTS='0 800 600 1 0 2 22 22 22'
readonly KNOWN='1 1024 768 0 1 8 18 20 24'
readonly OLD_TIME='2001-09-09 01:46:40' # backdated mtime: a rewrite cannot keep it

# Bar centres in window pixels: 15 pixels a canvas unit, bars at columns 10..30.
readonly BAR_X=300
readonly SAVE_Y=322 # "Save and exit", row 21
readonly EXIT_Y=352 # "Exit without saving", row 23

case_name=${1:-}
tmp=""
xvfb_pid=""
setup_pid=""
win=""

# ---------------------------------------------------------------------------
# The library.

fail()
{
    echo "FAIL flow.$case_name: $*" >&2
    if [ -s "$tmp/stderr" ]; then
        echo "--- program's standard error:" >&2
        cat "$tmp/stderr" >&2
    fi
    exit 1
}

cleanup()
{
    # SDL turns SIGTERM into a quit request, which a stuck program never reads.
    [ -z "$setup_pid" ] || kill -KILL "$setup_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null
    if [ -n "$tmp" ]; then
        chmod -R u+w "$tmp" 2>/dev/null || true
        rm -rf "$tmp"
    fi
}

# A fresh HOME, working folder (with the font) and settings path.
init()
{
    : "${VANTOR_SETUP:?the program to test}" "${VANTOR_FONT:?vantor.ttf}"
    # The program runs in another folder.
    VANTOR_SETUP=$(realpath "$VANTOR_SETUP") && VANTOR_FONT=$(realpath "$VANTOR_FONT") || exit 1
    if [ -n "${VANTOR_SDL_LIBRARY_PATH:-}" ]; then
        VANTOR_SDL_LIBRARY_PATH=$(realpath "$VANTOR_SDL_LIBRARY_PATH") || exit 1
    fi
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantor-flow.XXXXXX") || exit 1
    trap cleanup EXIT
    trap 'exit 1' INT TERM HUP
    home=$tmp/home
    work=$tmp/work
    config=$home/.config
    settings="$config/Vantor Settings"
    mkdir "$home" "$work"
    ln -s "$VANTOR_FONT" "$work/vantor.ttf"
}

# Runs "$@" every 20 ms until it succeeds; false after DEADLINE seconds.
poll()
{
    local end=$((SECONDS + DEADLINE))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.02
    done
}

start_xvfb()
{
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    # The server writes its display number once it accepts connections.
    poll grep -qsx '[0-9][0-9]*' "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    DISPLAY=:$(cat "$tmp/display")
    export DISPLAY
}

# Starts the program in the working folder; "$@" are extra environment
# assignments. SDL_VIDEODRIVER is explicit: without a display SDL would
# otherwise pick some other driver.
start_setup()
{
    (
        cd "$work" || exit 127
        exec env -u XDG_CONFIG_HOME HOME="$home" SDL_VIDEODRIVER=x11 \
            ${VANTOR_SDL_LIBRARY_PATH:+LD_LIBRARY_PATH="$VANTOR_SDL_LIBRARY_PATH"} \
            "$@" "$VANTOR_SETUP"
    ) >"$tmp/stdout" 2>"$tmp/stderr" </dev/null &
    setup_pid=$!
}

# True while the program runs. A child that has ended stays a zombie until
# waited for, so kill -0 alone cannot tell.
running()
{
    local stat
    stat=$(cat "/proc/$setup_pid/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

have_window()
{
    win=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | tail -n 1)
    [ -n "$win" ] || running || fail "the program ended before its main page showed"
    [ -n "$win" ]
}

# True when the window shows the main page: the bar of "Exit without saving"
# is there. Before, the program is still setting up its display, and a window
# found that early has been seen to vanish before it could take the focus.
page_shown()
{
    local green
    have_window || return 1
    green=$(xwd -id "$win" -silent 2>/dev/null |
        convert xwd:- -format '%[fx:int(255*p{155,352}.g)]' info: 2>/dev/null)
    [ "${green:-0}" -gt 50 ]
}

# Waits for the main page and gives its window the keyboard.
find_window()
{
    poll page_shown || fail "no main page in a window \"$TITLE\" after $DEADLINE s"
    timeout "$DEADLINE" xdotool windowfocus --sync "$win" || fail "could not focus the window"
}

# Starts Xvfb and the program, and waits for its window.
launch()
{
    start_xvfb
    start_setup "$@"
    find_window
}

keys()
{
    timeout "$DEADLINE" xdotool key "$@" || fail "xdotool key $*"
}

# Pointer actions in window pixels: move X Y, press X Y, release X Y.
mouse()
{
    local action=$1 x=$2 y=$3
    timeout "$DEADLINE" xdotool mousemove --window "$win" "$x" "$y" || fail "xdotool mousemove"
    case $action in
        press) timeout "$DEADLINE" xdotool mousedown 1 || fail "xdotool mousedown" ;;
        release) timeout "$DEADLINE" xdotool mouseup 1 || fail "xdotool mouseup" ;;
    esac
}

# Waits for the program to end and checks its exit status.
wait_exit()
{
    local expected=$1 status=0
    poll eval '! running' || fail "still running $DEADLINE s after the last input"
    wait "$setup_pid" || status=$?
    setup_pid=""
    [ "$status" -eq "$expected" ] || fail "exit status $status, expected $expected"
}

# Checks that the program handled all input so far and still runs its page.
expect_alive()
{
    rm -f "$work/screenshot.png"
    keys F11
    poll test -e "$work/screenshot.png" || {
        running || fail "the program ended (it should still run)"
        fail "no screenshot.png $DEADLINE s after F11"
    }
}

# Writes the settings file and backdates it.
write_settings()
{
    mkdir -p "$config"
    printf '%s' "$1" >"$settings"
    touch -d "$OLD_TIME" "$settings"
    cp -p "$settings" "$tmp/settings.before"
}

# The file holds exactly the line "$2" and its line break.
expect_line()
{
    local file=$1 line=$2
    [ -f "$file" ] || fail "no file $file"
    printf '%s\n' "$line" | cmp -s - "$file" ||
        fail "$file holds '$(od -c "$file" | head -n 3)', expected '$line\\n'"
}

# The settings file is as write_settings left it: same bytes, same mtime.
expect_untouched()
{
    cmp -s "$tmp/settings.before" "$settings" || fail "the settings file changed"
    [ "$(stat -c %Y "$settings")" = "$(stat -c %Y "$tmp/settings.before")" ] ||
        fail "the settings file was rewritten"
}

# The folder holds exactly the named entries (no temporary file left over).
expect_entries()
{
    local folder=$1 want got
    shift
    want=$(printf '%s\n' "$@" | sort)
    got=$(find "$folder" -mindepth 1 -maxdepth 1 -printf '%P\n' | sort)
    [ "$got" = "$want" ] || fail "$folder holds [$got], expected [$want]"
}

# Captures the window as the X server shows it, into "$1" (PNG).
capture()
{
    xwd -id "$win" -silent | convert xwd:- "$1" || fail "could not capture the window"
}

# A pixel of a picture as "srgb(r,g,b)".
pixel()
{
    convert "$1" -format "%[pixel:p{$2,$3}]" info:
}

# True when the window shows the status line: the library's bright green in
# row 23, where no page draws that colour. Near, not exact: the classic SDL
# runtime shows the window through a DirectColor colour map that turns 0 into 1.
status_shown()
{
    local mean
    capture "$tmp/window.png"
    mean=$(convert "$tmp/window.png" -crop 300x15+150+345 +repage \
        -fuzz 3% -fill black +opaque '#00ff00' -format '%[fx:mean]' info:)
    [ "$mean" != 0 ]
}

# Makes saving fail while the settings file stays readable. A read-only
# folder stops the temporary file beside the settings file, except for root,
# who writes anyway; then a folder in the temporary file's place stops it.
block_saving()
{
    chmod a-w "$config"
    if touch "$config/.probe" 2>/dev/null; then
        rm -f "$config/.probe"
        chmod u+w "$config"
        mkdir -p "$settings.new/kept"
    fi
}

# ---------------------------------------------------------------------------
# The flows.

# The first run writes the defaults before the main page shows, so they are
# there even when the user leaves without saving.
flow_first_run()
{
    launch
    expect_line "$settings" "$DEFAULTS"
    keys Escape
    wait_exit 0
    expect_line "$settings" "$DEFAULTS"
    expect_entries "$config" "Vantor Settings"
}

# $XDG_CONFIG_HOME wins over $HOME/.config, and is created with its parents.
flow_first_run_xdg()
{
    launch XDG_CONFIG_HOME="$tmp/xdg/nested"
    keys Escape
    wait_exit 0
    expect_line "$tmp/xdg/nested/Vantor Settings" "$DEFAULTS"
    [ ! -e "$config" ] || fail "$config was created though XDG_CONFIG_HOME is set"
}

# Escape chooses "Exit without saving".
flow_escape()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys Escape
    wait_exit 0
    expect_untouched
}

# A letter chooses the first item it begins: "Exit without saving".
flow_key_e()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys e
    wait_exit 0
    expect_untouched
}

# "s" is "Sound options:", the first item with that letter, never "Save and exit".
flow_key_s()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys s
    expect_alive
    expect_untouched
    keys Escape
    wait_exit 0
    expect_untouched
}

# "Sound options:" and "Game statistics" lead nowhere; Space chooses too.
flow_other_pages()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys Down Down space # "Game statistics"
    expect_alive
    expect_untouched
    keys Escape
    wait_exit 0
    expect_untouched
}

# "Save and exit" rewrites the file as the nine numbers read, whatever else
# it held, and leaves no temporary file behind.
flow_save_keys()
{
    write_settings "$KNOWN extra words"$'\n'
    launch
    keys Up Down Down Down Return # Up at the top stays on the first item
    wait_exit 0
    expect_line "$settings" "$KNOWN"
    expect_entries "$config" "Vantor Settings"
}

flow_save_mouse()
{
    write_settings "$KNOWN extra words"$'\n'
    launch
    mouse press "$BAR_X" "$SAVE_Y"
    mouse release "$BAR_X" "$SAVE_Y"
    wait_exit 0
    expect_line "$settings" "$KNOWN"
}

# Pressing on one bar and releasing on another chooses the second.
flow_mouse_drag()
{
    write_settings "$KNOWN extra words"$'\n'
    launch
    mouse press "$BAR_X" "$EXIT_Y"
    mouse move "$BAR_X" "$SAVE_Y"
    mouse release "$BAR_X" "$SAVE_Y"
    wait_exit 0
    expect_line "$settings" "$KNOWN"
}

# Only a press and a release both on bars choose.
flow_mouse_outside()
{
    write_settings "$KNOWN"$'\n'
    launch
    mouse press "$BAR_X" "$SAVE_Y" # released between the bars
    mouse move "$BAR_X" 280
    mouse release "$BAR_X" 280
    mouse press 50 "$SAVE_Y" # pressed beside the bar, released on it
    mouse move "$BAR_X" "$SAVE_Y"
    mouse release "$BAR_X" "$SAVE_Y"
    expect_alive
    expect_untouched
    keys Escape
    wait_exit 0
    expect_untouched
}

flow_ctrl_q()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys ctrl+q
    wait_exit 0
    expect_untouched
}

flow_alt_q()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys alt+q
    wait_exit 0
    expect_untouched
}

flow_meta_q()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys meta+q
    wait_exit 0
    expect_untouched
}

# Closing the window ends the program without saving.
flow_window_close()
{
    write_settings "$KNOWN"$'\n'
    launch
    "${VANTOR_WM_CLOSE:?wm-close}" "$win" || fail "wm-close failed"
    wait_exit 0
    expect_untouched
}

# A save that fails says so and keeps the program and the old file.
flow_save_fails()
{
    local try look
    write_settings "$KNOWN"$'\n'
    block_saving
    launch
    # The message shows from the next frame on, for about a second: look a few
    # times, and when a busy machine let it go by unseen, choose again for a
    # fresh one. By the mouse, because the page may have moved the highlight.
    for try in 1 2 3; do
        mouse press "$BAR_X" "$SAVE_Y"
        mouse release "$BAR_X" "$SAVE_Y"
        for look in 1 2 3 4 5 6 7 8; do
            status_shown && break 2
            [ "$look" -lt 8 ] || echo "flow.$case_name: no status line seen, choosing again" >&2
        done
        [ "$try" -lt 3 ] || fail "no status line after a failed save"
    done
    running || fail "the program ended after a failed save"
    # The highlight waits on "Save and exit" for another try.
    capture "$tmp/window.png"
    [ "$(pixel "$tmp/window.png" 155 "$SAVE_Y")" != "$(pixel "$tmp/window.png" 155 "$EXIT_Y")" ] ||
        fail "\"Save and exit\" is not highlighted after the failed save"
    expect_untouched
    keys Escape
    wait_exit 0
    expect_untouched
}

# F11 saves the page, as shown, in the working folder.
flow_screenshot()
{
    local shot=$work/screenshot.png info bar
    launch
    expect_alive # presses F11
    keys Escape
    wait_exit 0 # the file is complete once the program has ended
    pngcheck -q "$shot" >/dev/null || fail "pngcheck rejects screenshot.png: $(pngcheck "$shot")"
    info=$(pngcheck -v "$shot")
    grep -q '600 x 375 image, 24-bit RGB, non-interlaced' <<<"$info" || fail "not 600x375 RGB: $info"
    grep -q 'gAMA .*0\.45455' <<<"$info" || fail "no gAMA 1/2.2: $info"
    [ "$(convert "$shot" -format '%[fx:maxima]' info:)" != 0 ] || fail "screenshot.png is all black"
    # The main page: black background, the four bars not highlighted in one
    # colour, the highlighted first bar in another.
    [ "$(pixel "$shot" 5 5)" = "srgb(0,0,0)" ] || fail "background at (5,5) is $(pixel "$shot" 5 5)"
    bar=$(pixel "$shot" 155 157)
    [ "$bar" != "srgb(0,0,0)" ] || fail "no bar at row 10"
    for y in 217 322 352; do
        [ "$(pixel "$shot" 155 "$y")" = "$bar" ] || fail "bar at y $y is $(pixel "$shot" 155 "$y"), not $bar"
    done
    [ "$(pixel "$shot" 155 97)" != "$bar" ] || fail "the first bar is not highlighted"
}

# Losing the display ends the program (the X library's status 1) without
# hanging and without touching the settings.
flow_display_lost()
{
    write_settings "$KNOWN"$'\n'
    launch
    kill -KILL "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    wait_exit 1
    expect_untouched
}

flow_missing_font()
{
    rm "$work/vantor.ttf"
    start_xvfb
    start_setup
    wait_exit 1
    [ "$(tail -n 1 "$tmp/stderr")" = "Vantor: vantor.ttf: could not read font" ] ||
        fail "last line on standard error: $(tail -n 1 "$tmp/stderr")"
}

# A display that cannot be opened: SDL's message, after "Vantor: ".
flow_no_display()
{
    local n=4242
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    DISPLAY=unix:$n
    export DISPLAY
    start_setup
    wait_exit 1
    grep -q '^Vantor: .' <(tail -n 1 "$tmp/stderr") ||
        fail "last line on standard error: $(tail -n 1 "$tmp/stderr")"
}

# ---------------------------------------------------------------------------
# The pages below the main page. Keys queue in the X server and the program
# takes them in order, so a flow types a whole road at once; "Save and exit"
# from the main page is Down Down Down Return.

readonly SAVE_KEYS='Down Down Down Return'

# Takes a screenshot (F11) of the page shown and waits until the file is
# whole: it exists from the moment the library starts writing it.
take_shot()
{
    expect_alive
    poll pngcheck -q "$work/screenshot.png" >/dev/null || fail "screenshot.png stays incomplete"
}

# A pixel of a fresh screenshot of the page shown, as "srgb(r,g,b)".
shot_pixel()
{
    take_shot
    pixel "$work/screenshot.png" "$1" "$2"
}

# The overview's road of one change: Graphics options, Mode, Windowed.
flow_road_of_one_change()
{
    write_settings "$DEFAULTS"$'\n'
    launch
    keys g m w Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "0 800 600 0 0 2 22 22 22"
}

# Each list question sets its field; the others stay as they were.
flow_list_questions()
{
    write_settings "$KNOWN"$'\n' # SDL, windowed, antialiasing on, no accumulation buffer
    launch
    keys g b o     # Back-end: OpenGL
    keys m f       # Mode: Full screen
    keys a a n     # Antialiasing options, Antialiasing: No
    keys Down Return y # Accumulation buffer: Yes
    keys Escape Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "0 1024 768 3 0 8 18 20 24"
}

# "Cancel" and Escape on every question, and Escape on every page, change
# nothing; letters choose the first item that begins with them ("r" is
# "Resolution:", never "Return"; "a" is "Antialiasing:", never
# "Accumulation buffer:").
flow_cancel_everywhere()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys g b c m Escape         # back-end: Cancel; mode: Escape
    keys a a c a Escape          # antialiasing page: Antialiasing, twice
    keys Down Return c           # Accumulation buffer: Cancel
    keys s 5 Escape Escape       # samples typed, then Escape
    keys g Escape                # gamma page, left at once
    keys r Escape Escape         # width and height entries (windowed: any size)
    expect_alive
    keys Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "$KNOWN"
}

# In full screen the list offers the display's sizes, each once, then
# "Other..." and "Cancel"; a digit chooses the first size it begins. Under
# Xvfb the display has one size; sdl12-compat adds four that it scales when
# its OpenGL scaling is on. The library turns that scaling off unless the
# user set it, so here the user sets it on: five sizes on sdl12-compat, the
# current one on the classic runtime, which has no such setting.
flow_resolution_list()
{
    local sizes=5 y rows
    [ -n "${VANTOR_SDL_LIBRARY_PATH:-}" ] && sizes=1
    write_settings "$DEFAULTS"$'\n'
    launch SDL12COMPAT_OPENGL_SCALING=1
    keys g r
    take_shot
    rows=$((sizes + 1)) # the sizes and "Other...", from row 7 down
    for ((y = 112; y < 112 + 15 * rows; y += 15)); do
        [ "$(pixel "$work/screenshot.png" 155 "$y")" != "srgb(0,0,0)" ] || fail "no bar at y $y"
    done
    [ "$(pixel "$work/screenshot.png" 155 "$y")" = "srgb(0,0,0)" ] || fail "more than $sizes sizes"
    if [ "$sizes" = 5 ]; then
        keys Down Down Return # 800x600, then the list again for 7: 720x480
        keys r 7
        keys Escape $SAVE_KEYS
        wait_exit 0
        expect_line "$settings" "0 720 480 1 0 2 22 22 22"
    else
        keys 1 Escape $SAVE_KEYS
        wait_exit 0
        expect_line "$settings" "0 1024 768 1 0 2 22 22 22"
    fi
}

# "Other..." leads to the entries; Escape on the width keeps it and the
# height is still asked; typing appends to the value shown.
flow_resolution_other()
{
    write_settings "$DEFAULTS"$'\n'
    launch
    keys g r o Escape 5 Return # width kept; height 600 -> 6005
    keys Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "0 800 6005 1 0 2 22 22 22"
}

# Where the display allows any size (windowed), the entries come at once.
# Digits beyond the maximum, the keypad's digits and Enter do nothing;
# Backspace drops a digit.
flow_numeric_entry()
{
    write_settings "0 800 600 0 0 2 22 22 22"$'\n'
    launch
    keys g r 5 1 KP_5 KP_Enter Return  # 8005; 80051 is above 9999
    keys BackSpace BackSpace BackSpace Return # 600 -> 0
    keys Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "0 8005 0 0 0 2 22 22 22"
}

# Samples: 2 and 9 make 29, a further 9 would be 299; below 2 is stored as 2.
flow_samples()
{
    write_settings "$DEFAULTS"$'\n'
    launch
    keys g a s 9 9 Return
    keys Escape Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "0 800 600 1 0 29 22 22 22"
    write_settings "$DEFAULTS"$'\n'
    start_setup
    find_window
    keys g a s BackSpace Return Escape Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "$DEFAULTS"
}

# The gamma page: flat fields at the level of the value tried, "Darker" and
# "Lighter" on all channels or the one chosen ("r" is "Red", never "Return").
flow_gamma()
{
    write_settings "$DEFAULTS"$'\n'
    launch
    keys g g
    [ "$(shot_pixel 5 95)" = "srgb(186,186,186)" ] || fail "white field $(pixel "$work/screenshot.png" 5 95)"
    [ "$(pixel "$work/screenshot.png" 5 125)" = "srgb(186,0,0)" ] || fail "red field"
    [ "$(pixel "$work/screenshot.png" 1 110)" = "srgb(255,255,255)" ] || fail "lit pattern pixel"
    keys d # all three to 2.1
    [ "$(shot_pixel 5 95)" = "srgb(183,183,183)" ] || fail "white field after Darker"
    keys r l l # red to 2.3
    [ "$(shot_pixel 5 125)" = "srgb(188,0,0)" ] || fail "red field after Lighter"
    keys b d # blue to 2.0
    keys Escape Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "0 800 600 1 0 2 23 21 20"
}

# The values stop at 0.1 and 5.0, each channel at its own limit.
flow_gamma_limits()
{
    write_settings "0 800 600 1 0 2 1 50 22"$'\n'
    launch
    keys g g d l d
    keys Escape Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "0 800 600 1 0 2 1 49 21"
}

# Closing the window on a deep page ends the program without saving.
flow_close_deep()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys g a s 4 # the samples entry, a digit typed
    expect_alive
    "${VANTOR_WM_CLOSE:?wm-close}" "$win" || fail "wm-close failed"
    wait_exit 0
    expect_untouched
}

flow_close_question()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys g b
    expect_alive
    "${VANTOR_WM_CLOSE:?wm-close}" "$win" || fail "wm-close failed"
    wait_exit 0
    expect_untouched
}

# ---------------------------------------------------------------------------

# Other suites source this file for its library (which also works under
# set -e); only when run does it run a case.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

if [ -z "$case_name" ] || ! declare -F "flow_$case_name" >/dev/null; then
    echo "usage: $0 CASE, one of: $(declare -F | sed -n 's/^declare -f flow_//p' | tr '\n' ' ')" >&2
    exit 2
fi
init
"flow_$case_name"
echo "ok flow.$case_name"
