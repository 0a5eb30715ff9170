# shellcheck shell=bash
# debian_root.sh - a fresh Debian 12 root (bookworm, minbase) for package.sh and minimal.sh:
# make_root, in_root SECONDS CMD, apt_install PKG..., remove_root (trap it on EXIT); the caller
# provides fail and $tmp. VANTOR_DEBIAN_CACHE keeps the downloads, apt's archives and the bare
# root (a tar file, for a week); VANTOR_DEBIAN_MIRROR is a mirror for debootstrap.

root=""
readonly ROOT_TAR_DAYS=7

# Ends what runs in the root, unmounts deepest first, removes it; one that keeps a mount stays.
remove_root()
{
    local m p
    [ -n "$root" ] && [ -d "$root" ] || return 0
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" != "$root" ] || kill -KILL "${p#/proc/}" 2>/dev/null || true
    done
    mounts_in_root | while IFS= read -r m; do umount "$m" 2>/dev/null || umount -l "$m" || true; done
    [ -z "$(mounts_in_root)" ] || { echo "debian_root.sh: $root still has mounts; left in place" >&2 && return 0; }
    rm -rf --one-file-system "$root"
}

mounts_in_root() { findmnt -ln -o TARGET | awk -v r="$root/" 'index($0, r) == 1' | sort -r; }

# "$2"... in the root, as root, in a clean environment, for at most "$1" s.
in_root()
{
    local seconds=$1
    shift
    timeout "$seconds" chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

apt_install()
{
    in_root 900 apt-get install -y -qq --no-install-recommends "$@" >"$tmp/apt.log" 2>&1 ||
        fail "apt-get install $*: $(tail -n 30 "$tmp/apt.log")"
}

make_root()
{
    local cache tar
    cache=$(realpath -m "${VANTOR_DEBIAN_CACHE:?where the Debian root and its downloads are kept}")
    tar=$cache/bookworm-minbase${VANTOR_DEBIAN_MIRROR:+-$(printf %s "$VANTOR_DEBIAN_MIRROR" | md5sum | cut -c1-8)}.tar
    mkdir -p "$cache/debootstrap" "$cache/apt"
    root=$(mktemp -d "$cache/root.XXXXXX") || fail "cannot make a folder in $cache"
    chmod 755 "$root"
    if [ -n "$(find "$tar" -mtime -"$ROOT_TAR_DAYS" 2>/dev/null)" ]; then
        echo "debian_root.sh: bookworm minbase from $tar into $root" >&2
        tar --numeric-owner -xpf "$tar" -C "$root" || fail "cannot unpack $tar"
    else
        echo "debian_root.sh: debootstrap bookworm into $root" >&2
        timeout 900 debootstrap --variant=minbase --cache-dir="$cache/debootstrap" bookworm "$root" \
            ${VANTOR_DEBIAN_MIRROR:+"$VANTOR_DEBIAN_MIRROR"} >"$tmp/debootstrap.log" 2>&1 ||
            fail "debootstrap: $(tail -n 20 "$tmp/debootstrap.log")"
        tar --numeric-owner -cf "$tar.$$" -C "$root" . && mv "$tar.$$" "$tar" || rm -f "$tar.$$"
    fi
    mount -t proc proc "$root/proc" && mount -t sysfs sysfs "$root/sys" &&
        mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" &&
        mount -t tmpfs -o mode=1777 shm "$root/dev/shm" &&
        mount --bind "$cache/apt" "$root/var/cache/apt/archives" || fail "cannot mount the root's file systems"
    ln -sf pts/ptmx "$root/dev/ptmx"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d" # no service may start
    # dpkg without a sync after every file, as Debian's container images have it.
    echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
    chmod +x "$root/usr/sbin/policy-rc.d"
    in_root 300 apt-get update -qq >"$tmp/apt.log" 2>&1 || fail "apt-get update: $(cat "$tmp/apt.log")"
}
