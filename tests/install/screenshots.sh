#!/bin/bash
# screenshots.sh write|check DIR - the README's pictures of the pages, taken by the program's
# F11: written into DIR (`make screenshots`: docs/), or compared with DIR's but where the page
# changes with time (new ones then in $VANTOR_BUILD/screenshots-new). Environment: VANTOR_BUILD.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

mode=${1:-} dir=${2:-}
case_name=screenshots.$mode

[[ $mode == @(write|check) && -n $dir ]] || { echo "usage: $0 write|check DIR" >&2 && exit 2; }
VANTOR_BUILD=$(realpath "${VANTOR_BUILD:?the build folder}")
init

# The pages from the main one down (the back-end's question, the width's entry), each with what
# changes with time: the highlight or the cursor.
ln -s "$VANTOR_BUILD/logo.png" "$work/logo.png"
write_settings "0 1024 768 0 1 4 22 22 22"$'\n'
launch
while IFS='|' read -r name road rectangle; do
    [ -z "$road" ] || keys $road
    shoot
    [ "$mode" = check ] || { mkdir -p "$dir" && cp "$shot" "$dir/$name.png" && continue; }
    diff=$(differing_pixels "$dir/$name.png" "$shot" "$rectangle") || true
    [ "$diff" = 0 ] || {
        mkdir -p "$VANTOR_BUILD/screenshots-new" && cp "$shot" "$VANTOR_BUILD/screenshots-new/$name.png"
        fail "$dir/$name.png: $diff pixels differ (new: $VANTOR_BUILD/screenshots-new): make screenshots"
    }
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
