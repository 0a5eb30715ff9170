#!/bin/bash
# flows.sh CASE - whole-program flows of the Windows programs under Wine, with
# the library of ../flows/flows.sh: the real programs in their own Xvfb, typed
# at with xdotool, judged by their exit status, the settings file in the Wine
# user's AppData\Roaming (a Windows text file: CR LF), what they leave in their
# current folder and the pictures they save. CASE is a wine_* function below,
# without "wine_".
#
# Environment, set by CTest: VANTOR_WIN_BUILD (the Windows build folder: the
# programs, their data files, the installer), VANTOR_WINE_RUN (wine-run),
# VANTOR_WINE_PREFIX (the flows' Wine prefix, which the cases share one at a
# time) and VANTOR_DOCS (the README's pictures, which the page must match).

# shellcheck disable=SC2086 # lists of keys are split into words on purpose
# shellcheck disable=SC2016 # what poll evaluates expands when it runs
# shellcheck source-path=SCRIPTDIR

# shellcheck source=../flows/flows.sh
source "$(dirname "${BASH_SOURCE[0]}")/../flows/flows.sh"
readonly DEADLINE_WINE=300 # seconds, to make the prefix on the first use
readonly UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VantorSetup'

# The program's standard error is stderr.txt in its folder; the prefix's Wine
# processes end with the case.
stderr_path() { echo "$work/stderr.txt"; }
stop_more() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }

# An Xvfb with Wine's desktop process on it for the whole case, as Windows'
# runs all the time (otherwise the first program with a window would start
# it, and it would hold on to that program's stderr.txt); a working folder
# with the font; the Wine user's folders.
init()
{
    build=$(realpath "${VANTOR_WIN_BUILD:?the Windows build folder}") || exit 1
    prefix=${VANTOR_WINE_PREFIX:?the Wine prefix}
    program=$build/vantor-setup.exe
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantor-wine-flow.XXXXXX") || exit 1
    trap cleanup EXIT
    trap 'exit 1' INT TERM HUP
    work=$tmp/work shot=$tmp/work/screenshot.png
    mkdir "$work"
    cp "$build/vantor.ttf" "$work/"
    start_xvfb
    timeout "$DEADLINE_WINE" "$VANTOR_WINE_RUN" "$prefix" || fail "no Wine prefix (see $prefix.log)"
    WINEPREFIX=$prefix timeout "$DEADLINE" wineserver -w # the making's session ends
    "$VANTOR_WINE_RUN" "$prefix" explorer.exe /desktop >>"$tmp/wine.log" 2>&1 </dev/null &
    poll eval 'xdotool search --class explorer.exe >/dev/null 2>&1' || fail "no Wine desktop"
    home=$(find "$prefix/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public | head -n 1)
    config=$home/AppData/Roaming
    settings="$config/Vantor Settings"
    rm -f "$settings" "$settings.new"
}

# Starts $program in $work under Wine.
start_setup()
{
    (cd "$work" && exec "$VANTOR_WINE_RUN" "$prefix" "$program") >>"$tmp/wine.log" 2>&1 </dev/null &
    setup_pid=$!
}

# Runs Windows program "$1" with arguments "${@:2}" and waits for it.
wine_do()
{
    timeout "$DEADLINE" "$VANTOR_WINE_RUN" "$prefix" "$@" >>"$tmp/wine.log" 2>&1 </dev/null
}

# File "$1" holds exactly the line "$2", ended by CR LF.
expect_line()
{
    [ -f "$1" ] || fail "no file $1"
    printf '%s\r\n' "$2" | cmp -s - "$1" || fail "$1 holds '$(od -c "$1" | head -n 3)', expected '$2\\r\\n'"
}

# ---------------------------------------------------------------------------

# The first run writes the defaults into AppData\Roaming before the page
# shows, and leaving keeps them; F11 saves into the current folder. Nothing
# was said, so no stdout.txt or stderr.txt stays there.
wine_first_run()
{
    launch
    expect_line "$settings" "$DEFAULTS"
    shoot
    keys Escape
    wait_exit 0
    expect_line "$settings" "$DEFAULTS"
    expect_entries "$work" vantor.ttf screenshot.png
}

# Roads from the settings before to the status and the settings after ("="
# untouched): changes saved by keys; Escape, "e" ("Exit without saving"),
# Ctrl+Q, closing the window (Windows' WM_CLOSE, as taskkill sends it) on the
# main page and in a question leave the file alone; "Save and exit" into a
# read-only file fails, shows the status line and goes on, and the file stays.
wine_roads()
{
    local before road after
    while IFS='|' read -r before road after; do
        write_settings "$before"$'\r\n'
        [ "$road" != read-only ] || chmod a-w "$settings"
        launch
        case $road in
            close | *' close')
                [ "$road" = close ] || keys ${road% close}
                shoot
                wine_do taskkill /im vantor-setup.exe || fail "taskkill"
                ;;
            read-only) status_line_after_save ;;
            *) keys $road ;;
        esac
        wait_exit 0
        if [ "$after" = = ]; then expect_untouched; else expect_line "$settings" "$after"; fi
        [ ! -e "$settings.new" ] || fail "a temporary file was left"
    done <<END
$KNOWN extra words|Up $SAVE_KEYS|$KNOWN
$DEFAULTS|g m w Escape $SAVE_KEYS|0 800 600 0 0 2 22 22 22
$KNOWN|Escape|=
$KNOWN|e|=
$KNOWN|ctrl+q|=
$KNOWN|close|=
$KNOWN|g b close|=
$KNOWN|read-only|=
END
}

# "Save and exit" until the status line (the library's bright green in row
# 23) shows: it shows for about a second, which a busy machine may let go by
# unseen. Then Escape.
status_line_after_save()
{
    local try
    for try in 1 2 3; do
        keys $SAVE_KEYS
        for _ in 1 2 3 4 5 6 7 8; do
            xwd -id "$win" -silent | convert xwd:- "$tmp/window.png" || fail "no picture of the window"
            [ "$(convert "$tmp/window.png" -crop 300x15+150+345 +repage -fuzz 3% \
                -fill black +opaque '#00ff00' -format '%[fx:mean]' info:)" = 0 ] || break 2
        done
        [ "$try" -lt 3 ] || fail "no status line after a failed save"
        keys Up Up Up
    done
    running || fail "the program ended after a failed save"
    keys Escape
}

# Without the font, the fatal message box captioned "Vantor"; after OK the
# program ends with status 1, the reason in stderr.txt, the settings untouched.
# The box takes no keys in its first second: press until it goes.
wine_fatal()
{
    write_settings "$KNOWN"$'\r\n'
    rm "$work/vantor.ttf"
    start_setup
    poll eval 'win=$(xdotool search --onlyvisible --name "^Vantor\$" 2>/dev/null | tail -n 1) && [ -n "$win" ]' ||
        fail "no message box"
    poll eval 'xdotool windowfocus "$win" key Return 2>/dev/null; sleep 0.4; ! running' ||
        fail "the message box does not go"
    wait_exit 1
    [ "$(tr -d '\r' <"$work/stderr.txt")" = 'Vantor: vantor.ttf: could not read font' ] ||
        fail "stderr.txt does not hold the reason"
    expect_untouched
}

# The display test in each back-end: the window, the back-end's line in
# stdout.txt; "Close" (Return) ends it with 0, the settings untouched.
wine_display_test()
{
    local line backend
    program=$build/vantor-display-test.exe title='Vantor Display Test'
    ready=(165 416) # the "Close" bar, row 23: 16 pixels a unit, 40 above the canvas
    while IFS='|' read -r line backend; do
        write_settings "$line"$'\r\n'
        launch
        grep -qx "Back-end: $backend"$'\r' "$work/stdout.txt" ||
            fail "no line 'Back-end: $backend' in: $(cat "$work/stdout.txt")"
        keys Return
        wait_exit 0
        expect_untouched
    done <<'END'
0 640 480 0 0 2 22 22 22|OpenGL
1 640 480 4 0 2 18 20 24|SDL
END
}

# The installer, silent: the programs in %LOCALAPPDATA%\Programs\Vantor, the
# shortcuts, the "Apps & features" entry. The setup, started in its
# shortcut's folder %LOCALAPPDATA%\Vantor, shows the README's main page and
# saves its screenshot there; nothing is written where it is installed. The
# silent uninstall removes all of it but the settings file and the screenshot.
wine_installer()
{
    local programs=$home/AppData/Local/Programs/Vantor data=$home/AppData/Local/Vantor
    local menu="$config/Microsoft/Windows/Start Menu/Programs/Vantor Haulage"
    local installed
    rm -rf "$programs" "$data" "$menu"
    wine_do "$build"/vantor-setup-*-win64-setup.exe /S || fail "the installer failed"
    expect_entries "$programs" vantor-setup.exe vantor-display-test.exe SDL.dll vantor.ttf logo.png \
        licenses uninstall.exe
    expect_entries "$data" vantor.ttf logo.png
    expect_entries "$menu" "Vantor Setup.lnk" "Vantor Display Test.lnk"
    wine_do reg query "$UNINSTALL_KEY" /v UninstallString || fail "no uninstall entry"
    installed=$(find "$programs" -printf '%P %s %T@\n' | sort)
    # The shortcut's working folder (in UTF-16, after its length).
    strings -el "$menu/Vantor Setup.lnk" | cut -c2- |
        grep -qxF "C:\\users\\${home##*/}\\AppData\\Local\\Vantor" ||
        fail "the shortcut does not start the setup in the data folder"

    write_settings '0 1024 768 0 1 4 22 22 22'$'\r\n'
    program=$programs/vantor-setup.exe work=$data shot=$data/screenshot.png
    launch
    shoot
    keys Escape
    wait_exit 0
    # The main page as on Linux, but for the highlighted bar, which flashes.
    convert "$shot" -fill black -draw 'rectangle 150,90 449,104' "$tmp/new.png"
    convert "${VANTOR_DOCS:?}/main.png" -fill black -draw 'rectangle 150,90 449,104' "$tmp/old.png"
    [ "$(compare -metric AE -fuzz 1% "$tmp/old.png" "$tmp/new.png" null: 2>&1)" = 0 ] ||
        fail "the installed setup's main page differs from docs/main.png"
    [ "$(find "$programs" -printf '%P %s %T@\n' | sort)" = "$installed" ] ||
        fail "something was written where the programs are installed"
    expect_untouched

    wine_do "$programs/uninstall.exe" /S || fail "the uninstaller failed"
    poll eval '[ ! -e "$programs" ]' || fail "$programs is still there"
    [ ! -e "$menu" ] || fail "the shortcuts are still there"
    ! wine_do reg query "$UNINSTALL_KEY" || fail "the uninstall entry is still there"
    expect_entries "$data" screenshot.png
    expect_untouched
}

run_case wine_
