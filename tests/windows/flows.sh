#!/bin/bash
# flows.sh CASE - the Windows programs under Wine: rows (at the end) of ../flows/flows.sh, the
# settings in AppData\Roaming (CR LF), the output in stdout.txt and stderr.txt; or a wine_*
# function. Environment (CTest): VANTOR_WIN_BUILD, VANTOR_WINE_RUN (wine-run),
# VANTOR_WINE_PREFIX (shared by the cases, one at a time), VANTOR_DOCS (the README's pictures).

# shellcheck disable=SC2016 # what poll evaluates expands when it runs
# shellcheck source-path=SCRIPTDIR
# shellcheck source=../flows/flows.sh
source "$(dirname "${BASH_SOURCE[0]}")/../flows/flows.sh"
readonly DEADLINE_WINE=300 # seconds, to make the prefix on the first use
readonly UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VantorSetup'
EOL=$'\r\n'

stop_more() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }
close_window() { wine_do taskkill /im "${VANTOR_SETUP##*/}" || fail "taskkill"; }
make_read_only() { chmod a-w "$settings"; }
# No temporary file, and nothing said: no stdout.txt or stderr.txt.
leftovers()
{
    ! compgen -G "$settings.*.new" >/dev/null || fail "a temporary file was left"
    [ ! -e "$stdout_file" ] && [ ! -e "$stderr_file" ] || fail "output files left: $(ls "$work")"
}

build=${VANTOR_WIN_BUILD:?the Windows build folder}
prefix=${VANTOR_WINE_PREFIX:?the Wine prefix}
# Case unicode: a prefix of its own, whose user is named outside the code page (Wine's profile
# folder takes $USER's name).
[ "${1:-}" != unicode ] || { prefix=$prefix-unicode && export USER=山田太郎 LC_ALL=C.UTF-8; }
# Case scaled: a prefix of its own at 192 dots per inch, on a screen with room for twice the window.
[ "${1:-}" != scaled ] || { prefix=$prefix-scaled && screen=2560x1600; }
VANTOR_SETUP=$build/vantor-setup.exe VANTOR_DISPLAY_TEST=$build/vantor-display-test.exe
VANTOR_FONT=$build/vantor.ttf VANTOR_LOGO=$build/logo.png

# Xvfb and Wine's desktop for the whole case (else the first program starts it, holding on to
# its stderr.txt).
init_more()
{
    start_xvfb
    timeout "$DEADLINE_WINE" "$VANTOR_WINE_RUN" "$prefix" || fail "no Wine prefix (see $prefix.log)"
    WINEPREFIX=$prefix timeout "$DEADLINE" wineserver -w # the making's session ends
    "$VANTOR_WINE_RUN" "$prefix" explorer.exe /desktop >>"$tmp/wine.log" 2>&1 </dev/null &
    poll eval 'xdotool search --class explorer.exe >/dev/null 2>&1' || fail "no Wine desktop"
    home=$(find "$prefix/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public | head -n 1)
    config=$home/AppData/Roaming
    settings="$config/Vantor Settings"
    stdout_file=$work/stdout.txt stderr_file=$work/stderr.txt
}

# Starts $VANTOR_SETUP in $work under Wine, "$@" its environment.
start_setup()
{
    (cd "$work" && exec env "$@" "$VANTOR_WINE_RUN" "$prefix" "$VANTOR_SETUP" "${program_args[@]}") \
        >>"$tmp/wine.log" 2>&1 </dev/null &
    setup_pid=$!
}

# Runs Windows program "$1" with arguments "${@:2}" and waits for it.
wine_do() { timeout "$DEADLINE" "$VANTOR_WINE_RUN" "$prefix" "$@" >>"$tmp/wine.log" 2>&1 </dev/null; }

# Without the font, the message box "Vantor"; after OK (pressed until it goes: it takes no keys
# at first) status 1, the reason in stderr.txt.
wine_fatal()
{
    write_settings "$KNOWN$EOL"
    rm "$work/vantor.ttf"
    start_setup
    poll eval 'win=$(xdotool search --onlyvisible --name "^Vantor\$" 2>/dev/null | tail -n 1) && [ -n "$win" ]' ||
        fail "no message box"
    poll eval 'xdotool windowfocus "$win" key Return 2>/dev/null; sleep 0.4; ! running' ||
        fail "the message box does not go"
    wait_exit 1
    [ "$(err)" = 'Vantor: vantor.ttf: could not read font' ] || fail "stderr.txt does not hold the reason"
    expect_untouched
}

# The silent installer: programs, shortcuts, uninstall entry. The setup, started in the
# shortcut's folder, shows the README's main page, its screenshot saved there and nothing written
# where it is installed. The silent uninstall leaves only the settings and the screenshot.
wine_installer()
{
    local programs=$home/AppData/Local/Programs/Vantor data=$home/AppData/Local/Vantor
    local menu="$config/Microsoft/Windows/Start Menu/Programs/Vantor Haulage" installed
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

    write_settings "0 1024 768 0 1 4 22 22 22$EOL"
    VANTOR_SETUP=$programs/vantor-setup.exe work=$data shot=$data/screenshot.png
    launch
    looks_as main "$FLASHING" # as on Linux
    keys Escape
    wait_exit 0
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

# Names outside the ANSI code page: the user's (the settings in C:\users\山田太郎\AppData) and
# the installation folder's, from which the setup runs, saves its output and starts the display
# test (kept: its verdict read through the pipe).
wine_unicode()
{
    local game="$tmp/ゲーム フォルダ"
    mkdir "$game"
    cp "$VANTOR_SETUP" "$VANTOR_DISPLAY_TEST" "$build/SDL.dll" "$VANTOR_FONT" "$game/"
    VANTOR_SETUP=$game/vantor-setup.exe work=$game stdout_file=$game/stdout.txt stderr_file=$game/stderr.txt
    # stdout.txt keeps the verdict the setup printed; only a temporary file would be left over.
    leftovers() { ! compgen -G "$settings.*.new" >/dev/null || fail "a temporary file was left"; }
    run_rows <<END
unicode|-logo|-|g m w t test:k said focus Escape $SAVE_KEYS|0|0 800 600 0 0 2 22 22 22|Settings kept.
END
}

# At 192 dots per inch (LogPixels, which Wine's desktop reads as it starts) the DPI-aware setup
# opens twice as large, and Windows leaves it unstretched.
wine_scaled()
{
    wine_do reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f ||
        fail "cannot set LogPixels"
    WINEPREFIX=$prefix wineserver -k
    "$VANTOR_WINE_RUN" "$prefix" explorer.exe /desktop >>"$tmp/wine.log" 2>&1 </dev/null &
    run_rows <<END
scaled|window:1200x750|$KNOWN|size:1200x750 Escape|0|=|
END
}

# The first run, F11, Windows' own ways out, a read-only file, the display test on each back-end;
# "Test display" with a size the display does not offer: the reason read from the display test,
# which shows no message box while the setup reads its output.
run_case wine_ "$(cat <<END
first_run|-logo|-|shoot Escape|0|$DEFAULTS|
roads||$KNOWN extra words|Up $SAVE_KEYS|0|$KNOWN|
roads||$KNOWN|ctrl+q|0|=|
roads||$KNOWN|close|0|=|
roads|read-only|$KNOWN|save-fails Escape|0|=|
display_test|display|0 640 480 0 0 2 22 22 22|Return|0|=|Back-end: OpenGL
display_test|display|1 640 480 4 0 2 18 20 24|Return|0|=|Back-end: SDL
display_test|VANTOR_TEST_SECONDS=10|1 1234 567 0 0 2 22 22 22|g m f t said untouched focus Escape Escape|0|=|$OFFERED
END
)"
