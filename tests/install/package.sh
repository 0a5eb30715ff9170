#!/bin/bash
# package.sh contents|debian - the Debian package (cpack from the build): its
# control fields and contents; with debian (`make package-test`, as root), also
# installed with apt-get into a fresh Debian 12 root (debootstrap, minbase),
# where the installed vantor-setup passes the installed flows under the host's
# Xvfb (reached through its abstract socket) on both SDL 1.2 runtimes.
#
# Environment: VANTOR_BUILD, the build folder; VANTOR_DEBIAN_CACHE (default
# $VANTOR_BUILD/debian-cache) and VANTOR_DEBIAN_MIRROR as for debian_root.sh.
# The root is made anew and removed, after its mounts, on every way out.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"
. "$(dirname "$(realpath "$0")")/debian_root.sh"

mode=${1:-}
case_name=package.$mode
VANTOR_BUILD=$(realpath "${VANTOR_BUILD:?the build folder}")
VANTOR_DEBIAN_CACHE=${VANTOR_DEBIAN_CACHE:-$VANTOR_BUILD/debian-cache}
readonly FONT_LINK=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

check_control()
{
    local field names p
    for field in Package:vantor-setup Section:games Priority:optional \
        "Architecture:$(dpkg --print-architecture)"; do
        [ "$(dpkg-deb -f "$deb" "${field%%:*}")" = "${field#*:}" ] ||
            fail "${field%%:*} is '$(dpkg-deb -f "$deb" "${field%%:*}")', expected '${field#*:}'"
    done
    dpkg-deb -f "$deb" Version | grep -qx '[0-9][0-9.]*' || fail "Version: $(dpkg-deb -f "$deb" Version)"
    dpkg-deb -f "$deb" Maintainer | grep -qx '[^<]\+ <[^@>]\+@[^>]\+>' ||
        fail "Maintainer: $(dpkg-deb -f "$deb" Maintainer)"
    [ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 2 ] || fail "no long description"
    # The runtime libraries' packages and the font's, and nothing to build with.
    names=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//' | sort -u)
    for p in libc6 libstdc++6 libsdl1.2debian libfreetype6 libpng16-16 libopengl0 libglu1-mesa \
        "$(dpkg -S "$FONT_LINK" | cut -d: -f1)"; do
        grep -qx "$p" <<<"$names" || fail "Depends lacks $p: $(dpkg-deb -f "$deb" Depends)"
    done
    ! grep -q -- '-dev$' <<<"$names" || fail "Depends names a development package: $names"
}

# Exactly the installation's files, laid out for /usr: the entry starts
# /usr/bin/vantor-setup, which starts /usr/libexec/vantor's in /usr/share/vantor.
check_contents()
{
    local got want size program launcher=$tmp/unpacked/usr/bin/vantor-setup
    got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { $3 = $4 = $5 = ""; print }' | tr -s ' ' | sort)
    want=$(
        for program in vantor-setup vantor-display-test; do
            echo "-rwxr-xr-x root/root ./usr/bin/$program"
            echo "-rwxr-xr-x root/root ./usr/libexec/vantor/$program"
            echo "-rw-r--r-- root/root ./usr/share/applications/$program.desktop"
            echo "-rw-r--r-- root/root ./usr/share/man/man6/$program.6.gz"
        done
        for size in 48 64 128 256; do
            echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/${size}x$size/apps/vantor.png"
        done
        echo '-rw-r--r-- root/root ./usr/share/vantor/logo.png'
        echo "lrwxrwxrwx root/root ./usr/share/vantor/vantor.ttf -> $FONT_LINK"
    )
    want=$(sort <<<"$want")
    [ "$got" = "$want" ] || fail "package holds:"$'\n'"$got"$'\n'"expected:"$'\n'"$want"
    dpkg-deb -x "$deb" "$tmp/unpacked"
    desktop-file-validate "$tmp/unpacked/usr/share/applications/vantor-setup.desktop" >"$tmp/validate.log" 2>&1 ||
        fail "$(cat "$tmp/validate.log")"
    grep -qx 'Exec="/usr/bin/vantor-setup"' "$tmp/unpacked/usr/share/applications/vantor-setup.desktop" ||
        fail "the desktop entry does not start /usr/bin/vantor-setup"
    grep -qx "data='/usr/share/vantor'" "$launcher" &&
        grep -qx "program='/usr/libexec/vantor/vantor-setup'" "$launcher" ||
        fail "the launcher does not start /usr/libexec/vantor/vantor-setup in /usr/share/vantor"
}

# The package installed into a fresh root.
install_package()
{
    make_root
    cp "$deb" "$root/tmp/"
    apt_install "/tmp/$(basename "$deb")"
    [ "$(in_root 10 sh -c 'command -v vantor-setup')" = /usr/bin/vantor-setup ] ||
        fail "vantor-setup is not on PATH in the root"
    echo "package.sh: $(grep -c '^Setting up' "$tmp/apt.log") packages installed" >&2
}

# The installed flows, on the runtime that gives the root its libSDL-1.2.so.0,
# with the program started in the root as its user root would start it.
flows_in_root()
{
    echo "package.sh: flows on $(in_root 10 dpkg-query -S '/usr/lib/*/libSDL-1.2.so.0' | head -n 1 | cut -d: -f1)" >&2
    cat >"$tmp/vantor-setup" <<END
#!/bin/bash
exec chroot $(printf %q "$root") /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root \\
    DISPLAY="\$DISPLAY" SDL_VIDEODRIVER=x11 vantor-setup
END
    chmod +x "$tmp/vantor-setup"
    VANTOR_SETUP=$tmp/vantor-setup
    home=$root/root
    config=$home/.config
    settings="$config/Vantor Settings"
    rm -rf "$config" "$home/.local/share/vantor"
    installed_flows "$home/.local/share/vantor"
}

case $mode in
    contents | debian) ;;
    *) echo "usage: $0 contents|debian" >&2 && exit 2 ;;
esac
VANTOR_SETUP=$VANTOR_BUILD/vantor-setup
VANTOR_FONT=$VANTOR_BUILD/vantor.ttf
init
trap 'cleanup; remove_root' EXIT
cpack -G DEB -B "$tmp/package" --config "$VANTOR_BUILD/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$tmp/cpack.log")"
deb=$(echo "$tmp"/package/vantor-setup_*.deb)
[ -f "$deb" ] || fail "no package in $tmp/package: $(ls "$tmp/package")"
check_control
check_contents
if [ "$mode" = debian ]; then
    [ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot, mount)"
    start=$SECONDS
    install_package
    flows_in_root
    apt_install libsdl1.2-compat-shim # the other runtime that satisfies the dependency
    flows_in_root
    echo "package.sh: the package passed in a fresh Debian 12 root in $((SECONDS - start)) s" >&2
fi
echo "ok package.$mode"
