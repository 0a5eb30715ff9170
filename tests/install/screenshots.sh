#!/bin/bash
# screenshots.sh - the README's pictures of the pages, each taken by the
# program's own screenshot key (F11) in a flow under Xvfb (the flows' library,
# ../flows/flows.sh), with the logo and a known settings file.
#
#   screenshots.sh write DIR   takes them into DIR (`make screenshots`: docs/)
#   screenshots.sh check DIR   takes them anew and compares them with DIR's
#
# Environment: VANTOR_BUILD, the build folder with vantor-setup, vantor.ttf
# and logo.png.
#
# check fails when a picture is missing, is not 600 x 375, or differs from the
# page as it shows now anywhere but where it changes with time: the highlight
# flashes and the numeric entry's cursor blinks. A failing check leaves the
# new pictures in $VANTOR_BUILD/screenshots-new.
set -eu

. "$(dirname "$(realpath "$0")")/../flows/flows.sh"

readonly SHOTS='main graphics question entry gamma'
readonly SIZE=600x375

mode=${1:-}
dir=${2:-}
case_name=screenshots.$mode

# Saves the page shown as "$out/$1.png".
shot()
{
    take_shot
    cp "$work/screenshot.png" "$out/$1.png"
}

# Walks the pages, from the main page down, taking their pictures into $out.
take_all()
{
    ln -s "$VANTOR_BUILD/logo.png" "$work/logo.png"
    # OpenGL, 1024 x 768 windowed, antialiasing with 4 samples.
    write_settings "0 1024 768 0 1 4 22 22 22"$'\n'
    launch
    shot main
    keys g
    shot graphics
    keys b # the back-end question
    shot question
    keys Escape r # windowed: the width is typed
    shot entry
    keys Escape Escape g # width and height kept; the gamma page
    shot gamma
    keys Escape Escape Escape
    wait_exit 0
    expect_untouched
}

# The rectangle (window pixels) of picture "$1" that changes with time: the
# highlighted item's bar (column 10, 20 units wide, 15 pixels a unit; "All" on
# the gamma page) or the entry's cursor.
changing_part()
{
    case $1 in
        main | graphics) echo '150,90 449,104' ;;  # row 6
        question) echo '150,105 449,119' ;;         # row 7
        entry) echo '314,150 328,165' ;;            # the cursor at (21, 10.125)
        gamma) echo '255,285 344,299' ;;            # "All", column 17, row 19, 6 wide
    esac
}

# Picture "$1" with its changing part blacked out, as "$2".
masked()
{
    convert "$1" -fill black -draw "rectangle $(changing_part "$(basename "$1" .png)")" "$2" ||
        fail "cannot read $1"
}

# The size of picture "$1" as WxH.
size_of()
{
    identify -format '%wx%h' "$1" 2>/dev/null || echo "unreadable"
}

check_all()
{
    local name old new diff
    for name in $SHOTS; do
        old=$dir/$name.png
        new=$out/$name.png
        [ -f "$old" ] || fail "$old is missing: run make screenshots"
        [ "$(size_of "$new")" = "$SIZE" ] || fail "the new $name.png is $(size_of "$new")"
        [ "$(size_of "$old")" = "$SIZE" ] || fail "$old is $(size_of "$old"), not $SIZE"
        masked "$old" "$tmp/old.png"
        masked "$new" "$tmp/new.png"
        diff=$(compare -metric AE -fuzz 2% "$tmp/old.png" "$tmp/new.png" null: 2>&1) || true
        [[ $diff =~ ^[0-9]+$ ]] || fail "compare $old: $diff"
        if [ "$diff" -gt 0 ]; then
            mkdir -p "$VANTOR_BUILD/screenshots-new"
            cp "$new" "$VANTOR_BUILD/screenshots-new/"
            fail "$old differs from the page in $diff pixels (now: $VANTOR_BUILD/screenshots-new/$name.png): run make screenshots"
        fi
    done
}

case $mode in
    write | check) ;;
    *)
        echo "usage: $0 write|check DIR" >&2
        exit 2
        ;;
esac
[ -n "$dir" ] || fail "no folder given"
: "${VANTOR_BUILD:?the build folder}"
VANTOR_BUILD=$(realpath "$VANTOR_BUILD")
[ -r "$VANTOR_BUILD/logo.png" ] || fail "no logo.png in $VANTOR_BUILD"
VANTOR_SETUP=$VANTOR_BUILD/vantor-setup
VANTOR_FONT=$VANTOR_BUILD/vantor.ttf
init
out=$tmp/shots
mkdir "$out"
take_all
if [ "$mode" = write ]; then
    mkdir -p "$dir"
    for name in $SHOTS; do cp "$out/$name.png" "$dir/"; done
    echo "screenshots.sh: $SHOTS written to $dir" >&2
else
    check_all
fi
echo "ok screenshots.$mode"
