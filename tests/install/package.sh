#!/bin/bash
# package.sh - the Debian package: its control fields and contents, and the
# package installed into a fresh Debian 12 root where the program then passes
# a short flow under Xvfb.
#
#   package.sh contents   packs the build (cpack) and checks the package
#   package.sh debian     the same, then makes a Debian 12 root (debootstrap,
#                         minbase), installs the package there with apt-get
#                         and runs the installed vantor-setup in it (chroot):
#                         start, Escape; start, Save and exit
#
# Environment: VANTOR_BUILD, the build folder (CTest and the Makefile set it);
# VANTOR_DEBIAN_MIRROR, a Debian mirror for debootstrap (its default when
# unset). The debian case runs as root, downloads about 100 MB, and keeps
# debootstrap's downloads and apt's in $VANTOR_BUILD/package-test/cache for the
# next run; the root itself is made anew each time beside them and removed,
# after its mounts, on every way out. The program in the root reaches the
# host's Xvfb through the server's abstract socket (Linux), so no host folder
# is mounted into the root.
set -eu

here=$(dirname "$(realpath "$0")")
. "$here/../flows/flows.sh"

mode=${1:-}
case_name=package.$mode
: "${VANTOR_BUILD:?the build folder}"
VANTOR_BUILD=$(realpath "$VANTOR_BUILD")
readonly FONT_LINK=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
root=""

# Packs the build into $deb.
build_package()
{
    cpack -G DEB -B "$tmp/package" --config "$VANTOR_BUILD/CPackConfig.cmake" \
        >"$tmp/cpack.log" 2>&1 || fail "cpack: $(cat "$tmp/cpack.log")"
    deb=$(echo "$tmp"/package/vantor-setup_*.deb)
    [ -f "$deb" ] || fail "no package in $tmp/package: $(ls "$tmp/package")"
}

# The package's name of every dependency, one a line.
dependency_names()
{
    dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//' | sort -u
}

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
    names=$(dependency_names)
    for p in libc6 libstdc++6 libsdl1.2debian libfreetype6 libpng16-16 libopengl0 libglu1-mesa \
        "$(dpkg -S "$FONT_LINK" | cut -d: -f1)"; do
        grep -qx "$p" <<<"$names" || fail "Depends lacks $p: $(dpkg-deb -f "$deb" Depends)"
    done
    ! grep -q -- '-dev$' <<<"$names" || fail "Depends names a development package: $names"
}

check_contents()
{
    local got want size entry program
    got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { $3 = $4 = $5 = ""; print }' | tr -s ' ' | sort)
    want=$(
        for program in vantor-setup vantor-display-test; do
            echo "-rwxr-xr-x root/root ./usr/bin/$program"
            echo "-rwxr-xr-x root/root ./usr/libexec/vantor/$program"
            echo "-rw-r--r-- root/root ./usr/share/applications/$program.desktop"
        done
        for size in 48 64 128 256; do
            echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/${size}x$size/apps/vantor.png"
        done
        echo '-rw-r--r-- root/root ./usr/share/vantor/logo.png'
        echo "lrwxrwxrwx root/root ./usr/share/vantor/vantor.ttf -> $FONT_LINK"
    )
    want=$(sort <<<"$want")
    [ "$got" = "$want" ] || fail "package holds:"$'\n'"$got"$'\n'"expected:"$'\n'"$want"

    # Laid out for /usr: the entry starts /usr/bin/vantor-setup, which starts
    # the program from /usr/libexec with the data of /usr/share/vantor.
    mkdir "$tmp/unpacked"
    dpkg-deb -x "$deb" "$tmp/unpacked"
    entry=$tmp/unpacked/usr/share/applications/vantor-setup.desktop
    desktop-file-validate "$entry" >"$tmp/validate.log" 2>&1 || fail "$(cat "$tmp/validate.log")"
    grep -qx 'Exec="/usr/bin/vantor-setup"' "$entry" || fail "$(grep ^Exec "$entry")"
    grep -qx "data='/usr/share/vantor'" "$tmp/unpacked/usr/bin/vantor-setup" &&
        grep -qx "program='/usr/libexec/vantor/vantor-setup'" "$tmp/unpacked/usr/bin/vantor-setup" ||
        fail "the launcher does not start /usr/libexec/vantor/vantor-setup in /usr/share/vantor"
}

# ---------------------------------------------------------------------------
# The fresh Debian root.

# Unmounts what is mounted in the root, then removes it. A root that still has
# a mount is left in place: removing it could reach into what is mounted.
remove_root()
{
    [ -n "$root" ] && [ -d "$root" ] || return 0
    mounts_in_root | while IFS= read -r m; do umount "$m" 2>/dev/null || umount -l "$m" || true; done
    if [ -n "$(mounts_in_root)" ]; then
        echo "package.sh: $root still has mounts; left in place" >&2
        return 0
    fi
    rm -rf --one-file-system "$root"
}

# The mount points inside the root, the deepest first.
mounts_in_root()
{
    findmnt -ln -o TARGET | while IFS= read -r m; do
        case $m in "$root"/*) printf '%s\n' "$m" ;; esac
    done | sort -r
}

# In the root, as root, with a bounded time.
in_root()
{
    local seconds=$1
    shift
    timeout "$seconds" chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
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
    # Nothing installed may start a service.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"

    echo "package.sh: apt-get install ./$(basename "$deb")" >&2
    cp "$deb" "$root/tmp/"
    find "$cache/apt" -name '*.deb' -exec cp -t "$root/var/cache/apt/archives/" {} +
    in_root 300 apt-get update -qq >"$tmp/apt.log" 2>&1 || fail "apt-get update: $(cat "$tmp/apt.log")"
    # Without recommends: what Depends names must be enough.
    in_root 600 apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" \
        >"$tmp/apt.log" 2>&1 || fail "apt-get install: $(tail -n 30 "$tmp/apt.log")"
    find "$root/var/cache/apt/archives" -maxdepth 1 -name '*.deb' -exec cp -t "$cache/apt/" {} +
    [ "$(in_root 10 sh -c 'command -v vantor-setup')" = /usr/bin/vantor-setup ] ||
        fail "vantor-setup is not on PATH in the root"
    echo "package.sh: $(grep -c '^Setting up' "$tmp/apt.log") packages installed" >&2
}

# The package that gives the root its libSDL-1.2.so.0.
sdl_runtime()
{
    in_root 10 dpkg-query -S '/usr/lib/*/libSDL-1.2.so.0' | head -n 1 | cut -d: -f1
}

# The flows' library starts the installed program in the root, as its user
# root would start it, through $VANTOR_SETUP, which takes no arguments.
prepare_flows()
{
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
    start_xvfb
}

# A first start left with Escape; a start with "Save and exit".
flow_in_root()
{
    local folder=$home/.local/share/vantor
    echo "package.sh: flows on $(sdl_runtime)" >&2
    rm -rf "$config" "$folder"
    start_setup
    find_window
    expect_line "$settings" "$DEFAULTS"
    keys F11
    poll test -s "$folder/screenshot.png" || fail "no screenshot in /root/.local/share/vantor"
    keys Escape
    wait_exit 0
    expect_line "$settings" "$DEFAULTS"

    write_settings "$KNOWN extra words"$'\n'
    start_setup
    find_window
    keys $SAVE_KEYS
    wait_exit 0
    expect_line "$settings" "$KNOWN"
}

# ---------------------------------------------------------------------------

case $mode in
    contents | debian) ;;
    *)
        echo "usage: $0 contents|debian" >&2
        exit 2
        ;;
esac
VANTOR_SETUP=$VANTOR_BUILD/vantor-setup
VANTOR_FONT=$VANTOR_BUILD/vantor.ttf
init
trap 'cleanup; remove_root' EXIT
build_package
check_control
check_contents
if [ "$mode" = debian ]; then
    [ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot, mount)"
    start=$SECONDS
    make_root
    prepare_flows
    flow_in_root
    # The other SDL 1.2 runtime that satisfies the package's dependency.
    in_root 300 apt-get install -y -qq --no-install-recommends libsdl1.2-compat-shim \
        >"$tmp/apt.log" 2>&1 || fail "apt-get install libsdl1.2-compat-shim: $(tail -n 30 "$tmp/apt.log")"
    flow_in_root
    echo "package.sh: the package passed in a fresh Debian 12 root in $((SECONDS - start)) s" >&2
fi
echo "ok package.$mode"
