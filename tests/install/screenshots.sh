#!/bin/bash
# screenshots.sh write|check DIR - the README's pictures of the pages, taken by
# the program's own F11 in a flow (../flows/flows.sh): written into DIR (`make
# screenshots`: docs/), or compared with DIR's, failing when one is missing,
# not 600 x 375, or differs but where the page changes with time (new ones
# then in $VANTOR_BUILD/screenshots-new). Environment: VANTOR_BUILD.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

mode=${1:-} dir=${2:-}
case_name=screenshots.$mode

[[ $mode == @(write|check) && -n $dir ]] || { echo "usage: $0 write|check DIR" >&2 && exit 2; }
VANTOR_BUILD=$(realpath "${VANTOR_BUILD:?the build folder}")
VANTOR_SETUP=$VANTOR_BUILD/vantor-setup
VANTOR_FONT=$VANTOR_BUILD/vantor.ttf
init
out=$tmp/shots
mkdir "$out"

# The pages from the main one down (the question: the back-end's; the entry:
# the width's), each with what changes with time: the highlight or the cursor.
ln -s "$VANTOR_BUILD/logo.png" "$work/logo.png"
write_settings "0 1024 768 0 1 4 22 22 22"$'\n'
launch
while IFS='|' read -r name road rectangle; do
    [ -z "$road" ] || keys $road
    shoot
    new=$out/$name.png old=$dir/$name.png
    cp "$shot" "$new"
    [ "$(identify -format %wx%h "$new")" = 600x375 ] || fail "the new $name.png is not 600x375"
    if [ "$mode" = write ]; then
        mkdir -p "$dir" && cp "$new" "$dir/"
        continue
    fi
    [ "$(identify -format %wx%h "$old" 2>/dev/null)" = 600x375 ] ||
        fail "$old is missing or not 600x375: run make screenshots"
    diff=$(differing_pixels "$old" "$new" "$rectangle") || true
    [[ $diff =~ ^[0-9]+$ ]] || fail "compare $old: $diff"
    if [ "$diff" -gt 0 ]; then
        mkdir -p "$VANTOR_BUILD/screenshots-new"
        cp "$new" "$VANTOR_BUILD/screenshots-new/"
        fail "$old differs from the page in $diff pixels (now: $VANTOR_BUILD/screenshots-new/$name.png): run make screenshots"
    fi
done <<'END'
main||150,90 449,104
graphics|g|150,90 449,104
question|b|150,105 449,119
entry|Escape r|314,150 328,165
gamma|Escape Escape g|255,285 344,299
END
keys Escape Escape Escape
wait_exit 0
expect_untouched
echo "ok $case_name"
