#!/bin/bash
# minimal.sh - the README's two commands in a fresh clone of HEAD in a fresh minimal Debian 12
# root (debian_root.sh, plus make, git and ca-certificates): `make run` installs no test tools
# and ends for want of a display; `make test` installs the rest and passes. Needs root and the
# network; VANTOR_DEBIAN_CACHE and VANTOR_DEBIAN_MIRROR as for debian_root.sh.
set -eu

here=$(dirname "$(realpath "$0")")
readonly NO_DISPLAY='Vantor: no display found: DISPLAY and WAYLAND_DISPLAY are not set'
# What only the tests, the benchmarks, the sanitizers or packaging use.
readonly NOT_FOR_RUN='libgtest-dev xvfb xdotool imagemagick libbenchmark-dev libopencv-imgproc-dev clang debootstrap'
. "$here/../flows/flows.sh" # its fail
case_name=minimal

# Runs "$2" in the clone for at most "$1" seconds, logging to $tmp/log; says how long it took.
in_clone()
{
    local step=$SECONDS status=0
    in_root "$1" sh -c "cd /root/vantor-setup && $2" >"$tmp/log" 2>&1 || status=$?
    echo "minimal.sh: '$2' took $((SECONDS - step)) s" >&2
    return $status
}

. "$here/debian_root.sh"
[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot, mount)"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantor-minimal.XXXXXX")
trap 'remove_root; rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP
start=$SECONDS

make_root
apt_install make git ca-certificates
git -C "$here" bundle create -q "$root/tmp/vantor.bundle" HEAD || fail "cannot bundle this repository's HEAD"
in_root 60 git clone -q /tmp/vantor.bundle /root/vantor-setup >"$tmp/log" 2>&1 ||
    fail "git clone: $(cat "$tmp/log")"
echo "minimal.sh: root and clone ready in $((SECONDS - start)) s" >&2

! in_clone 1800 'make run' || fail "make run did not fail without a display: $(tail -n 20 "$tmp/log")"
grep -qxF "$NO_DISPLAY" "$tmp/log" || fail "make run: $(tail -n 40 "$tmp/log")"
# shellcheck disable=SC2086 # a list of packages
installed=$(in_root 10 dpkg-query -W -f '${db:Status-Abbrev} ${Package}\n' $NOT_FOR_RUN 2>/dev/null |
    sed -n 's/^ii *//p' | tr '\n' ' ')
[ -z "$installed" ] || fail "make run installed $installed"

in_clone 3600 'make test' || fail "make test: $(tail -n 80 "$tmp/log")"
grep -q '^100% tests passed' "$tmp/log" || fail "make test: $(tail -n 80 "$tmp/log")"
echo "ok minimal: the README's commands passed in a fresh minimal Debian 12 root in $((SECONDS - start)) s"
