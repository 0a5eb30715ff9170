#!/bin/bash
# flows.sh CASE - whole-program flows of vantor-setup: the real program in its
# own Xvfb, typed at and clicked with xdotool, judged by its exit status, the
# settings file it leaves and the pictures it shows. CASE is a flow_* function
# below, without "flow_". Also the library of the other whole-program suites.
#
# Environment: VANTOR_SETUP, VANTOR_FONT (the vantor.ttf it reads from its
# working folder) and VANTOR_WM_CLOSE, set by CTest; VANTOR_SDL_LIBRARY_PATH,
# when set, runs the program on the SDL 1.2 runtime in that folder.
#
# Each case has its own Xvfb, HOME and working folder, removed on every way
# out. Every wait has a deadline: a case never hangs, it fails. Keys queue in
# the X server and the program takes them in order, so a flow types a whole
# road at once; F11 (a screenshot, saved on the next frame, which only a
# running page loop presents) shows that all input so far was handled.

# shellcheck disable=SC2086 # lists of keys are split into words on purpose
set -u

readonly DEADLINE=20 # seconds, for every wait
readonly DEFAULTS='0 800 600 1 0 2 22 22 22'
readonly KNOWN='1 1024 768 0 1 8 18 20 24'
readonly OLD_TIME='2001-09-09 01:46:40' # backdated mtime: a rewrite cannot keep it
readonly SAVE_KEYS='Down Down Down Return' # "Save and exit" from the main page
# Bar centres in window pixels: 15 pixels a canvas unit, bars at columns 10..30.
readonly BAR_X=300 SAVE_Y=322 EXIT_Y=352 # rows 21 and 23

title='Vantor Setup' # the window to find
ready=(155 352)      # a pixel of the page's last bar: bright once the page shows
program_args=()      # the program's arguments
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

# Starts the program in $work with $program_args; "$@" are extra environment
# assignments.
start_setup()
{
    (
        cd "$work" || exit 127
        exec env -u XDG_CONFIG_HOME HOME="$home" SDL_VIDEODRIVER=x11 \
            ${VANTOR_SDL_LIBRARY_PATH:+LD_LIBRARY_PATH="$VANTOR_SDL_LIBRARY_PATH"} \
            "$@" "$VANTOR_SETUP" "${program_args[@]}"
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

# Waits for the page and gives its window the keyboard.
find_window()
{
    poll page_shown || fail "no page in a window \"$title\" after $DEADLINE s"
    timeout "$DEADLINE" xdotool windowfocus --sync "$win" || fail "could not focus the window"
}

# Starts the program ("$@" as for start_setup), and Xvfb when none runs.
launch()
{
    [ -n "$xvfb_pid" ] || start_xvfb
    start_setup "$@"
    find_window
}

keys()
{
    timeout "$DEADLINE" xdotool key "$@" || fail "xdotool key $*"
}

# Pointer actions in window pixels: mouse move|press|release X Y.
mouse()
{
    timeout "$DEADLINE" xdotool mousemove --window "$win" "$2" "$3" || fail "xdotool mousemove"
    case $1 in
        press) timeout "$DEADLINE" xdotool mousedown 1 || fail "xdotool mousedown" ;;
        release) timeout "$DEADLINE" xdotool mouseup 1 || fail "xdotool mouseup" ;;
    esac
}

# Asks the window to close, as a window manager does (Xvfb runs none).
close_window()
{
    "${VANTOR_WM_CLOSE:?wm-close}" "$win" || fail "wm-close failed"
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

# Standard error holds one line, which matches pattern "$1".
expect_error()
{
    # shellcheck disable=SC2053 # a pattern
    [[ "$(wc -l <"$tmp/stderr")" = 1 && "$(cat "$tmp/stderr")" == $1 ]] ||
        fail "standard error is not one line '$1'"
}

# Presses F11 and waits for the whole $shot: the page loop still runs.
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

# Pixel ($2, $3) of picture "$1" as "srgb(r,g,b)".
pixel()
{
    convert "$1" -format "%[pixel:p{$2,$3}]" info:
}

# The window as the X server shows it, as $tmp/window.png.
capture()
{
    xwd -id "$win" -silent | convert xwd:- "$tmp/window.png" || fail "could not capture the window"
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

# The command line before any window (no display at all), a row of standard
# input for each call: the arguments (words of the shell), the exit status,
# and patterns that the standard output and the standard error match.
command_rows()
{
    local args status out err got argv
    while IFS='|' read -r args status out err; do
        [[ $args != \#* ]] || continue
        eval "argv=($args)"
        got=0
        (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_CONFIG_HOME \
            HOME="$home" timeout "$DEADLINE" "$VANTOR_SETUP" "${argv[@]}") >"$tmp/stdout" \
            2>"$tmp/stderr" </dev/null || got=$?
        # shellcheck disable=SC2053 # patterns
        if [ "$got" != "$status" ] || [[ "$(cat "$tmp/stdout")" != $out ]] ||
            [[ "$(cat "$tmp/stderr")" != $err ]]; then
            fail "$args: status $got, output '$(cat "$tmp/stdout")'; expected $status, '$out', '$err'"
        fi
    done
}

# revert_bar W H: the pixel that find_window waits for in a display test of
# W x H pixels asking its question: its "Revert" bar (columns 22 to 34 of row
# 23), lit last.
revert_bar()
{
    local w=$1 h=$2 scale x y
    scale=$((w / 40 < h / 25 ? w / 40 : h / 25))
    x=$(((w - 40 * scale) / 2 + 28 * scale))
    y=$(((h - 25 * scale) / 2 + 23 * scale + scale / 2))
    ready=("$x" "$y")
}

# The environment assignment that gives the program OpenGL without
# accumulation buffers: the classic runtime and sdl12-compat's SDL 2 each read
# their own variable.
no_accum_gl()
{
    if [ -n "${VANTOR_SDL_LIBRARY_PATH:-}" ]; then
        echo "SDL_VIDEO_GL_DRIVER=${VANTOR_NO_ACCUM_GL:?}"
    else
        echo "SDL_OPENGL_LIBRARY=${VANTOR_NO_ACCUM_GL:?}"
    fi
}

# "Test display" on the graphics page, a row of standard input for each run:
# the settings before | how the setup is started | the keys typed in it from
# the main page | the keys typed in the display test ("-": none, its window
# is not waited for) | the line the setup prints | the settings "Save and
# exit" writes afterwards. Until then the settings file is untouched. How the
# setup is started: "plain"; "link", through a symbolic link in another
# folder; "missing", a copy alone in a folder; "hang", a copy beside a display
# test that never answers (given 1 s); "countdown", the question's countdown
# 1 s; "no-accum", OpenGL without accumulation buffers.
test_display_rows()
{
    local before start road child line after env setup
    setup=$VANTOR_SETUP
    while IFS='|' read -r before start road child line after; do
        [[ $before != \#* ]] || continue
        write_settings "$before"$'\n'
        VANTOR_SETUP=$setup env=()
        case $start in
            link)
                mkdir -p "$tmp/link" && ln -sfn "$setup" "$tmp/link/vantor-setup"
                VANTOR_SETUP=$tmp/link/vantor-setup
                ;;
            missing | hang)
                rm -rf "$tmp/copy" && mkdir "$tmp/copy" && cp "$setup" "$tmp/copy/"
                VANTOR_SETUP=$tmp/copy/vantor-setup
                if [ "$start" = hang ]; then
                    printf '#!/bin/sh\nexec sleep 60\n' >"$tmp/copy/vantor-display-test"
                    chmod +x "$tmp/copy/vantor-display-test"
                    env=(VANTOR_TEST_SECONDS=1)
                fi
                ;;
            countdown) env=(VANTOR_COUNTDOWN_SECONDS=1) ;;
            no-accum) env=("$(no_accum_gl)") ;;
        esac
        launch "${env[@]}"
        keys $road
        if [ "$child" != - ]; then
            title='Vantor Display Test'
            revert_bar "$(cut -d' ' -f2 <<<"$before")" "$(cut -d' ' -f3 <<<"$before")"
            find_window
            keys $child
            title='Vantor Setup' ready=(155 352)
        fi
        poll grep -qxF "$line" "$tmp/stdout" ||
            fail "$start, $road: no line '$line' in: $(cat "$tmp/stdout")"
        expect_untouched
        find_window
        keys Escape $SAVE_KEYS
        wait_exit 0
        expect_line "$settings" "$after"
    done
    VANTOR_SETUP=$setup
}

# Runs case $case_name, function "$1$case_name".
run_case()
{
    if [ -z "$case_name" ] || ! declare -F "$1$case_name" >/dev/null; then
        echo "usage: $0 CASE, one of: $(declare -F | sed -n "s/^declare -f $1//p" | tr '\n' ' ')" >&2
        exit 2
    fi
    init
    "$1$case_name"
    echo "ok $case_name"
}

# ---------------------------------------------------------------------------

# The first run writes the defaults before the page shows, in $HOME/.config or
# in $XDG_CONFIG_HOME (made with its parents), and leaving keeps them. The
# logo is optional: absent, nothing is said; damaged, it is reported once.
flow_first_run()
{
    local xdg=$tmp/xdg/nested
    launch
    expect_line "$settings" "$DEFAULTS"
    keys Escape
    wait_exit 0
    expect_line "$settings" "$DEFAULTS"
    expect_entries "$config" "Vantor Settings"
    [ ! -s "$tmp/stderr" ] || fail "something said without a logo: $(cat "$tmp/stderr")"
    rm -r "$config"
    echo 'not a picture' >"$work/logo.png"
    launch XDG_CONFIG_HOME="$xdg"
    expect_line "$xdg/Vantor Settings" "$DEFAULTS"
    keys Escape
    wait_exit 0
    expect_line "$xdg/Vantor Settings" "$DEFAULTS"
    [ ! -e "$config" ] || fail "$config was created though XDG_CONFIG_HOME is set"
    expect_error 'Vantor: Could not read image header'
}

# Every way out but "Save and exit" leaves the settings alone: Escape, "e"
# ("Exit without saving"), Ctrl/Alt/Meta+Q, closing the window on the main
# page, a question, an entry or while the display test runs (which ends too),
# and losing the display (the X library's 1).
flow_ways_out()
{
    local way test_window='^Vantor Display Test$'
    for way in Escape e ctrl+q alt+q meta+q close 'g b close' 'g a s 4 close' 'g t close' lost; do
        write_settings "$KNOWN"$'\n'
        # A display test left behind would stay for its countdown's 10 minutes.
        launch VANTOR_COUNTDOWN_SECONDS=600
        case $way in
            close) close_window && wait_exit 0 ;;
            'g t close')
                keys g t
                poll xdotool search --name "$test_window" >/dev/null || fail "no display test"
                close_window && wait_exit 0
                # shellcheck disable=SC2016 # expanded by eval
                poll eval '! xdotool search --name "$test_window" >/dev/null' ||
                    fail "the display test outlived the setup"
                ;;
            *close) keys ${way% close} && shoot && close_window && wait_exit 0 ;;
            lost)
                kill -KILL "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null
                xvfb_pid=""
                wait_exit 1
                ;;
            *) keys "$way" && wait_exit 0 ;;
        esac
        expect_untouched
    done
}

# Fatal errors end with status 1 and the reason, settings untouched: the font
# missing, a display that cannot be opened (SDL's message after "Vantor: ").
# With no display at all and no driver chosen it ends before writing anything,
# not even the settings folder (the first start's defaults).
flow_fatal()
{
    local n=4242
    write_settings "$KNOWN"$'\n'
    rm "$work/vantor.ttf"
    start_xvfb
    start_setup
    wait_exit 1
    expect_error 'Vantor: vantor.ttf: could not read font'
    expect_untouched
    ln -s "$VANTOR_FONT" "$work/vantor.ttf"
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    DISPLAY=unix:$n start_setup
    wait_exit 1
    expect_error 'Vantor: ?*'
    expect_untouched
    rm -r "$config"
    command_rows <<<'|1||Vantor: no display found: DISPLAY and WAYLAND_DISPLAY are not set'
    expect_entries "$home"
}

# What chooses nothing: Space on "Game statistics"; "s", which is "Sound
# options:", never "Save and exit"; a press and a release not both on bars.
flow_nothing_chosen()
{
    write_settings "$KNOWN"$'\n'
    launch
    keys Down Down space s
    shoot
    mouse press "$BAR_X" "$SAVE_Y" # released between the bars
    mouse move "$BAR_X" 280
    mouse release "$BAR_X" 280
    mouse press 50 "$SAVE_Y" # pressed beside the bar, released on it
    mouse move "$BAR_X" "$SAVE_Y"
    mouse release "$BAR_X" "$SAVE_Y"
    shoot
    expect_untouched
    keys Escape
    wait_exit 0
    expect_untouched
}

# "Save and exit" by keys (Up at the top stays), a click, a drag from another
# bar: the file becomes exactly the nine numbers read, with no file left over.
flow_save()
{
    local how
    for how in keys click drag; do
        write_settings "$KNOWN extra words"$'\n'
        launch
        case $how in
            keys) keys Up $SAVE_KEYS ;;
            click) mouse press "$BAR_X" "$SAVE_Y" ;;
            drag) mouse press "$BAR_X" "$EXIT_Y" && mouse move "$BAR_X" "$SAVE_Y" ;;
        esac
        [ "$how" = keys ] || mouse release "$BAR_X" "$SAVE_Y"
        wait_exit 0
        expect_line "$settings" "$KNOWN"
        expect_entries "$config" "Vantor Settings"
    done
}

# A save that fails shows the status line (the library's bright green in row
# 23), keeps the program, the old file and the highlight on "Save and exit":
# in a read-only folder, and where a file-size limit of 0 fails every write,
# from the first run's save of the defaults on (then the program goes on, and
# no temporary file is left).
flow_save_fails()
{
    local how try
    for how in read-only size-limit; do
        if [ "$how" = read-only ]; then
            write_settings "$KNOWN"$'\n'
            # A read-only folder stops the temporary file, except for root: then
            # a folder in its place does.
            chmod a-w "$config"
            if touch "$config/.probe" 2>/dev/null; then
                rm -f "$config/.probe" && chmod u+w "$config" && mkdir -p "$settings.new/kept"
            fi
            launch
        else
            chmod u+w "$config" && rm -r "$config"
            launch prlimit --fsize=0
        fi
        save_fails_once "$how"
    done
}

# The failed save of flow_save_fails, then Escape: settings as before.
save_fails_once()
{
    local try
    # The line shows for about a second: when a busy machine let it go by
    # unseen, choose again. By the mouse: the highlight may have moved.
    for try in 1 2 3; do
        mouse press "$BAR_X" "$SAVE_Y"
        mouse release "$BAR_X" "$SAVE_Y"
        for _ in 1 2 3 4 5 6 7 8; do
            capture
            # Near, not exact: the classic runtime's DirectColor map turns 0 into 1.
            [ "$(convert "$tmp/window.png" -crop 300x15+150+345 +repage -fuzz 3% \
                -fill black +opaque '#00ff00' -format '%[fx:mean]' info:)" = 0 ] || break 2
        done
        [ "$try" -lt 3 ] || fail "no status line after a failed save"
    done
    running || fail "the program ended after a failed save ($1)"
    capture
    [ "$(pixel "$tmp/window.png" 155 "$SAVE_Y")" != "$(pixel "$tmp/window.png" 155 "$EXIT_Y")" ] ||
        fail "\"Save and exit\" is not highlighted after the failed save"
    keys Escape
    wait_exit 0
    if [ "$1" = read-only ]; then expect_untouched; else expect_entries "$config"; fi
}

# F11 saves the page as shown: a valid 600 x 375 PNG with gAMA 1/2.2, the main
# page's black background, its first bar highlighted and the others alike.
flow_screenshot()
{
    local info bar y
    launch
    shoot
    keys Escape
    wait_exit 0
    info=$(pngcheck -v "$shot") || fail "pngcheck rejects screenshot.png: $info"
    grep -q '600 x 375 image, 24-bit RGB, non-interlaced' <<<"$info" || fail "not 600x375 RGB: $info"
    grep -q 'gAMA .*0\.45455' <<<"$info" || fail "no gAMA 1/2.2: $info"
    [ "$(pixel "$shot" 5 5)" = "srgb(0,0,0)" ] || fail "background at (5,5) is $(pixel "$shot" 5 5)"
    bar=$(pixel "$shot" 155 157)
    [ "$bar" != "srgb(0,0,0)" ] || fail "no bar at row 10"
    for y in 217 322 352; do
        [ "$(pixel "$shot" 155 "$y")" = "$bar" ] || fail "bar at y $y is $(pixel "$shot" 155 "$y"), not $bar"
    done
    [ "$(pixel "$shot" 155 97)" != "$bar" ] || fail "the first bar is not highlighted"
}

# Roads through the pages, each ended by "Save and exit": the settings before,
# the road (back to the main page), the settings saved. The words after the
# numbers, which a save drops, show that the program saved.
flow_pages()
{
    local before road after
    while IFS='|' read -r before road after; do
        [[ $before != \#* ]] || continue
        write_settings "$before unsaved"$'\n'
        launch
        keys $road $SAVE_KEYS
        wait_exit 0
        expect_line "$settings" "$after"
    done <<END
# The road of one change: Graphics options, Mode, Windowed: flags 0.
$DEFAULTS|g m w Escape|0 800 600 0 0 2 22 22 22
# Each list question sets its field: Back-end OpenGL, Mode Full screen,
# Antialiasing No, Accumulation buffer Yes.
$KNOWN|g b o m f a a n Down Return y Escape Escape|0 1024 768 3 0 8 18 20 24
# "Cancel" and Escape on every question (then the initial of the other choice,
# which only a question still open takes), Escape on every entry and page
# change nothing; "r" is "Resolution:", not "Return", "a" "Antialiasing:".
$KNOWN|g b c b Escape o m c m Escape f a a c a Escape n Down Return c Down Return Escape y s 5 Escape Escape g Escape r Escape Escape Escape|$KNOWN
# Full screen, "Other...": Escape on the width keeps it; the height, typed, appends.
$DEFAULTS|g r o Escape 5 Return Escape|0 800 6005 1 0 2 22 22 22
# Windowed, the entries at once: Backspace drops a digit, keypad keys do
# nothing, no digit past 9999, a height below 25 is stored as 25.
0 800 600 0 0 2 22 22 22|g r BackSpace KP_5 5 1 9 KP_Enter Return BackSpace BackSpace BackSpace 2 4 Return Escape|0 8051 25 0 0 2 22 22 22
# Samples: 2 and 9 make 29, not 299; below 2 is stored as 2; Escape keeps
# even a value below 2 (hand-edited) as it was.
$DEFAULTS|g a s 9 9 Return Escape Escape|0 800 600 1 0 29 22 22 22
$DEFAULTS|g a s BackSpace Return Escape Escape|$DEFAULTS
0 800 600 1 0 0 22 22 22|g a s 5 Escape Escape Escape|0 800 600 1 0 0 22 22 22
# Gamma stops at 0.1 and 5.0, each channel at its own limit.
0 800 600 1 0 2 1 50 22|g g d l d Escape Escape|0 800 600 1 0 2 1 49 21
END
}

# Full screen, the list of the display's sizes, each once, then "Other..."; a
# digit chooses the first size it begins. Xvfb has one size; sdl12-compat adds
# four when the user turns its OpenGL scaling on (the classic runtime cannot).
flow_resolution_list()
{
    local sizes=5 y
    [ -z "${VANTOR_SDL_LIBRARY_PATH:-}" ] || sizes=1
    write_settings "$DEFAULTS"$'\n'
    launch SDL12COMPAT_OPENGL_SCALING=1
    keys g r
    shoot
    for ((y = 112; y < 112 + 15 * (sizes + 1); y += 15)); do # from row 7 down
        [ "$(pixel "$shot" 155 "$y")" != "srgb(0,0,0)" ] || fail "no bar at y $y"
    done
    [ "$(pixel "$shot" 155 "$y")" = "srgb(0,0,0)" ] || fail "more than $sizes sizes"
    if [ "$sizes" = 5 ]; then
        keys Down Down Return r 7 Escape $SAVE_KEYS # 800x600, then 720x480
        wait_exit 0
        expect_line "$settings" "0 720 480 1 0 2 22 22 22"
    else
        keys 1 Escape $SAVE_KEYS
        wait_exit 0
        expect_line "$settings" "0 1024 768 1 0 2 22 22 22"
    fi
}

# The gamma page: flat fields at the level of the value tried, "Darker" and
# "Lighter" on all channels or the one chosen ("r" is "Red", not "Return").
flow_gamma()
{
    write_settings "$DEFAULTS"$'\n'
    launch
    keys g g
    shoot
    [ "$(pixel "$shot" 5 95)" = "srgb(186,186,186)" ] || fail "white field $(pixel "$shot" 5 95)"
    [ "$(pixel "$shot" 5 125)" = "srgb(186,0,0)" ] || fail "red field $(pixel "$shot" 5 125)"
    [ "$(pixel "$shot" 1 110)" = "srgb(255,255,255)" ] || fail "lit pattern pixel $(pixel "$shot" 1 110)"
    keys d # all three to 2.1
    shoot
    [ "$(pixel "$shot" 5 95)" = "srgb(183,183,183)" ] || fail "white field after Darker $(pixel "$shot" 5 95)"
    keys r l l # red to 2.3
    shoot
    [ "$(pixel "$shot" 5 125)" = "srgb(188,0,0)" ] || fail "red field after Lighter $(pixel "$shot" 5 125)"
    keys b d Escape Escape $SAVE_KEYS # blue to 2.0
    wait_exit 0
    expect_line "$settings" "0 800 600 1 0 2 23 21 20"
}

# The command line, read before SDL starts, so that --help, --version, --reset
# and a mistake (the reason and the usage on standard error, status 2) need no
# display. --reset writes the defaults to the settings file, or --config's,
# and prints its path. --config FILE is the file the pages read and "Save and
# exit" writes; the usual one stays as it was.
flow_command_line()
{
    write_settings "$KNOWN"$'\n'
    command_rows <<END
--help|0|Usage: vantor-setup *--config FILE*--reset*--help*--version*|
--version|0|vantor-setup [0-9]*.[0-9]*.[0-9]*|
--bogus|2||Vantor: unknown option '--bogus'*Usage: vantor-setup*--reset*
--confirm|2||Vantor: unknown option '--confirm'*Usage: vantor-setup*
stray|2||Vantor: unexpected argument 'stray'*Usage: vantor-setup*
--config|2||Vantor: '--config' needs a value: --config FILE*Usage: vantor-setup*
--config= --reset|2||Vantor: --config needs a file name*Usage: vantor-setup*
--help=yes|2||Vantor: '--help' takes no value*Usage: vantor-setup*
END
    expect_untouched
    command_rows <<END
--config "$tmp/other" --reset|0|$tmp/other|
--reset --help|0|Usage: vantor-setup*|
END
    expect_untouched
    expect_line "$tmp/other" "$DEFAULTS"
    command_rows <<END
--reset|0|$settings|
END
    expect_line "$settings" "$DEFAULTS"
    write_settings "$KNOWN"$'\n'
    printf '%s\n' "0 640 480 0 0 2 22 22 22" >"$tmp/other"
    program_args=(--config "$tmp/other")
    launch
    keys g m f Escape $SAVE_KEYS
    wait_exit 0
    expect_line "$tmp/other" "0 640 480 1 0 2 22 22 22"
    expect_untouched
}

# "Test display" answered: "Keep" (the setup started through a link from
# another folder finds the display test beside its real file), "Revert" (the
# back-end tried goes back, the gamma changed since stays) and the countdown
# running out.
flow_test_display()
{
    test_display_rows <<END
1 640 480 0 0 2 22 22 22|link|g b o t|k|Settings kept.|0 640 480 0 0 2 22 22 22
1 640 480 0 0 2 22 22 22|plain|g b o g d Escape t|Return|Settings reverted.|1 640 480 0 0 2 21 21 21
1 640 480 0 0 2 22 22 22|countdown|g b o t|-|Settings reverted.|1 640 480 0 0 2 22 22 22
END
}

# "Test display" failing, the tried fields back and the reason on the status
# line: full screen at a size the display does not offer, in each back-end; an
# accumulation buffer refused (software gamma, bit 2, stays as it was); the
# display test missing; a display test that never answers, ended.
flow_test_display_fails()
{
    local offered='Display test failed: Not offered in full screen; try 1024x768'
    test_display_rows <<END
1 1234 567 0 0 2 22 22 22|plain|g m f t|-|$offered|1 1234 567 0 0 2 22 22 22
0 1234 567 0 0 2 22 22 22|plain|g m f t|-|$offered|0 1234 567 0 0 2 22 22 22
0 640 480 4 0 2 22 22 22|no-accum|g a Down Return y Escape g d Escape t|-|Display test failed: No accumulation buffer here: turn it off|0 640 480 4 0 2 21 21 21
$KNOWN|missing|g t|-|Display test failed: vantor-display-test is missing|$KNOWN
$KNOWN|hang|g t|-|Display test failed: no answer in 1 s|$KNOWN
END
}

# Other suites source this file for its library (also under set -e).
[ "${BASH_SOURCE[0]}" != "$0" ] || run_case flow_
