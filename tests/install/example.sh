#!/bin/bash
# example.sh CASE - the library installed into a clean prefix, the example built against it with
# CASE cmake (the shared library), static (Vantor::image-static) or pkg-config and run in Xvfb
# on each back-end (linked by SONAME). `make abi-check` holds the exported names to abi/.
# Environment: VANTOR_BUILD, VANTOR_SOURCE (the source tree).
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

case_name=example.${1:-}
: "${VANTOR_BUILD:?the build folder}" "${VANTOR_SOURCE:?the source tree}"
init
prefix=$tmp/prefix out=$tmp/cmake/vantor-example
mkdir "$tmp/cmake"
cmake --install "$VANTOR_BUILD" --prefix "$prefix" >"$tmp/log" 2>&1 || fail "$(cat "$tmp/log")"
lib=$(find "$prefix" -name libvantor-image.so.0)
export PKG_CONFIG_PATH=${lib%/*}/pkgconfig LD_LIBRARY_PATH=${lib%/*}

case $1 in
    cmake | static)
        target=Vantor::image && [ "$1" = cmake ] || target=Vantor::image-static
        cmake -S "$VANTOR_SOURCE/examples" -B "$tmp/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
            -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" -DVANTOR_IMAGE_TARGET=$target >"$tmp/log" 2>&1 &&
            cmake --build "$tmp/cmake" >>"$tmp/log" 2>&1 || fail "$(cat "$tmp/log")"
        ;;
    pkg-config)
        # shellcheck disable=SC2046 # pkg-config's output is words
        cc -Wall -Wextra -Werror -o "$out" "$VANTOR_SOURCE/examples/example.c" \
            $(pkg-config --cflags --libs vantor-image) 2>"$tmp/log" || fail "$(cat "$tmp/log")"
        ;;
    *) echo "usage: $0 cmake|static|pkg-config" >&2 && exit 2 ;;
esac
if [ "$1" = static ]; then ! ldd "$out" | grep -q vantor-image; else ldd "$out" | grep -q "so.0 => $lib"; fi ||
    fail "not linked with the installed library as asked: $(ldd "$out")"

# On each back-end, the menu page for a few frames, ended by the frame limit.
cp "$VANTOR_BUILD/logo.png" "$work/"
start_xvfb
for backend in 0 1; do
    (cd "$work" && VANTOR_EXAMPLE_FRAMES=5 SDL_VIDEODRIVER=x11 timeout "$DEADLINE" \
        "$out" "$backend 640 400 0 0 4 22 22 22") >"$tmp/stdout" 2>"$tmp/stderr" ||
        fail "back-end $backend: exit status $?"
done
echo "ok $case_name"
