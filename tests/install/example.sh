#!/bin/bash
# example.sh CASE - the library as a game gets it: installed into a clean
# prefix (cmake --install), the example program built against that copy and
# run in Xvfb for a few frames on each back-end. CASE: cmake (find_package,
# the shared library), static (find_package, Vantor::image-static) or
# pkg-config (the compiler and pkg-config alone); or exports: the shared
# library has its SONAME and exports exactly the names the header declares.
#
# Environment: VANTOR_BUILD, the build folder; VANTOR_SOURCE, the source tree.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

case_name=example.${1:-}
: "${VANTOR_BUILD:?the build folder}" "${VANTOR_SOURCE:?the source tree}"
VANTOR_SETUP=$VANTOR_BUILD/vantor-setup VANTOR_FONT=$VANTOR_BUILD/vantor.ttf
init
prefix=$tmp/prefix out=$tmp/example
for component in lib dev; do
    cmake --install "$VANTOR_BUILD" --prefix "$prefix" --component $component >"$tmp/install.log" 2>&1 ||
        fail "cmake --install: $(cat "$tmp/install.log")"
done

cmake_example()
{
    cmake -S "$VANTOR_SOURCE/examples" -B "$tmp/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" "$@" >"$tmp/build.log" 2>&1 &&
        cmake --build "$tmp/cmake" >>"$tmp/build.log" 2>&1 || fail "$(cat "$tmp/build.log")"
    out=$tmp/cmake/vantor-example
}

# The names declared with VANTOR_IMAGE_API, comments and preprocessor lines
# left out: a pointer's (*name) or a function's name(.
declared()
{
    perl -0777 -ne 's{/\*.*?\*/}{}gs; s/^\s*#.*$//mg;
        print "$+\n" while /VANTOR_IMAGE_API[^;(]*?(?:\(\*\s*(\w+)\s*\)|\b(\w+)\s*\((?!\*))/g' "$1" | sort
}

case $1 in
    exports)
        lib=$(find "$prefix" -name 'libvantor-image.so.0')
        objdump -p "$lib" | grep -qx ' *SONAME *libvantor-image.so.0' || fail "SONAME: $(objdump -p "$lib" | grep SONAME)"
        got=$(nm -D --defined-only "$lib" | awk '{ print $3 }' | sort)
        want=$(declared "$prefix/include/vantor/image.h")
        [ "$(wc -l <<<"$want")" -gt 25 ] && [ "$got" = "$want" ] ||
            fail "exports:"$'\n'"$got"$'\n'"the header declares:"$'\n'"$want"
        echo "ok $case_name" && exit 0
        ;;
    cmake) cmake_example ;;
    static)
        cmake_example -DVANTOR_IMAGE_TARGET=Vantor::image-static
        ! ldd "$out" | grep -q vantor-image || fail "linked the shared library: $(ldd "$out")"
        ;;
    pkg-config)
        # shellcheck disable=SC2046 # pkg-config's output is words
        cc -Wall -Wextra -Werror -o "$out" "$VANTOR_SOURCE/examples/example.c" $(
            PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name vantor-image.pc)") pkg-config --cflags --libs vantor-image) \
            2>"$tmp/build.log" || fail "cc: $(cat "$tmp/build.log")"
        export LD_LIBRARY_PATH=$(dirname "$(find "$prefix" -name 'libvantor-image.so.0')")
        ;;
    *) echo "usage: $0 exports|cmake|static|pkg-config" >&2 && exit 2 ;;
esac
[ "$1" = static ] || ldd "$out" | grep -q "libvantor-image.so.0 => $prefix/" ||
    fail "does not load the installed library: $(ldd "$out")"

# On each back-end, the menu page for a few frames, ended by the frame limit.
cp "$VANTOR_BUILD/logo.png" "$work/"
start_xvfb
for backend in 0 1; do
    (cd "$work" && VANTOR_EXAMPLE_FRAMES=5 SDL_VIDEODRIVER=x11 timeout "$DEADLINE" \
        "$out" "$backend 640 400 0 4 22 22 22 0") >"$tmp/stdout" 2>"$tmp/stderr" ||
        fail "back-end $backend: exit status $?"
done
echo "ok $case_name"
