#!/bin/bash
# package.sh contents|debian - the Debian packages cpack makes from the build: their dependencies
# (lintian in `make package` checks the other fields) and contents; with debian (as root), also
# installed into a fresh Debian 12 root (debian_root.sh): programs_in_root, example_in_root.
# Environment: VANTOR_BUILD; VANTOR_SOURCE (default: this script's tree); VANTOR_DEBIAN_CACHE
# (default $VANTOR_BUILD/debian-cache) and VANTOR_DEBIAN_MIRROR as for debian_root.sh.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"
. "$(dirname "$(realpath "$0")")/debian_root.sh"

mode=${1:-}
case_name=package.$mode
VANTOR_BUILD=$(realpath "${VANTOR_BUILD:?the build folder}")
VANTOR_DEBIAN_CACHE=${VANTOR_DEBIAN_CACHE:-$VANTOR_BUILD/debian-cache}
readonly FONT_LINK=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# The files of package "$1" (the HTML reference's apart), laid out for /usr:
# rows of package (or all), mode and paths, with the shell's {a,b} lists.
want_files()
{
    local lib=./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH) package mode paths
    while read -r package mode paths; do
        [ "$package" = "$1" ] || [ "$package" = all ] || continue
        eval "printf -- '$mode %s\n' $paths"
    done <<'END'
vantor-setup -rwxr-xr-x ./usr/{bin,libexec/vantor}/{vantor-setup,vantor-display-test}
vantor-setup -rw-r--r-- ./usr/share/{applications/{vantor-setup,vantor-display-test}.desktop,man/man6/{vantor-setup,vantor-display-test}.6.gz}
vantor-setup -rw-r--r-- ./usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/vantor.png ./usr/share/vantor/logo.png
vantor-setup lrwxrwxrwx "./usr/share/vantor/vantor.ttf -> ..${FONT_LINK#/usr/share}"
libvantor-image0 lrwxrwxrwx "$lib/libvantor-image.so.0 -> libvantor-image.so.$version"
libvantor-image0 -rw-r--r-- $lib/libvantor-image.so.$version
libvantor-image-dev -rw-r--r-- ./usr/include/vantor/image.h $lib/{libvantor-image.a,pkgconfig/vantor-image.pc}
libvantor-image-dev -rw-r--r-- $lib/cmake/VantorImage/VantorImage{Config,ConfigVersion,Targets,Targets-$build_type}.cmake
libvantor-image-dev lrwxrwxrwx "$lib/libvantor-image.so -> libvantor-image.so.0"
all -rw-r--r-- ./usr/share/doc/$1/{changelog.gz,copyright}
END
}

check_contents()
{
    local deb=$1 name=$2 got want
    got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ && $6 !~ /\/html\// { $2 = $3 = $4 = $5 = ""; print }' |
        tr -s ' ' | sort)
    want=$(want_files "$name" | sort)
    [ "$got" = "$want" ] || fail "$name holds:"$'\n'"$got"$'\n'"expected:"$'\n'"$want"
    [ "$name" = vantor-setup ] || return 0
    dpkg-deb -x "$deb" "$tmp/unpacked"
    local usr=$tmp/unpacked/usr
    grep -qx "data='/usr/share/vantor'" "$usr/bin/vantor-setup" &&
        grep -qx "program='/usr/libexec/vantor/vantor-setup'" "$usr/bin/vantor-setup" &&
        grep -qx 'Exec="/usr/bin/vantor-setup"' "$usr/share/applications/vantor-setup.desktop" ||
        fail "the launcher or the desktop entry names a path outside /usr"
}

# Package "$1" installed into the root, with the packages "$@" after it.
install_package()
{
    local deb=$tmp/package/$1_${version}_$(dpkg --print-architecture).deb
    shift
    cp "$deb" "$root/tmp/"
    apt_install "/tmp/$(basename "$deb")" "$@"
}

# The example built in the root against the installed -dev package, with CMake
# and with pkg-config, each run for a few frames on each back-end in the
# installed data folder (vantor.ttf, logo.png), on the host's Xvfb.
example_in_root()
{
    local program backend
    cp -r "$VANTOR_SOURCE/examples" "$root/tmp/example"
    in_root 300 sh -c 'cmake -S /tmp/example -B /tmp/example/build && cmake --build /tmp/example/build &&
        cc -Wall -Werror -o /tmp/example/pc /tmp/example/example.c $(pkg-config --cflags --libs vantor-image)' \
        >"$tmp/example.log" 2>&1 || fail "building the example in the root: $(tail -n 30 "$tmp/example.log")"
    [ -n "$xvfb_pid" ] || start_xvfb
    for program in /tmp/example/build/vantor-example /tmp/example/pc; do
        for backend in 0 1; do
            in_root 30 env DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11 VANTOR_EXAMPLE_FRAMES=5 \
                sh -c "cd /usr/share/vantor && exec $program '$backend 640 400 0 0 4 22 22 22'" \
                >"$tmp/example.log" 2>&1 || fail "$program on back-end $backend: $(cat "$tmp/example.log")"
        done
    done
}

# The installed programs started in the root as its user root would start them: the setup
# writes the defaults without a display; the display test opens one on the host's Xvfb and
# closes by itself.
programs_in_root()
{
    in_root 10 vantor-setup --reset >"$tmp/run.log" 2>&1 ||
        fail "vantor-setup --reset: $(cat "$tmp/run.log")"
    expect_line "$root/root/.config/Vantor Settings" "$DEFAULTS"
    [ -n "$xvfb_pid" ] || start_xvfb
    in_root 30 env DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11 VANTOR_COUNTDOWN_SECONDS=1 \
        vantor-display-test --settings '1 640 480 0 0 2 22 22 22' >"$tmp/run.log" 2>&1 ||
        fail "vantor-display-test: $(cat "$tmp/run.log")"
}

[[ $mode == @(contents|debian) ]] || { echo "usage: $0 contents|debian" >&2 && exit 2; }
VANTOR_SOURCE=$(realpath "${VANTOR_SOURCE:-$(dirname "$(realpath "$0")")/../..}")
init
trap 'cleanup; remove_root' EXIT
cpack -G DEB -B "$tmp/package" --config "$VANTOR_BUILD/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$tmp/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$VANTOR_BUILD/CPackConfig.cmake")
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$VANTOR_BUILD/CMakeCache.txt" | tr '[:upper:]' '[:lower:]')
build_type=${build_type:-noconfig}
for name in vantor-setup libvantor-image0 libvantor-image-dev; do
    deb=$(echo "$tmp/package/${name}_"*.deb)
    [ -f "$deb" ] || fail "no $name package in $tmp/package: $(ls "$tmp/package")"
    # Only the -dev package may depend on development packages; lintian checks the other fields.
    [ "$name" = libvantor-image-dev ] || ! dpkg-deb -f "$deb" Depends | grep -qE -- '-dev\b' ||
        fail "$name depends on a development package: $(dpkg-deb -f "$deb" Depends)"
    check_contents "$deb" "$name"
done
if [ "$mode" = debian ]; then
    [ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot, mount)"
    start=$SECONDS
    make_root
    install_package vantor-setup
    programs_in_root
    install_package libvantor-image0
    install_package libvantor-image-dev cmake make gcc # its dependencies bring pkg-config
    example_in_root
    echo "package.sh: the packages passed in a fresh Debian 12 root in $((SECONDS - start)) s" >&2
fi
echo "ok package.$mode"
