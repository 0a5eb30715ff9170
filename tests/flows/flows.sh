#!/bin/bash
# flows.sh CASE - whole-program flows of vantor-setup and vantor-display-test
# in their own Xvfb, typed at and clicked with xdotool, judged by the exit
# status, the settings file left behind and what they print. CASE names rows
# of the table at the end, or a flow_* function. Also the library of the
# installation suites. Environment, set by CTest: VANTOR_SETUP,
# VANTOR_DISPLAY_TEST, VANTOR_FONT, VANTOR_LOGO, VANTOR_WM_CLOSE;
# VANTOR_SDL_LIBRARY_PATH, when set, runs the programs on the SDL 1.2 runtime
# in that folder. Every wait has a deadline: a case never hangs, it fails.

# shellcheck disable=SC2086 # lists of keys are split into words on purpose
set -u

readonly DEADLINE=20 # seconds, for every wait
readonly DEFAULTS='0 800 600 1 0 2 22 22 22'
readonly KNOWN='1 1024 768 0 1 8 18 20 24'
readonly OLD_TIME='2001-09-09 01:46:40' # backdated mtime: a rewrite cannot keep it
readonly SAVE_KEYS='Down Down Down Return' # "Save and exit" from the main page

title='Vantor Setup' # the window to find
ready=(157 352)      # a pixel of the page's last bar: bright once the page shows
case_name=${1:-}
tmp="" xvfb_pid="" setup_pid="" win=""

fail()
{
    echo "FAIL $case_name: $*" >&2
    [ ! -s "$tmp/stderr" ] || { echo "--- program's standard error:" && cat "$tmp/stderr"; } >&2
    exit 1
}

cleanup()
{
    # KILL: SDL turns TERM into a quit request, which a stuck program never reads.
    [ -z "$setup_pid" ] || kill -KILL "$setup_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null
    [ -z "$tmp" ] || { chmod -R u+w "$tmp" 2>/dev/null || true; rm -rf "$tmp"; }
}

# A fresh HOME and working folder (with the font), and the settings' paths.
init()
{
    : "${VANTOR_SETUP:?the program to test}" "${VANTOR_FONT:?vantor.ttf}"
    VANTOR_SETUP=$(realpath "$VANTOR_SETUP") && VANTOR_FONT=$(realpath "$VANTOR_FONT") || exit 1
    [ -z "${VANTOR_SDL_LIBRARY_PATH:-}" ] || VANTOR_SDL_LIBRARY_PATH=$(realpath "$VANTOR_SDL_LIBRARY_PATH") || exit 1
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantor-flow.XXXXXX") || exit 1
    trap cleanup EXIT
    trap 'exit 1' INT TERM HUP
    home=$tmp/home work=$tmp/work
    config=$home/.config
    settings="$config/Vantor Settings"
    shot=$work/screenshot.png
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

# An Xvfb on a display number of its own choosing, so that cases run in parallel.
start_xvfb()
{
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    poll grep -qsx '[0-9][0-9]*' "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    DISPLAY=:$(cat "$tmp/display")
    export DISPLAY
}

# Starts $VANTOR_SETUP in $work, and Xvfb when none runs; "$@" are extra
# environment assignments.
start_setup()
{
    [ -n "$xvfb_pid" ] || start_xvfb
    (
        cd "$work" || exit 127
        exec env -u XDG_CONFIG_HOME HOME="$home" SDL_VIDEODRIVER=x11 \
            ${VANTOR_SDL_LIBRARY_PATH:+LD_LIBRARY_PATH="$VANTOR_SDL_LIBRARY_PATH"} \
            "$@" "$VANTOR_SETUP"
    ) >"$tmp/stdout" 2>"$tmp/stderr" </dev/null &
    setup_pid=$!
}

# True while the program runs (an ended child stays a zombie until waited for).
running()
{
    local stat
    stat=$(cat "/proc/$setup_pid/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

# The brightest channel, 0 to 255, of pixel ($2, $3) of picture "$1".
brightest()
{
    convert "$1" -format "%[fx:int(255*max(max(p{$2,$3}.r,p{$2,$3}.g),p{$2,$3}.b))]" info:
}

# True when window "$title" shows its page. (A window found earlier, while the
# program still sets up its display, has been seen to vanish.)
page_shown()
{
    local lit
    win=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | tail -n 1)
    [ -n "$win" ] || running || fail "the program ended before its page showed"
    [ -n "$win" ] && lit=$(xwd -id "$win" -silent 2>/dev/null | brightest xwd:- "${ready[@]}" 2>/dev/null)
    [ "${lit:-0}" -gt 30 ]
}

# Starts the program ("$@" as for start_setup), waits for its page and gives
# its window the keyboard.
launch()
{
    start_setup "$@"
    poll page_shown || fail "no page in a window \"$title\" after $DEADLINE s"
    timeout "$DEADLINE" xdotool windowfocus --sync "$win" || fail "could not focus the window"
}

keys()
{
    timeout "$DEADLINE" xdotool key "$@" || fail "xdotool key $*"
}

# Waits for the program to end with status "$1".
wait_exit()
{
    local status=0
    poll eval '! running' || fail "still running $DEADLINE s after the last input"
    wait "$setup_pid" || status=$?
    setup_pid=""
    [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"
}

# Presses F11 and waits for the whole $shot: the screenshot is saved on the
# next frame, which only a running page loop presents, so all input so far
# was handled.
shoot()
{
    rm -f "$shot"
    keys F11
    poll eval 'pngcheck -q "$shot" >/dev/null 2>&1' || {
        running || fail "the program ended (it should still run)"
        fail "no whole $shot $DEADLINE s after F11"
    }
}

# Writes the settings file "$1", backdated, and keeps a copy to compare with.
write_settings()
{
    mkdir -p "$config"
    printf '%s' "$1" >"$settings"
    touch -d "$OLD_TIME" "$settings"
    cp -p "$settings" "$tmp/settings.before"
}

# File "$1" holds exactly the line "$2" and its line break.
expect_line()
{
    [ -f "$1" ] || fail "no file $1"
    printf '%s\n' "$2" | cmp -s - "$1" || fail "$1 holds '$(od -c "$1" | head -n 3)', expected '$2\\n'"
}

# The settings file is as write_settings left it: same bytes, same mtime.
expect_untouched()
{
    cmp -s "$tmp/settings.before" "$settings" || fail "the settings file changed"
    [ "$(stat -c %Y "$settings")" = "$(stat -c %Y "$tmp/settings.before")" ] ||
        fail "the settings file was rewritten"
}

# Folder "$1" holds exactly the entries "${@:2}" (no temporary file left over).
expect_entries()
{
    local want got
    want=$(printf '%s\n' "${@:2}" | sort)
    got=$(find "$1" -mindepth 1 -maxdepth 1 -printf '%P\n' | sort)
    [ "$got" = "$want" ] || fail "$1 holds [$got], expected [$want]"
}

# Does what a road's words say once the page shows: xdotool key names, and
# press|move|release|click:X,Y (window pixels), close (as a window manager
# asks), lost (the display goes away), shoot, bright|dark:X,Y (a pixel of
# the last screenshot).
walk()
{
    local word x y
    for word in "$@"; do
        x=${word#*:} && y=${x#*,} && x=${x%,*}
        case $word in
            press:* | move:* | release:* | click:*)
                timeout "$DEADLINE" xdotool mousemove --window "$win" "$x" "$y" || fail "xdotool mousemove"
                [[ $word != press:* && $word != click:* ]] || xdotool mousedown 1 || fail "mousedown"
                [[ $word != release:* && $word != click:* ]] || xdotool mouseup 1 || fail "mouseup"
                ;;
            close) shoot && { "${VANTOR_WM_CLOSE:?wm-close}" "$win" || fail "wm-close failed"; } ;;
            lost)
                kill -KILL "$xvfb_pid"
                wait "$xvfb_pid" 2>/dev/null
                xvfb_pid=""
                ;;
            shoot) shoot ;;
            bright:*) [ "$(brightest "$shot" "$x" "$y")" -gt 30 ] || fail "($x, $y) is dark" ;;
            dark:*) [ "$(brightest "$shot" "$x" "$y")" = 0 ] || fail "($x, $y) is not black" ;;
            *) keys "$word" ;;
        esac
    done
}

# Through the installed launcher: a first start writes the defaults and F11
# saves into the data folder "$1"; a second, of "$2" when given, saves.
installed_flows()
{
    shot=$1/screenshot.png
    launch
    expect_line "$settings" "$DEFAULTS"
    shoot
    keys Escape
    wait_exit 0
    expect_line "$settings" "$DEFAULTS"
    write_settings "$KNOWN extra words"$'\n'
    VANTOR_SETUP=${2:-$VANTOR_SETUP}
    launch
    keys $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "$KNOWN"
}

# Runs case $case_name: function "$1$case_name", or its rows of table "$2".
run_case()
{
    local table=${2:-}
    if [ -z "$case_name" ] || ! { declare -F "$1$case_name" >/dev/null || grep -q "^$case_name|" <<<"$table"; }; then
        echo "usage: $0 CASE, one of: $(declare -F | sed -n "s/^declare -f $1//p") $(cut -sd'|' -f1 <<<"$table")" | tr '\n' ' ' >&2
        exit 2
    fi
    init
    if declare -F "$1$case_name" >/dev/null; then "$1$case_name"; else run_rows <<<"$table"; fi
    echo "ok $case_name"
}

# Each row of the table: CASE|ENV|BEFORE|ROAD|STATUS|AFTER|SAYS. ENV: extra
# environment assignments; "display" first runs vantor-display-test instead of
# the setup, "-font" leaves the font out. BEFORE: the settings line ("-": no
# file). ROAD: the walk once the page shows ("-": none is waited for;
# "wait:N": none, and the program runs N seconds at least). STATUS: the exit
# status. AFTER: the settings line then ("=": untouched, "-": no file). SAYS:
# lines the program prints, ";" between them, each a pattern. Rows that turn
# sdl12-compat's OpenGL scaling on run on that runtime only.
run_rows()
{
    local setup=$VANTOR_SETUP row env before road status after says line w h scale start
    ln -s "$(realpath "${VANTOR_LOGO:?logo.png}")" "$work/logo.png"
    while IFS='|' read -r row env before road status after says; do
        [ "$row" = "$case_name" ] || continue
        [[ -z ${VANTOR_SDL_LIBRARY_PATH:-} || $env != *SDL12COMPAT_OPENGL_SCALING=1* ]] || continue
        read -r _ w h _ <<<"$before"
        [[ $env == display* && $before != - ]] || w=600 h=375
        scale=$((w / 40 < h / 25 ? w / 40 : h / 25))
        ready=($((w / 2 - 10 * scale + scale / 2)) $(((h - 25 * scale) / 2 + 23 * scale + scale / 2)))
        VANTOR_SETUP=$setup title='Vantor Setup'
        [[ $env != display* ]] || VANTOR_SETUP=$VANTOR_DISPLAY_TEST title='Vantor Display Test'
        [[ $env != *-font* ]] || rm "$work/vantor.ttf"
        rm -rf "$config"
        [ "$before" = - ] || write_settings "$before"$'\n'
        env=${env#display} && env=${env/-font/}
        start=$SECONDS
        if [[ $road == - || $road == wait:* ]]; then start_setup $env; else launch $env && walk $road; fi
        wait_exit "$status"
        [[ $road != wait:* ]] || [ $((SECONDS - start)) -ge "${road#wait:}" ] || fail "ended after $((SECONDS - start)) s"
        case $after in
            =) expect_untouched ;;
            -) [ ! -e "$settings" ] || fail "a settings file was written" ;;
            *) expect_line "$settings" "$after" && expect_entries "$config" "Vantor Settings" ;;
        esac
        IFS=';' read -ra says <<<"$says"
        for line in "${says[@]}"; do
            grep -qx "$line" "$tmp/stdout" "$tmp/stderr" || fail "no line '$line' in: $(cat "$tmp/stdout" "$tmp/stderr")"
        done
        ln -sf "$VANTOR_FONT" "$work/vantor.ttf"
    done
}

# ---------------------------------------------------------------------------

# A save that fails shows the status line (the library's bright green in row
# 23) for about a second, and keeps the program, the old file and the
# highlight on "Save and exit". A read-only folder stops the temporary file,
# except for root: then a folder in its place does.
flow_save_fails()
{
    write_settings "$KNOWN"$'\n'
    chmod a-w "$config"
    ! touch "$config/.probe" 2>/dev/null || { rm "$config/.probe" && chmod u+w "$config" && mkdir -p "$settings.new/kept"; }
    launch
    poll status_line_after_save || fail "no status line after a failed save"
    xwd -id "$win" -silent | convert xwd:- "$tmp/window.png"
    [ "$(brightest "$tmp/window.png" 155 322)" != "$(brightest "$tmp/window.png" 155 352)" ] ||
        fail "\"Save and exit\" is not highlighted after the failed save"
    walk Escape
    wait_exit 0
    expect_untouched
}

# Chooses "Save and exit" by the mouse (the highlight may have moved) and
# looks for the status line a few times. Near, not exact: the classic
# runtime's DirectColor map turns 0 into 1.
status_line_after_save()
{
    walk click:300,322
    for _ in 1 2 3 4 5 6 7 8; do
        running || fail "the program ended after a failed save"
        [ "$(xwd -id "$win" -silent | convert xwd:- -crop 300x15+150+345 +repage -fuzz 3% \
            -fill black +opaque '#00ff00' -format '%[fx:mean]' info:)" = 0 ] || return 0
    done
    return 1
}

# Other suites source this file for its library (also under set -e).
[ "${BASH_SOURCE[0]}" != "$0" ] || run_case flow_ "$(cat <<END
# The first run writes the defaults before the page shows (Escape never saves).
first_run||-|Escape|0|$DEFAULTS|
# Every way out but "Save and exit" leaves the settings alone, also closing the
# window on a question or an entry; losing the display is the X library's 1.
ways_out||$KNOWN|Escape|0|=|
ways_out||$KNOWN|e|0|=|
ways_out||$KNOWN|ctrl+q|0|=|
ways_out||$KNOWN|alt+q|0|=|
ways_out||$KNOWN|meta+q|0|=|
ways_out||$KNOWN|close|0|=|
ways_out||$KNOWN|g b close|0|=|
ways_out||$KNOWN|g a s 4 close|0|=|
ways_out||$KNOWN|lost|1|=|
# Fatal errors: status 1 and the reason, the settings untouched.
fatal|-font|$KNOWN|-|1|=|Vantor: vantor.ttf: could not read font
fatal|DISPLAY=unix:99999|$KNOWN|-|1|=|Vantor: .\+
# Space on "Game statistics"; "s" is "Sound options:", never "Save and exit";
# a press and a release not both on bars: nothing is chosen.
nothing_chosen||$KNOWN|Down Down space s shoot press:300,322 move:300,280 release:300,280 press:50,322 move:300,322 release:300,322 shoot Escape|0|=|
# "Save and exit" by keys (Up at the top stays), a click, a drag from another
# bar: exactly the nine numbers read, with no file left over.
save||$KNOWN extra words|Up $SAVE_KEYS|0|$KNOWN|
save||$KNOWN extra words|click:300,322|0|$KNOWN|
save||$KNOWN extra words|press:300,352 move:300,322 release:300,322|0|$KNOWN|
# Roads through the pages: each list question sets its field and keeps the
# other bits of the flags; "Cancel" and Escape change nothing ("r" is
# "Resolution:", not "Return"); the entries append digits up to 9999 (64 for
# the samples, stored as 2 at least), Backspace drops one, the keypad does
# nothing, Escape keeps the value.
pages||$DEFAULTS unsaved|g m w Escape $SAVE_KEYS|0|0 800 600 0 0 2 22 22 22|
pages||1 1024 768 4 1 8 18 20 24|g b o m f a a n Down Return y Escape Escape $SAVE_KEYS|0|0 1024 768 7 0 8 18 20 24|
pages||$KNOWN unsaved|g b c b Escape o m c m Escape f a a c a Escape n Down Return c Down Return Escape y s 5 Escape Escape g Escape r Escape Escape Escape $SAVE_KEYS|0|$KNOWN|
pages||$DEFAULTS|g r o Escape 5 Return Escape $SAVE_KEYS|0|0 800 6005 1 0 2 22 22 22|
pages||0 800 600 0 0 2 22 22 22|g r BackSpace KP_5 5 1 9 KP_Enter Return BackSpace BackSpace BackSpace Return Escape $SAVE_KEYS|0|0 8051 0 0 0 2 22 22 22|
pages||$DEFAULTS|g a s 9 9 Return Escape Escape $SAVE_KEYS|0|0 800 600 1 0 29 22 22 22|
pages||$DEFAULTS unsaved|g a s BackSpace Return Escape Escape $SAVE_KEYS|0|$DEFAULTS|
# "Darker" and "Lighter" on all channels or one ("r" is "Red", not "Return"),
# each stopping at 0.1 and 5.0.
gamma||$DEFAULTS|g g d r l l b d Escape Escape $SAVE_KEYS|0|0 800 600 1 0 2 23 21 20|
gamma||0 800 600 1 0 2 1 50 22|g g d l d Escape Escape $SAVE_KEYS|0|0 800 600 1 0 2 1 49 21|
# Full screen lists each of the display's sizes once, then "Other..."; a digit
# chooses the first size it begins. sdl12-compat's OpenGL scaling adds four to
# Xvfb's one.
resolution_list||$DEFAULTS|g r 1 Escape $SAVE_KEYS|0|0 1024 768 1 0 2 22 22 22|
resolution_list|SDL12COMPAT_OPENGL_SCALING=1|$DEFAULTS|g r Down Down Return r 7 Escape $SAVE_KEYS|0|0 720 480 1 0 2 22 22 22|
# vantor-display-test says what it was granted and never writes the settings:
# OpenGL with an accumulation buffer, its keys, a screenshot, Return on
# "Close"; the SDL back-end, Escape; OpenGL scaling the user turned on stays
# on and gives no accumulation buffer, Ctrl+Q.
display_backends|display|0 800 600 2 1 4 22 22 22|F1 F5 F6 shift+F6 F7 F8 F12 F1 F8 F12 shoot dark:5,480 bright:205,470 bright:40,50 Return|0|=|Back-end: OpenGL;Display: 800x600, windowed;Canvas: 20 pixels a unit;Accumulation buffer: present;glBlendColor: none;Gamma 2.2, 2.2, 2.2: hardware ramp;Renderer: .\+
display_backends|display|1 640 480 4 0 2 18 20 24|Escape|0|=|Back-end: SDL;Canvas: 16 pixels a unit;Gamma 1.8, 2.0, 2.4: corrected in software
display_backends|display SDL12COMPAT_OPENGL_SCALING=1|0 800 600 2 0 2 22 22 22|ctrl+q|0|=|Accumulation buffer: none
# Without a settings file: the defaults, nothing written, and without input
# the page closes itself after 15 seconds.
display_countdown|display|-|wait:12|0|-|Display: 800x600, full screen
# Displays that cannot be opened end at once with the reason.
display_refused|display|0 39 25 0 0 2 22 22 22|-|1|=|Vantor: Screen size too small
display_refused|display|7 800 600 0 0 2 22 22 22|-|1|=|Vantor: No backends available
display_refused|display|1 1234 567 1 0 2 22 22 22|-|1|=|Vantor: Video mode not available
display_refused|display|0 40000 30000 0 0 2 22 22 22|-|1|=|Vantor: .\+
END
)"
