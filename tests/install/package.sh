#!/bin/bash
# package.sh contents|debian - the Debian package (cpack from the build): its
# control fields and contents; with debian (`make package-test`, as root), also
# installed with apt-get into a fresh Debian 12 root (debootstrap, minbase),
# where the installed vantor-setup passes the installed flows under the host's
# Xvfb (reached through its abstract socket) on both SDL 1.2 runtimes.
#
# Environment: VANTOR_BUILD, the build folder; VANTOR_DEBIAN_MIRROR, a mirror
# for debootstrap. debootstrap's and apt's downloads (about 100 MB) are kept in
# $VANTOR_BUILD/package-test/cache; the root is made anew beside them and
# removed, after its mounts, on every way out.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

mode=${1:-}
case_name=package.$mode
VANTOR_BUILD=$(realpath "${VANTOR_BUILD:?the build folder}")
readonly FONT_LINK=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
root=""

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

# Unmounts the root's mounts, deepest first, then removes it; a root that
# keeps a mount stays: removing it could reach into what is mounted.
remove_root()
{
    [ -n "$root" ] && [ -d "$root" ] || return 0
    mounts_in_root | while IFS= read -r m; do umount "$m" 2>/dev/null || umount -l "$m" || true; done
    [ -z "$(mounts_in_root)" ] || { echo "package.sh: $root still has mounts; left in place" >&2 && return 0; }
    rm -rf --one-file-system "$root"
}

mounts_in_root()
{
    findmnt -ln -o TARGET | while IFS= read -r m; do
        case $m in "$root"/*) printf '%s\n' "$m" ;; esac
    done | sort -r
}

# "$2"... in the root, as root, for at most "$1" seconds.
in_root()
{
    local seconds=$1
    shift
    timeout "$seconds" chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# apt-get installs "$@" in the root, without recommends: Depends must be enough.
apt_install()
{
    in_root 600 apt-get install -y -qq --no-install-recommends "$@" >"$tmp/apt.log" 2>&1 ||
        fail "apt-get install $*: $(tail -n 30 "$tmp/apt.log")"
}

make_root()
{
    local cache=$VANTOR_BUILD/package-test/cache
    mkdir -p "$cache/debootstrap" "$cache/apt"
    root=$(mktemp -d "$VANTOR_BUILD/package-test/root.XXXXXX")
    echo "package.sh: debootstrap bookworm into $root" >&2
    timeout 900 debootstrap --variant=minbase --cache-dir="$cache/debootstrap" bookworm "$root" \
        ${VANTOR_DEBIAN_MIRROR:+"$VANTOR_DEBIAN_MIRROR"} >"$tmp/debootstrap.log" 2>&1 ||
        fail "debootstrap: $(tail -n 20 "$tmp/debootstrap.log")"
    mount -t proc proc "$root/proc" || fail "cannot mount /proc in the root"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d" # no service may start
    chmod +x "$root/usr/sbin/policy-rc.d"
    cp "$deb" "$root/tmp/"
    find "$cache/apt" -name '*.deb' -exec cp -t "$root/var/cache/apt/archives/" {} +
    in_root 300 apt-get update -qq >"$tmp/apt.log" 2>&1 || fail "apt-get update: $(cat "$tmp/apt.log")"
    apt_install "/tmp/$(basename "$deb")"
    find "$root/var/cache/apt/archives" -maxdepth 1 -name '*.deb' -exec cp -t "$cache/apt/" {} +
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
    make_root
    flows_in_root
    apt_install libsdl1.2-compat-shim # the other runtime that satisfies the dependency
    flows_in_root
    echo "package.sh: the package passed in a fresh Debian 12 root in $((SECONDS - start)) s" >&2
fi
echo "ok package.$mode"
