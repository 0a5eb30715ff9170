#!/bin/bash
# install.sh - the installation: `cmake --install` of the build into a
# temporary prefix with a space in its name, and the installed program started
# through its launcher from an unrelated folder, under its own Xvfb. Uses the
# library of the whole-program flows (../flows/flows.sh).
#
#   install.sh CASE      (CASE is one of the case_* functions below)
#
# Environment (CTest sets them): VANTOR_BUILD, the build folder to install;
# VANTOR_SETUP and VANTOR_FONT, as for the flows.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

readonly ICON_SIZES='48 64 128 256'

# Installs the build into "$1" and makes its launcher the program the flows
# start; they start it in $work, which then holds no data file.
install_to()
{
    prefix=$1
    cmake --install "${VANTOR_BUILD:?the build folder}" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
        fail "cmake --install: $(cat "$tmp/install.log")"
    VANTOR_SETUP=$prefix/bin/vantor-setup
    rm -f "$work/vantor.ttf"
    unset XDG_DATA_HOME # the launcher's folder is then in the flows' HOME
}

# ---------------------------------------------------------------------------

# The icons square, transparent at the corners; the desktop entry valid and
# starting the launcher by its absolute path, quoted for the space. (The
# package's test checks the list of files.)
case_layout()
{
    local entry size info
    install_to "$tmp/a prefix"
    for size in $ICON_SIZES; do
        info=$(pngcheck "$prefix/share/icons/hicolor/${size}x$size/apps/vantor.png") || fail "$info"
        grep -qF "(${size}x$size, 32-bit RGB+alpha" <<<"$info" || fail "icon $size: $info"
        [ "$(convert "$prefix/share/icons/hicolor/${size}x$size/apps/vantor.png" \
            -format '%[fx:p{0,0}.a],%[fx:p{w/2,h/2}.a]' info:)" = 0,1 ] ||
            fail "icon $size: not transparent at the corner and opaque in the middle"
    done

    entry=$prefix/share/applications/vantor-setup.desktop
    info=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $info"
    # The only remark allowed: Game and Settings are both main categories.
    [ -z "$(grep -v 'contains more than one main category' <<<"$info")" ] || fail "$info"
    grep -qx "Exec=\"$prefix/bin/vantor-setup\"" "$entry" || fail "Exec: $(grep ^Exec "$entry")"
    grep -qx 'Name=Vantor Setup' "$entry" && grep -qx 'Icon=vantor' "$entry" &&
        grep -qx 'Categories=Game;Settings;' "$entry" || fail "$(cat "$entry")"
}

# Start and leave with Escape, then start through a link to the launcher and
# save, from a folder without data files: the launcher runs the program in the
# user's folder, where F11 leaves the screenshot, and the settings go where
# they always go.
case_flows()
{
    local folder=$home/.local/share/vantor
    install_to "$tmp/a prefix"
    launch
    expect_line "$settings" "$DEFAULTS"
    keys F11
    poll test -s "$folder/screenshot.png" || fail "no screenshot in $folder"
    keys Escape
    wait_exit 0
    expect_line "$settings" "$DEFAULTS"
    expect_entries "$work"
    [ "$(readlink "$folder/logo.png")" = "$prefix/share/vantor/logo.png" ] ||
        fail "$folder/logo.png links to $(readlink "$folder/logo.png")"

    write_settings "$KNOWN extra words"$'\n'
    mkdir "$tmp/bin"
    ln -s "$prefix/bin/vantor-setup" "$tmp/bin/vantor-setup"
    VANTOR_SETUP=$tmp/bin/vantor-setup
    start_setup
    find_window
    keys $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "$KNOWN"
}

# Installed into the user's own prefix, the data folder is the user's folder:
# the launcher runs the program there and leaves the data files as they are.
case_own_prefix()
{
    local data=$home/.local/share/vantor
    install_to "$home/.local"
    launch
    keys F11
    poll test -s "$data/screenshot.png" || fail "no screenshot in $data"
    keys Escape
    wait_exit 0
    [ -f "$data/logo.png" ] && [ ! -L "$data/logo.png" ] || fail "logo.png was replaced"
    [ "$(readlink "$data/vantor.ttf")" = "$(readlink "$VANTOR_BUILD/packaging/vantor.ttf")" ] ||
        fail "vantor.ttf was replaced"
}

# The display test, installed beside the setup: started through its launcher,
# it opens the display the settings ask for and leaves them alone.
case_display_test()
{
    install_to "$tmp/a prefix"
    desktop-file-validate "$prefix/share/applications/vantor-display-test.desktop" ||
        fail "the display test's desktop entry is not valid"
    write_settings '1 640 480 4 0 2 22 22 22'$'\n'
    VANTOR_SETUP=$prefix/bin/vantor-display-test
    start_xvfb
    start_setup
    poll grep -qxF 'Back-end: SDL' "$tmp/stdout" || fail "no display: $(cat "$tmp/stdout" "$tmp/stderr")"
    poll eval 'win=$(xdotool search --onlyvisible --name "^Vantor Display Test\$" | tail -n 1); [ -n "$win" ]' ||
        fail "no window"
    timeout "$DEADLINE" xdotool windowfocus --sync "$win" || fail "could not focus the window"
    keys Escape
    wait_exit 0
    expect_untouched
}

# A data file missing from the installation: the program's own message.
case_missing_data()
{
    install_to "$tmp/a prefix"
    rm "$prefix/share/vantor/vantor.ttf"
    start_xvfb
    start_setup
    wait_exit 1
    [ "$(tail -n 1 "$tmp/stderr")" = "Vantor: vantor.ttf: could not read font" ] ||
        fail "last line on standard error: $(tail -n 1 "$tmp/stderr")"
}

# ---------------------------------------------------------------------------

if [ -z "$case_name" ] || ! declare -F "case_$case_name" >/dev/null; then
    echo "usage: $0 CASE, one of: $(declare -F | sed -n 's/^declare -f case_//p' | tr '\n' ' ')" >&2
    exit 2
fi
init
"case_$case_name"
echo "ok install.$case_name"
