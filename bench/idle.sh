#!/bin/sh
# idle.sh BUILD - what an open page costs while its user reads.
#
# The setup's main page sits open for IDLE_SECONDS (default 10) on an Xvfb of
# its own, untouched; the CPU time that the program and the X server spend
# meanwhile (utime + stime from /proc/PID/stat, every thread) is given as a
# share of one core. The anchor, measured the same way in the same run, is
# bench's idle-anchor: a bare window of the same size that clears and flips
# itself at every 10 ms tick. Both on the two SDL 1.2 runtimes: sdl12-compat
# (the system's) and classic SDL 1.2.15 (tools/classic-sdl, fetched into
# BUILD/classic-sdl), at the setup's scale 1 (600 x 375) and 2 (1200 x 750).
# Each line prints the setup's share, the anchor's and their ratio.
#
# The start-up is left out: measuring starts SETTLE seconds after the
# program does. The figures are CPU time, so other work on the machine
# disturbs them little, but a loaded machine slows the X server's replies:
# compare runs made when the machine is quiet (uptime).
set -eu

build=$(realpath "${1:?usage: idle.sh BUILD}")
seconds=${IDLE_SECONDS:-10}
settle=${IDLE_SETTLE:-2}
classic=$build/classic-sdl
here=$(dirname "$0")
"$here/../tools/classic-sdl" "$classic" >/dev/null

tmp=$(mktemp -d "${TMPDIR:-/tmp}/idle-bench.XXXXXX")
xvfb="" program=""
stop()
{
    [ -z "$program" ] || { kill -KILL "$program" 2>/dev/null; wait "$program" 2>/dev/null; } || true
    [ -z "$xvfb" ] || { kill -TERM "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; } || true
    program="" xvfb=""
}
trap 'stop; rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP

# Clock ticks of CPU a process has used, its threads included.
ticks() { cut -d')' -f2 "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
hz=$(getconf CLK_TCK)

# Runs "$@" (environment assignments, then the program) on a fresh Xvfb and
# prints the share of one core, in percent, that it and the server used.
share()
{
    rm -f "$tmp/display"
    Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp -noreset 3>"$tmp/display" \
        >"$tmp/xvfb.log" 2>&1 &
    xvfb=$!
    tries=250
    until grep -qsx '[0-9][0-9]*' "$tmp/display"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || { echo "idle.sh: Xvfb did not start" >&2 && exit 1; }
        sleep 0.02
    done
    (cd "$tmp/work" && exec env HOME="$tmp/home" DISPLAY=":$(cat "$tmp/display")" \
        SDL_VIDEODRIVER=x11 "$@") >"$tmp/out" 2>&1 </dev/null &
    program=$!
    sleep "$settle"
    kill -0 "$program" 2>/dev/null || { echo "idle.sh: $* ended: $(cat "$tmp/out")" >&2 && exit 1; }
    p0=$(ticks "$program") x0=$(ticks "$xvfb")
    sleep "$seconds"
    p1=$(ticks "$program") x1=$(ticks "$xvfb")
    stop
    echo "$p0 $p1 $x0 $x1" | awk -v hz="$hz" -v s="$seconds" \
        '{ printf "%.1f", 100 * ($2 - $1 + $4 - $3) / hz / s }'
}

mkdir "$tmp/home" "$tmp/work"
ln -s "$build/vantor.ttf" "$build/logo.png" "$tmp/work/"

echo "Idle page: CPU share of one core (program and X server), ${seconds} s each; $(uptime | sed 's/.*load/load/')"
printf '%-8s %5s %8s %8s %7s\n' runtime scale setup anchor ratio
for runtime in compat classic; do
    lib=""
    [ "$runtime" = compat ] || lib="LD_LIBRARY_PATH=$classic"
    for scale in 1 2; do
        rm -rf "$tmp/home" && mkdir "$tmp/home"
        setup=$(share $lib "$build/vantor-setup" --scale "$scale")
        anchor=$(share $lib "$build/idle-anchor" $((600 * scale)) $((375 * scale)))
        echo "$setup $anchor" | awk -v r="$runtime" -v s="$scale" '{
            printf "%-8s %5d %7.1f%% %7.1f%% %7.2f\n", r, s, $1, $2, ($2 > 0 ? $1 / $2 : 0) }'
    done
done
