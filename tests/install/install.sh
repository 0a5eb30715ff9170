#!/bin/bash
# install.sh CASE - the build installed into a temporary prefix, the programs started through
# their launchers from an unrelated folder: function case_CASE. Environment: VANTOR_BUILD.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

# Installs the build into "$1", to be started from $work, without data files.
install_to()
{
    prefix=$1
    cmake --install "${VANTOR_BUILD:?the build folder}" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
        fail "cmake --install: $(cat "$tmp/install.log")"
    VANTOR_SETUP=$prefix/bin/vantor-setup VANTOR_DISPLAY_TEST=$prefix/bin/vantor-display-test
    rm -f "$work/vantor.ttf"
    unset XDG_DATA_HOME # the launcher's folder is then in the flows' HOME
    data=$home/.local/share/vantor
}

# The desktop entries valid, starting the launchers by absolute path, quoted for the space, with
# the installed icon (package.sh lists the files).
case_layout()
{
    local program entry info
    install_to "$tmp/a prefix"
    for program in vantor-setup vantor-display-test; do
        entry=$prefix/share/applications/$program.desktop
        info=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $info"
        # The only remark allowed: Game and Settings are both main categories.
        [ -z "$(grep -v 'contains more than one main category' <<<"$info")" ] || fail "$info"
        grep -qx "Exec=\"$prefix/bin/$program\"" "$entry" && grep -qx 'Icon=vantor' "$entry" ||
            fail "$(cat "$entry")"
    done
}

# The setup through its launcher, then through a link to it: it runs in the
# user's data folder, linked to the installed data. The display test too. A
# data file missing from the installation: the program's message, status 1.
case_flows()
{
    install_to "$tmp/a prefix"
    installed_flows "$data" link
    expect_entries "$work"
    [ "$(readlink "$data/logo.png")" = "$prefix/share/vantor/logo.png" ] ||
        fail "$data/logo.png links to $(readlink "$data/logo.png")"
    run_rows <<<"flows|display -logo|1 640 480 4 0 2 22 22 22|Escape|0|=|"
    rm "$prefix/share/vantor/vantor.ttf"
    run_rows <<<"flows|-logo|$KNOWN|-|1|=|2:Vantor: vantor.ttf: could not read font"
}

# Installed into the user's own ~/.local, the launcher leaves the data
# folder's files as they are.
case_own_prefix()
{
    install_to "$home/.local"
    installed_flows "$data"
    [ -f "$data/logo.png" ] && [ ! -L "$data/logo.png" ] || fail "logo.png was replaced"
    [ "$(readlink "$data/vantor.ttf")" = "$(readlink "$VANTOR_BUILD/packaging/vantor.ttf")" ] ||
        fail "vantor.ttf was replaced"
}

run_case case_
