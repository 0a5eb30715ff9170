#!/bin/bash
# flows.sh CASE - the rows CASE of the table at the end: the programs in their own Xvfb,
# driven by xdotool; also the other suites' library. Environment (CTest): VANTOR_SETUP and
# VANTOR_FONT (default: in VANTOR_BUILD), VANTOR_DISPLAY_TEST, VANTOR_LOGO, VANTOR_WM_CLOSE,
# VANTOR_DOCS, and VANTOR_SDL_LIBRARY_PATH (another SDL 1.2 runtime's folder).

# shellcheck disable=SC2086 # lists of keys are split into words on purpose
set -u

readonly DEADLINE=20 # seconds, for every wait
readonly DEFAULTS='0 800 600 1 0 2 22 22 22'
readonly KNOWN='1 1024 768 0 1 8 18 20 24'
readonly OLD_TIME='2001-09-09 01:46:40' # backdated mtime: a rewrite cannot keep it
readonly SAVE_KEYS='Down Down Down Return' # "Save and exit" from the main page
readonly TESTED="said untouched focus Escape $SAVE_KEYS" # after "Test display"
readonly FLASHING=150,90,449,104 # the main and graphics pages' first bar, highlighted: it flashes
readonly OFFERED='Display test failed: Not offered in full screen. try 1024x768'

title='Vantor Setup' # the window to find
ready=(157 352)      # a pixel of the page's last bar: bright once the page shows
EOL=$'\n'            # how the settings file's line ends
program_args=()      # the program's arguments
screen=1024x768 xft_dpi="" # the Xvfb's screen and the desktop scale it publishes
case_name=${1:-}
tmp="" xvfb_pid="" setup_pid="" win=""

# What else starts and ends with a case, how a window is asked to close: the
# Windows flows say their own (and where the output goes, in init_more).
stop_more() { :; }
init_more() { :; }
close_window() { "${VANTOR_WM_CLOSE:?wm-close}" "$win" || fail "wm-close failed"; }

fail()
{
    echo "FAIL $case_name${road:+ (road: $road)}: $*" >&2
    [ ! -s "${stderr_file:-}" ] || { echo "--- the program's stderr:" && cat "$stderr_file"; } >&2
    exit 1
}

cleanup()
{
    # KILL: SDL turns TERM into a quit request, which a stuck program never reads.
    [ -z "$setup_pid" ] || kill -KILL "$setup_pid" 2>/dev/null || true
    stop_more
    [ -z "$xvfb_pid" ] || kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null
    [ -z "$tmp" ] || { chmod -R u+w "$tmp" 2>/dev/null || true; rm -rf "$tmp"; }
}

# A fresh HOME and working folder (with the font), and the settings' paths.
init()
{
    VANTOR_SETUP=$(realpath "${VANTOR_SETUP:-${VANTOR_BUILD:?the build folder}/vantor-setup}") &&
        VANTOR_FONT=$(realpath "${VANTOR_FONT:-${VANTOR_BUILD:?the build folder}/vantor.ttf}") || exit 1
    [ -z "${VANTOR_SDL_LIBRARY_PATH:-}" ] || VANTOR_SDL_LIBRARY_PATH=$(realpath "$VANTOR_SDL_LIBRARY_PATH") || exit 1
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantor-flow.XXXXXX") || exit 1
    trap cleanup EXIT
    trap 'exit 1' INT TERM HUP
    home=$tmp/home work=$tmp/work stdout_file=$tmp/stdout stderr_file=$tmp/stderr
    config=$home/.config settings="$config/Vantor Settings" shot=$work/screenshot.png
    mkdir "$home" "$work"
    ln -s "$VANTOR_FONT" "$work/vantor.ttf"
    init_more
}

# Runs "$@" every 20 ms until it succeeds; false after DEADLINE seconds.
poll()
{
    local end=$((SECONDS + DEADLINE))
    until "$@"; do [ "$SECONDS" -lt "$end" ] && sleep 0.02 || return 1; done
}

# An Xvfb on a display number of its own choosing, so that cases run in
# parallel, its gamma ramp set to 1.3 (the programs must leave it so). The
# last server's number goes first: the new one's file may be made after the
# poll has read the old.
start_xvfb()
{
    rm -f "$tmp/display"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset \
        3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    poll grep -qsx '[0-9][0-9]*' "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    DISPLAY=:$(cat "$tmp/display")
    export DISPLAY
    xrandr --output screen --gamma 1.3:1.3:1.3 || fail "xrandr cannot set the gamma ramp"
    [ -z "$xft_dpi" ] || echo "Xft.dpi: $xft_dpi" | xrdb -merge || fail "xrdb cannot set Xft.dpi"
    gamma_found=$(xrandr --verbose | grep Gamma)
}

stop_xvfb() { [ -z "$xvfb_pid" ] || { kill -TERM "$xvfb_pid" && wait "$xvfb_pid"; } 2>/dev/null; xvfb_pid=""; }

# Starts $VANTOR_SETUP in $work with $program_args, and Xvfb when none runs;
# "$@" are extra environment assignments (or a command to run it through).
start_setup()
{
    [ -n "$xvfb_pid" ] || start_xvfb
    (
        cd "$work" || exit 127
        exec env -u XDG_CONFIG_HOME HOME="$home" SDL_VIDEODRIVER=x11 \
            ${VANTOR_SDL_LIBRARY_PATH:+LD_LIBRARY_PATH="$VANTOR_SDL_LIBRARY_PATH"} \
            "$@" "$VANTOR_SETUP" "${program_args[@]}"
    ) >"$stdout_file" 2>"$stderr_file" </dev/null &
    setup_pid=$!
}

# True while the program runs (an ended child stays a zombie until waited for).
running() { [[ $(cut -d')' -f2 "/proc/$setup_pid/stat" 2>/dev/null) == " "[^Z]* ]]; }

# The brightest channel, 0 to 255, of pixel ($2, $3) of picture "$1".
brightest() { convert "$1" -format "%[fx:int(255*max(max(p{$2,$3}.r,p{$2,$3}.g),p{$2,$3}.b))]" info:; }

# True when window "$title" shows its page (a window found earlier can vanish).
page_shown()
{
    local lit
    win=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | tail -n 1)
    [ -n "$win" ] || running || fail "the program ended before its page showed"
    [ -n "$win" ] && lit=$(xwd ${root_shown:--id "$win"} -silent 2>/dev/null | brightest xwd:- "${ready[@]}" 2>/dev/null)
    [ "${lit:-0}" -gt 30 ]
}

# Waits for window "$title" to show its page and gives it the keyboard.
find_window()
{
    poll page_shown || fail "no page in a window \"$title\" after $DEADLINE s"
    timeout "$DEADLINE" xdotool windowfocus --sync "$win" || fail "could not focus the window"
}

# Starts the program ("$@" as for start_setup) and finds its window.
launch() { start_setup "$@" && find_window; }

keys() { timeout "$DEADLINE" xdotool key "$@" || fail "xdotool key $*"; }

# Where a program that should have ended is: its window, and its threads' stacks where gdb is.
stuck()
{
    echo "windows shown: $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | wc -l)"
    ! command -v gdb >/dev/null || timeout 30 gdb -p "$setup_pid" -batch -ex 'thread apply all bt' \
        2>&1 | grep -E '^(#|Thread)' | head -n 60
}

# Waits for the program to end with status "$1".
wait_exit()
{
    local status=0
    poll eval '! running' || fail "still running $DEADLINE s after the last input; $(stuck)"
    wait "$setup_pid" || status=$?
    setup_pid=""
    [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"
}

# Presses F11 and waits for the whole $shot, saved on the next frame: all input was handled.
shoot()
{
    rm -f "$shot"
    keys F11
    poll eval 'pngcheck -q "$shot" >/dev/null 2>&1' || fail "no whole $shot $DEADLINE s after F11"
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
    printf '%s%s' "$2" "$EOL" | cmp -s - "$1" || fail "$1 holds '$(od -c "$1" | head -n 3)', expected '$2'"
}

# The settings file is as write_settings left it: same bytes, same mtime.
expect_untouched()
{
    cmp -s "$tmp/settings.before" "$settings" && [ ! "$settings" -nt "$tmp/settings.before" ] ||
        fail "the settings file changed or was rewritten"
}

# Folder "$1" holds exactly the entries "${@:2}" (no temporary file left over).
expect_entries()
{
    local want got
    want=$(printf '%s\n' "${@:2}" | sort)
    got=$(find "$1" -mindepth 1 -maxdepth 1 -printf '%P\n' | sort)
    [ "$got" = "$want" ] || fail "$1 holds [$got], expected [$want]"
}

# A screenshot as the README's picture $VANTOR_DOCS/"$1".png but in rectangle "$2" (X0,Y0,X1,Y1),
# where the page changes with time; VANTOR_WRITE_DOCS (`make screenshots`) makes it the picture.
looks_as()
{
    local pic=${VANTOR_DOCS:?the pictures folder}/$1.png box="rectangle ${2%,*,*} ${2#*,*,}" diff
    shoot
    [ -z "${VANTOR_WRITE_DOCS:-}" ] || { cp "$shot" "$pic" && return; }
    convert "$pic" -fill black -draw "$box" "$tmp/old.png" || fail "cannot read $pic"
    convert "$shot" -fill black -draw "$box" "$tmp/new.png" || fail "cannot read $shot"
    diff=$(compare -metric AE -fuzz 2% "$tmp/old.png" "$tmp/new.png" null: 2>&1) || true
    [ "$diff" = 0 ] || fail "$diff pixels differ from $pic: see \`make screenshots\` and git diff"
}

# A road's words: xdotool key names; press|move|release|click:X,Y (window pixels); close (as a
# window manager asks, after a screenshot; wmclose at once); test:KEYS (keys for the display
# test's page); focus (the setup's page again); said (the row's SAYS); untouched; save-fails;
# lost (the display goes away); shoot; looks:NAME@RECTANGLE (see looks_as); size:WxH (the
# window's); tall:X,Y,W,H,LEAST-MOST; alternates:X,Y; pad:WORD (see those).
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
            close) shoot && walk wmclose ;;
            wmclose) close_window ;;
            test:*)
                local setup_win=$win
                title='Vantor Display Test' && ready_at "${row_size[@]}"
                find_window
                [ -z "${word#test:}" ] || keys ${word#test:}
                title='Vantor Setup' win=$setup_win && ready_at 600 375
                ;;
            focus) find_window ;;
            said) poll has_said || fail "no lines '$says' in: $(out) $(err)" ;;
            untouched) expect_untouched ;;
            save-fails) save_fails ;;
            lost) kill -KILL "$xvfb_pid" && xvfb_pid="" ;;
            shoot) shoot ;;
            looks:*) x=${word#looks:} && looks_as "${x%@*}" "${x#*@}" ;;
            size:*) x=$(xdotool getwindowgeometry "$win" | grep -o '[0-9]*x[0-9]*$') && [ "$x" = "${word#size:}" ] || fail "window $x, expected ${word#size:}" ;;
            tall:*) tall "${word#tall:}" ;;
            alternates:*) alternates "$x" "$y" ;;
            pad:*) pad "${word#pad:}" ;;
            edit) write_settings "0 640 480 0 0 2 22 22 22$EOL" ;; # another program's save
            *) keys "$word" ;;
        esac
    done
}

# The bright pixels of the page's rectangle "$1" (X,Y,W,H,LEAST-MOST) span LEAST to MOST rows.
tall()
{
    local r rows
    IFS=, read -r -a r <<<"$1"
    shoot
    rows=$(convert "$shot" -crop "${r[2]}x${r[3]}+${r[0]}+${r[1]}" +repage -threshold 25% \
        -trim -format %h info:)
    [ "${rows:-0}" -ge "${r[4]%-*}" ] && [ "$rows" -le "${r[4]#*-}" ] || fail "the text in $1 is $rows rows tall"
}

# The page's row "$2" from column "$1" to its right edge alternates dark and bright pixel by
# pixel, dark first: a one-pixel pattern, not one scaled up.
alternates()
{
    local row
    shoot
    row=$(convert "$shot" -crop "x1+$1+$2" +repage -colorspace gray -threshold 50% \
        -depth 8 gray:- | od -An -v -tu1 | tr -s ' \n' '  ' | sed 's/255/1/g; s/^ //; s/ $//')
    [[ -n $row && "$row " =~ ^(0 1 )+(0 )?$ ]] || fail "row $2 from $1 is not one-pixel lines: ${row:0:80}"
}

# A gamepad's input, through the shim the row's HOW word "pad" preloads: a, b, start, x (buttons
# 0, 1, 7, 2); up, down, left, right (the hat pushed, then let go); stick-down (the left stick
# likewise); hold-up:SECONDS (the hat held). Opened for reading and writing, the FIFO takes them
# without waiting for the program; what the program has not read when it ends goes with the row.
pad()
{
    local -A button=([a]=0 [b]=1 [start]=7 [x]=2) hat=([up]=1 [right]=2 [down]=4 [left]=8)
    [ -e /dev/fd/7 ] || exec 7<>"$tmp/pad" || fail "no pad: the row's HOW lacks the word pad"
    case $1 in
        a | b | start | x) echo "button ${button[$1]}" ;;
        up | right | down | left) printf 'hat %s\nhat 0\n' "${hat[$1]}" ;;
        stick-down) printf 'axis 1 32767\naxis 1 0\n' ;;
        hold-up:*) echo 'hat 1' >&7 && sleep "${1#hold-up:}" && echo 'hat 0' ;;
        *) fail "no pad word $1" ;;
    esac >&7
}

# A failed save shows the status line (bright green, row 23) for a second, which a busy machine
# may miss: clicked again until it shows. The program goes on, "Save and exit" still highlighted.
save_fails()
{
    # Near, not exact: the classic runtime's DirectColor map turns 0 into 1.
    poll eval 'walk click:300,322; xwd -id "$win" -silent | convert xwd:- "$tmp/window.png" &&
        [ "$(convert "$tmp/window.png" -crop 300x15+150+345 +repage -fuzz 3% -fill black \
            +opaque "#00ff00" -format "%[fx:mean]" info:)" != 0 ]' ||
        fail "no status line after a failed save"
    # By hue: a bar is green, the highlighted one purple at every step of its flash, whose
    # brightness passes the plain bar's.
    [ "$(convert "$tmp/window.png" -format "%[fx:p{155,322}.b > p{155,322}.g]" info:)" = 1 ] ||
        fail "\"Save and exit\" is not highlighted after the failed save"
}

# Through the installed launcher: a first start writes the defaults, F11 saves into the data
# folder "$1"; a second (through a link in another folder when "$2" is "link") saves.
installed_flows()
{
    shot=$1/screenshot.png
    run_rows <<END
$case_name|-logo|-|shoot Escape|0|$DEFAULTS|
$case_name|-logo ${2:-}|$KNOWN extra words|$SAVE_KEYS|0|$KNOWN|
END
}

# Runs case $case_name: function "$1$case_name", or its rows of table "$2".
run_case()
{
    [ -n "$case_name" ] && grep -q "^$case_name|" <<<"${2:-}" ||
        declare -F "$1$case_name" >/dev/null || { echo "usage: $0 CASE" >&2 && exit 2; }
    init
    if declare -F "$1$case_name" >/dev/null; then "$1$case_name"; else run_rows <<<"$2"; fi
    echo "ok $case_name"
}

# ready_at W H: the pixel lit once a page of W x H pixels shows (row 23, column 10).
ready_at()
{
    local scale=$(($1 / 40 < $2 / 25 ? $1 / 40 : $2 / 25))
    ready=($((($1 - 40 * scale) / 2 + 10 * scale + scale / 2)) $((($2 - 25 * scale) / 2 + 23 * scale + scale / 2)))
}

# What the program wrote, without Windows' carriage returns.
out() { tr -d '\r' <"$stdout_file" 2>/dev/null; }
err() { tr -d '\r' <"$stderr_file" 2>/dev/null; }

# True when the program printed the row's lines: see run_rows.
has_said()
{
    local line lines
    [[ $says != 2:* ]] || { [[ $(err | paste -sd';') =~ ^${says#2:}$ ]]; return; }
    IFS=';' read -ra lines <<<"$says"
    for line in "${lines[@]}"; do
        if [ "$status" = 0 ]; then out; else err; fi | grep -qEx "$line" || return 1
    done
}

# Rows CASE|HOW|BEFORE|ROAD|STATUS|AFTER|SAYS. HOW, shell words: display (vantor-display-test),
# -font, -logo, badlogo (damaged), read-only, fsize0 (every write fails), nodisplay, screen:WxH
# and xftdpi:DPI (of the Xvfb), window:WxH (the setup's, when scaled), fullscreen (the page is
# looked for on the whole screen), link (the setup through a link elsewhere), alone (a copy
# alone), hang (a copy beside a display test that never answers), other:LINE (file "other"), pad
# (a gamepad: see pad), fifo, dangling (a link to nothing), huge (1 GB), readonly-file (the
# settings file's own kind), NAME=VALUE, else arguments. BEFORE, AFTER: the settings line ("-":
# no file; AFTER "=": untouched, other:LINE: "other" holds it). ROAD: see walk ("-": no page
# waited for, wait:N: the program runs N s at least). SAYS: ";" between patterns (ERE) of lines
# of the standard output (error, when STATUS is not 0); after "2:", the whole standard error.
# Every program leaves the gamma ramp and no display test; OpenGL scaling rows need sdl12-compat.
run_rows()
{
    local setup=$VANTOR_SETUP logo row how before road status after says words word env wrap start x
    local -a row_size
    logo=$(realpath "${VANTOR_LOGO:-${VANTOR_FONT%/*}/logo.png}")
    while IFS='|' read -r row how before road status after says; do
        [ "$row" = "$case_name" ] || continue
        [[ -z ${VANTOR_SDL_LIBRARY_PATH:-} || $how != *SDL12COMPAT_OPENGL_SCALING=1* ]] || continue
        [ ! -d "$config" ] || chmod -R u+w "$config"
        rm -rf "$settings" "$work/logo.png" "$stdout_file" "$stderr_file"
        ln -s "$logo" "$work/logo.png"
        [ "$before" = - ] || write_settings "$before$EOL"
        read -r _ w h _ <<<"$before"
        row_size=("${w:-800}" "${h:-600}")
        VANTOR_SETUP=$setup title='Vantor Setup' program_args=() env=() wrap=() root_shown=""
        ready_at 600 375
        eval "words=($how)"
        for word in "${words[@]}"; do
            case $word in
                display) VANTOR_SETUP=$VANTOR_DISPLAY_TEST title='Vantor Display Test' && ready_at "${row_size[@]}" ;;
                -font) mv "$work/vantor.ttf" "$tmp/" ;;
                -logo) rm "$work/logo.png" ;;
                badlogo) rm "$work/logo.png" && echo 'not a picture' >"$work/logo.png" ;;
                read-only) make_read_only ;;
                fsize0) wrap=(prlimit --fsize=0) ;;
                nodisplay) env+=(DISPLAY= WAYLAND_DISPLAY= SDL_VIDEODRIVER=) ;;
                link) mkdir -p "$tmp/link" && ln -sfn "$setup" "$tmp/link/vantor-setup" && VANTOR_SETUP=$tmp/link/vantor-setup ;;
                alone | hang)
                    rm -rf "$tmp/copy" && mkdir "$tmp/copy" && cp "$setup" "$tmp/copy/"
                    VANTOR_SETUP=$tmp/copy/vantor-setup
                    [ "$word" = alone ] || printf '#!/bin/sh\nexec sleep 60\n' >"$tmp/copy/vantor-display-test"
                    chmod +x "$tmp/copy/"*
                    ;;
                other:*) printf '%s%s' "${word#other:}" "$EOL" >"$work/other" ;;
                fifo) mkdir -p "$config" && mkfifo "$settings" ;;
                dangling) mkdir -p "$config" "$tmp/elsewhere" && ln -s "$tmp/elsewhere/settings" "$settings" ;;
                huge) truncate -s 1G "$settings" && cp --sparse=always "$settings" "$tmp/settings.before" ;;
                readonly-file) chmod a-w "$settings" ;;
                screen:* | xftdpi:*)
                    [ "$word" = "screen:$screen" ] || [ "$word" = "xftdpi:$xft_dpi" ] || stop_xvfb
                    [[ $word == screen:* ]] && screen=${word#screen:} || xft_dpi=${word#xftdpi:}
                    ;;
                window:*) x=${word#window:} && ready_at "${x%x*}" "${x#*x}" ;;
                fullscreen) root_shown=-root ;; # classic SDL draws full screen in a window of its own
                pad)
                    [ -p "$tmp/pad" ] || mkfifo "$tmp/pad" || exit 1
                    env+=(LD_PRELOAD="${VANTOR_PAD_SHIM:?the pad shim}" VANTOR_PAD_FIFO="$tmp/pad")
                    ;;
                [A-Z]*=*) env+=("$word") ;;
                *) program_args+=("$word") ;;
            esac
        done
        start=$SECONDS
        if [[ $road == - || $road == wait:* ]]; then start_setup "${env[@]}" "${wrap[@]}"; else launch "${env[@]}" "${wrap[@]}" && walk $road; fi
        wait_exit "$status"
        exec 7>&- # the pad's FIFO, if any, with what the program left unread
        [[ $road != wait:* ]] || [ $((SECONDS - start)) -ge "${road#wait:}" ] || fail "ended after $((SECONDS - start)) s"
        case $after in
            =) expect_untouched ;;
            -) [ -z "$(find "$home" -type f)" ] || fail "files were written: $(find "$home" -type f)" ;;
            other:*) expect_line "$work/other" "${after#other:}" && expect_untouched ;;
            *) expect_line "$settings" "$after" && leftovers ;;
        esac
        [[ $how != *dangling* ]] || [ -L "$settings" ] || fail "the link was replaced by a file"
        [[ $how != *fifo* ]] || [ -p "$settings" ] || fail "the named pipe was replaced"
        [[ $road != *test:* ]] || poll eval '! xdotool search --name "^Vantor Display Test\$" >/dev/null' ||
            fail "the display test outlived the setup"
        [ -z "$xvfb_pid" ] || [ "$(xrandr --verbose | grep Gamma)" = "$gamma_found" ] || fail "the gamma ramp changed"
        has_said || fail "not the lines '$says' in: $(out) $(err)"
        [ ! -e "$tmp/vantor.ttf" ] || mv "$tmp/vantor.ttf" "$work/"
    done
}

# The settings folder unwritable (for root, who writes any folder, the file read-only).
make_read_only()
{
    chmod a-w "$config"
    ! touch "$config/.probe" 2>/dev/null || { rm "$config/.probe" && chmod a-w "$settings"; }
}

# No file but the settings is left in their folder.
leftovers() { expect_entries "$config" "Vantor Settings"; }

# Other suites source this file for its library (also under set -e).
[ "${BASH_SOURCE[0]}" != "$0" ] || run_case flow_ "$(cat <<END
# The first run writes the defaults before the page shows; a damaged logo is said once.
first_run|-logo|-|Escape|0|$DEFAULTS|2:
first_run|badlogo|-|Escape|0|$DEFAULTS|2:Vantor: Could not read image header
# Every way out but "Save and exit" leaves the settings alone, from an entry and the display
# test too (Escape: screenshots.sh); losing the display is the X library's 1.
ways_out||$KNOWN|e|0|=|
ways_out||$KNOWN|ctrl+q|0|=|
ways_out||$KNOWN|close|0|=|
ways_out||$KNOWN|g a s 4 close|0|=|
ways_out|VANTOR_COUNTDOWN_SECONDS=600|$KNOWN|g t test: wmclose|0|=|
ways_out||$KNOWN|lost|1|=|
ways_out|pad|$KNOWN|pad:b|0|=|
# Fatal errors: status 1, the reason said once.
fatal|-font|$KNOWN|-|1|=|2:Vantor: vantor.ttf: could not read font
fatal|DISPLAY=unix:99999|$KNOWN|-|1|=|2:Vantor: [^;]+
# "Save and exit" by keys (Up at the top stays); by a click after what chooses nothing: Space on
# "Game statistics", "s" ("Sound options:"), a press and a release not both on a bar.
save||$KNOWN extra words|Up $SAVE_KEYS|0|$KNOWN|
save||$KNOWN extra words|Down Down space s shoot press:300,322 move:300,280 release:300,280 press:50,322 move:300,322 release:300,322 shoot click:300,322|0|$KNOWN|
# A failed save keeps the program and the old file: a read-only folder, every write failing.
save_fails|read-only|$KNOWN|save-fails Escape|0|=|
save_fails|fsize0|-|save-fails Escape|0|-|
# Only a missing file is a first run: a named pipe (which must not hang the program) is said and
# left as it is, with the defaults shown and nothing written, also by --reset; a dangling link is
# written through; a huge file opens at once; a read-only file is refused; a file another program
# changed meanwhile is replaced only when the user says so.
settings_file|fifo|-|Escape|0|-|2:Vantor: Could not read settings: not a regular file
settings_file|fifo nodisplay --reset|-|-|1|-|2:Vantor: could not write .*/Vantor Settings: not a regular file
settings_file|dangling|-|Escape|0|$DEFAULTS|
settings_file|huge|$KNOWN|Escape|0|=|
settings_file|readonly-file|$KNOWN|$SAVE_KEYS Down Return|0|=|2:Vantor: Could not save settings: the file is read-only.
settings_file||$KNOWN|edit $SAVE_KEYS Escape shoot untouched Return Return|0|$KNOWN|
# List questions set their field alone; "Cancel" and Escape change nothing; entries take digits
# to 9999 (samples to 64, at least 2; a height at least 25), Backspace, not the keypad.
pages||$DEFAULTS unsaved|g m w a s BackSpace Return Escape Escape $SAVE_KEYS|0|0 800 600 0 0 2 22 22 22|
pages||1 1024 768 4 1 8 18 20 24|g b o m f a a n Down Return y Escape Escape $SAVE_KEYS|0|0 1024 768 7 0 8 18 20 24|
pages||$KNOWN unsaved|g b c b Escape o m c m Escape f a a c a Escape n Down Return c Down Return Escape y s 5 Escape Escape g Escape r Escape Escape Escape $SAVE_KEYS|0|$KNOWN|
pages||$DEFAULTS|g r o Escape 5 Return a s 9 9 Return Escape Escape $SAVE_KEYS|0|0 800 6005 1 0 29 22 22 22|
pages||0 800 600 0 0 2 22 22 22|g r BackSpace KP_5 5 1 9 KP_Enter Return BackSpace BackSpace BackSpace 2 4 Return Escape $SAVE_KEYS|0|0 8051 25 0 0 2 22 22 22|
pages||0 800 600 1 0 0 22 22 22|g a s 5 Escape Escape Escape $SAVE_KEYS|0|0 800 600 1 0 0 22 22 22|
# "Darker" and "Lighter", all channels or one ("r" is "Red"), stop at 0.1 and 5.0.
gamma||0 800 600 1 0 2 1 50 22|g g d l d r l l b d Escape Escape $SAVE_KEYS|0|0 800 600 1 0 2 3 49 20|
# The pages look as the README shows them.
looks||0 1024 768 0 1 4 22 22 22|looks:main@$FLASHING g looks:graphics@$FLASHING b looks:question@150,105,449,119 Escape r looks:entry@314,150,328,165 Escape Escape g looks:gamma@255,285,344,299 Escape Escape Escape|0|=|
# Full screen lists each size once, then "Other..."; a digit picks the first it begins.
# sdl12-compat's OpenGL scaling adds four sizes.
resolution_list||$DEFAULTS|g r 1 Escape $SAVE_KEYS|0|0 1024 768 1 0 2 22 22 22|
resolution_list|SDL12COMPAT_OPENGL_SCALING=1|$DEFAULTS|g r Down Down Return r 7 Escape $SAVE_KEYS|0|0 720 480 1 0 2 22 22 22|
# Command lines (the unit tests parse them): --help, --version and mistakes (reason, usage,
# status 2) need no display; --reset writes the defaults, or --config's file, and says where.
# The display test reads --config's file, or tests --settings.
command_line|nodisplay|-|-|1|-|2:Vantor: no display found: DISPLAY and WAYLAND_DISPLAY are not set
command_line|nodisplay --help|$KNOWN|-|0|=|Usage: vantor-setup .*;  --config FILE;  --reset;  --help;  --version
command_line|nodisplay --version|$KNOWN|-|0|=|vantor-setup [0-9]*\.[0-9]*\.[0-9]*
command_line|nodisplay --bogus|$KNOWN|-|2|=|Vantor: unknown option '--bogus';Usage: vantor-setup .*
command_line|nodisplay stray|$KNOWN|-|2|=|Vantor: unexpected argument 'stray';Usage: vantor-setup .*
command_line|nodisplay --config|$KNOWN|-|2|=|Vantor: '--config' needs a value: --config FILE;Usage: vantor-setup .*
command_line|nodisplay --config= --reset|$KNOWN|-|2|=|Vantor: --config needs a file name;Usage: vantor-setup .*
command_line|nodisplay --help=yes|$KNOWN|-|2|=|Vantor: '--help' takes no value;Usage: vantor-setup .*
command_line|nodisplay --reset --help|$KNOWN|-|0|=|Usage: vantor-setup .*
command_line|nodisplay --config other --reset|$KNOWN|-|0|other:$DEFAULTS|other
command_line|nodisplay --reset|$KNOWN|-|0|$DEFAULTS|.*/\.config/Vantor Settings
command_line|--config other 'other:0 640 480 0 0 2 22 22 22'|$KNOWN|g m f Escape $SAVE_KEYS|0|other:0 640 480 1 0 2 22 22 22|
command_line|display nodisplay --help|$KNOWN|-|0|=|Usage: vantor-display-test .*;  --settings .*;  --confirm;  --config FILE;Exit status: .*
command_line|display nodisplay|$KNOWN|-|1|=|2:Vantor: no display found: DISPLAY and WAYLAND_DISPLAY are not set
command_line|display nodisplay --settings '1 2 3'|$KNOWN|-|2|=|Vantor: --settings needs nine integers.*;Usage: vantor-display-test .*
command_line|display --config other 'other:0 640 480 4 0 2 22 22 22'|1 640 480 4 0 2 22 22 22|Escape|0|=|Back-end: OpenGL;Display: 640x480, windowed
command_line|display --settings ' +1 800 600 4 0 2 10 20 -5 '|0 800 600 1 0 2 22 22 22|Escape|0|=|Back-end: SDL;Display: 800x600, windowed;Gamma 1.0, 2.0, 0.1: corrected in software
# "Test display": Keep (found beside the link's target), then Revert (to what was kept; later gamma
# changes stay), the countdown; failing (size not offered, test missing or silent), the tried fields go back, the
# reason shows; the file is untouched until "Save and exit".
test_display|link|1 640 480 0 0 2 22 22 22|g b o t test:k focus b s g d Escape t test:Return $TESTED|0|0 640 480 0 0 2 21 21 21|Settings kept.;Settings reverted.
test_display|VANTOR_COUNTDOWN_SECONDS=1|1 640 480 0 0 2 22 22 22|g b o t $TESTED|0|1 640 480 0 0 2 22 22 22|Settings reverted.
test_display||1 1234 567 0 0 2 22 22 22|g m f t $TESTED|0|1 1234 567 0 0 2 22 22 22|$OFFERED
test_display|alone|$KNOWN|g t $TESTED|0|$KNOWN|Display test failed: vantor-display-test is missing
test_display|hang VANTOR_TEST_SECONDS=1|$KNOWN|g t $TESTED|0|$KNOWN|Display test failed: no answer in 1 s
# The display test says what it was granted, on each back-end, with its keys; OpenGL scaling
# the user turned on stays on.
display_backends|display|0 800 600 2 1 4 22 22 22|F1 F5 F6 shift+F6 F7 F8 F12 F1 F8 F12 Return|0|=|Back-end: OpenGL;Video driver: x11;Display: 800x600, windowed;Canvas: 20 pixels a unit;OpenGL is drawn in software: expect low frame rates;Accumulation buffer: present;glBlendColor: none;Gamma 2.2, 2.2, 2.2: hardware ramp .not verifiable here.;Renderer: llvmpipe.*
display_backends|display|1 640 480 4 0 2 18 20 24|Escape|0|=|Back-end: SDL;Canvas: 16 pixels a unit;Gamma 1.8, 2.0, 2.4: corrected in software
display_backends|display SDL12COMPAT_OPENGL_SCALING=1|0 800 600 2 0 2 22 22 22|ctrl+q|0|=|Accumulation buffer: none
# Without a settings file: the defaults, nothing written; the countdown closes the page.
display_countdown|display VANTOR_COUNTDOWN_SECONDS=3|-|wait:2|0|-|Display: 800x600, full screen
# Displays that cannot be opened: the reason, then what would work (SDL's: test_display).
display_refused|display|0 39 25 0 0 2 22 22 22|-|1|=|2:Vantor: Screen size too small;Vantor: Too small: the minimum is 40 x 25
display_refused|display|7 800 600 0 0 2 22 22 22|-|1|=|2:Vantor: No backends available
display_refused|display|0 1234 567 1 0 2 22 22 22|-|1|=|2:Vantor: [^;]+;Vantor: Not offered in full screen. try 1024x768
display_refused|display|0 40000 30000 0 0 2 22 22 22|-|1|=|2:Vantor: [^;]+
# A gamepad alone: A and Start choose, B goes back, other buttons do nothing; the hat and the
# stick move; in the samples entry, up and down step (B cancels), held up repeats to the limit.
pad|pad|$DEFAULTS|pad:a pad:stick-down pad:stick-down pad:start pad:down pad:x pad:a pad:down pad:down pad:right pad:a pad:down pad:down pad:a pad:up pad:up pad:b pad:down pad:down pad:a pad:hold-up:4 pad:down pad:a pad:b pad:b pad:down pad:down pad:down pad:a|0|0 800 600 0 0 63 22 22 22|
# --confirm (Keep, Revert, the countdown: test_display): Escape, quit, close and the countdown
# end with 3, even with "Keep" highlighted.
confirm|display --confirm|0 640 480 0 0 2 18 20 24|Escape|3|=|
confirm|display --confirm|0 640 480 0 0 2 18 20 24|Left ctrl+q|3|=|
confirm|display --confirm|0 640 480 0 0 2 18 20 24|Left wmclose|3|=|
confirm|display --confirm VANTOR_COUNTDOWN_SECONDS=2|0 640 480 0 0 2 18 20 24|Left|3|=|
# Scaled by 2 where the desktop's Xft.dpi is 192; full screen at the Steam Deck's 1280 x 800 (32
# pixels a unit) under gamescope: the title twice as tall (14 rows at 600 x 375), clicks at the
# scaled places, and the gamma page's patterns one pixel wide across their whole section.
scaled|screen:2560x1600 xftdpi:192 window:1200x750|$DEFAULTS|size:1200x750 tall:400,40,400,70,20-30 g g alternates:800,230 Escape m w Escape click:600,645|0|0 800 600 0 0 2 22 22 22|
scaled|screen:2560x1600 xftdpi:192 window:1200x750|$DEFAULTS|click:600,705|0|=|
scaled|screen:1280x800 SteamDeck=1 window:1280x800 fullscreen|$DEFAULTS|size:1280x800 g g alternates:853,240 Escape m w Escape click:640,688|0|0 800 600 0 0 2 22 22 22|
END
)"
