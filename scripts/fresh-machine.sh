#!/usr/bin/env bash
# Tries the README's two commands on a fresh minimal Debian 12 or 13: makes a
# root of the suite named (bookworm, the default, or trixie) with debootstrap
# (minbase, plus git, ca-certificates and sudo), gives it that release's
# sources (with its -updates and -security archives) from the archives this
# machine installs from (read from /etc/apt/sources.list or sources.list.d/,
# in either form), clones the committed HEAD of this repository into it, and
# there, as an ordinary user with sudo and no display, runs scripts/run.sh on
# a small file and then scripts/test.sh. Prints each step's time and result;
# exits non-zero when any step fails. Run as root. The root is made anew every
# time and removed at the end; only downloaded packages are kept, in
# KELBRANO_FRESH_CACHE (default /var/cache/kelbrano-fresh), for the next run.
#   scripts/fresh-machine.sh [bookworm|trixie]
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${KELBRANO_FRESH_CACHE:-/var/cache/kelbrano-fresh}

if [ "${1:-}" != --inside ]; then
    suite=${1:-bookworm}
    case $suite in
    bookworm | trixie) ;;
    *) echo "usage: scripts/fresh-machine.sh [bookworm|trixie]" >&2; exit 2 ;;
    esac
    [ "$(id -u)" -eq 0 ] || { echo "fresh-machine.sh: run it as root" >&2; exit 1; }
    if ! command -v debootstrap >/dev/null; then
        apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap || exit 1
    fi
    # One run at a time uses the cache.
    mkdir -p "$cache" && exec 9>>"$cache/lock" || exit 1
    flock -n 9 || { echo "Waiting for another fresh-machine.sh run to end"; flock 9; }
    root=$(mktemp -d /var/tmp/kelbrano-fresh.XXXXXX) && chmod 755 "$root" || exit 1
    # The mounts live in a mount namespace of their own and vanish with the
    # last process in it; the root is removed only when nothing is mounted
    # under it here.
    inner= inner_ns=
    stop_all() { # everything in that namespace, again until nothing is left
        local pid found
        [ -n "$inner" ] && kill -9 "$inner" 2>/dev/null
        for _ in $(seq 50); do
            found=
            for pid in /proc/[0-9]*; do
                [ -n "$inner_ns" ] && [ "$(readlink "$pid/ns/mnt" 2>/dev/null)" = "$inner_ns" ] &&
                    kill -9 "${pid#/proc/}" 2>/dev/null && found=1
            done
            [ -n "$found" ] || break
            sleep 0.2
        done
    }
    cleanup() {
        stop_all
        if awk -v r="$root" '$5 == r || index($5, r "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo; then
            echo "fresh-machine.sh: something is still mounted under $root; left in place" >&2
        else
            rm -rf "$root"
        fi
    }
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    unshare --mount --propagation private "$0" --inside "$root" "$suite" &
    inner=$!
    while [ "$(readlink /proc/$inner/ns/mnt)" = "$(readlink /proc/self/ns/mnt)" ]; do sleep 0.1; done 2>/dev/null
    inner_ns=$(readlink /proc/$inner/ns/mnt 2>/dev/null)
    [ "$inner_ns" != "$(readlink /proc/self/ns/mnt)" ] || inner_ns= # never this machine's own
    wait "$inner"
    code=$?
    inner=
    exit $code
fi

# In braces, so bash reads all of it before it runs: editing this file
# during a run does not change the run.
{
root=$2
suite=$3
release=12
[ "$suite" = trixie ] && release=13
mkdir -p "$cache/debootstrap" "$cache/apt"
# The Debian archives this machine installs from, as "URI SUITE" lines: from
# the one-line form (deb [options] URI SUITE COMPONENTS...) and from deb822
# paragraphs (the first of their URIs, with each of their suites).
entries() {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        sed -n 's/^[[:space:]]*deb[[:space:]]\+\(\[[^]]*\][[:space:]]*\)\?\([^[:space:]]\+\)[[:space:]]\+\([^[:space:]]\+\).*/\2 \3/p'
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] && awk 'function flush(i, n, s) {
                if (types ~ /(^| )deb( |$)/ && split(uris, u, " ")) {
                    n = split(suites, s, " "); for (i = 1; i <= n; i++) print u[1], s[i] }
                types = uris = suites = "" }
            /^[ \t]*$/ { flush() }
            sub(/^Types:[ \t]*/, "") { types = $0 }
            sub(/^URIs:[ \t]*/, "") { uris = $0 }
            sub(/^Suites:[ \t]*/, "") { suites = $0 }
            END { flush() }' "$file"
    done
}
# The main archive is that of a release's own suite (no -updates or
# -security in its name), the security archive that of a -security suite or
# else debian-security beside the main one, as on deb.debian.org; a CD-ROM or
# a local folder is neither.
mirror=$(entries | awk '$1 ~ /^https?:/ && $2 !~ /-/ { print $1; exit }')
[ -n "$mirror" ] || { echo "no Debian archive in /etc/apt/sources.list or sources.list.d/" >&2; exit 1; }
security=$(entries | awk '$1 ~ /^https?:/ && $2 ~ /-security$/ { print $1; exit }')
security=${security:-${mirror%/}-security}
commit=$(git -C "$repo" rev-parse HEAD) || exit 1
echo "Fresh Debian $release ($suite) in $root from $mirror and $security," \
    "commit ${commit:0:12} (uncommitted changes are not included)"

log=$cache/debootstrap.log
failed=0
results=()
# step NAME COMMAND...: runs it, timed, and notes how it went.
step() {
    local name=$1 start=$SECONDS code
    shift
    echo "=== $name"
    "$@"
    code=$?
    results+=("$(printf '%-44s %5d s  %s' "$name" $((SECONDS - start)) "$([ $code -eq 0 ] && echo ok || echo "FAILED ($code)")")")
    [ $code -eq 0 ] || failed=1
    return $code
}
finish() { # stops what still runs in the root, then tells how each step went
    local pid
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "${pid#/proc/}" 2>/dev/null
    done
    echo "=== fresh machine, step by step"
    printf '%s\n' "${results[@]}"
    # apt's own log in the root: how long the package installs took
    [ -f "$root/var/log/apt/history.log" ] && awk '{ gsub(/[-:]/, " ") }
        /^Start Date/ { s = mktime($3 " " $4 " " $5 " " $6 " " $7 " " $8) }
        /^End Date/ { t += mktime($3 " " $4 " " $5 " " $6 " " $7 " " $8) - s }
        END { printf "%-44s %5d s\n", "  (apt-get install, within run.sh)", t }' "$root/var/log/apt/history.log"
    printf '%-44s %5d s\n' total "$SECONDS"
    exit "$failed"
}
trap finish EXIT

bootstrap() {
    debootstrap --variant=minbase --include=git,ca-certificates,sudo --cache-dir="$cache/debootstrap" \
        "$suite" "$root" "$mirror" >"$log" 2>&1 || { tail -n 30 "$log"; return 1; }
}
step "debootstrap (+ git, ca-certificates, sudo)" bootstrap || exit

# As an installed Debian is: the release's sources (with updates and
# security), its name in /etc/hosts, a user who may use sudo. Packages apt
# downloads go to the cache.
setup() {
    rm -f "$root/etc/apt/sources.list"
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n\n' \
        "$mirror" "$suite $suite-updates" /usr/share/keyrings/debian-archive-keyring.gpg \
        "$security" "$suite-security" /usr/share/keyrings/debian-archive-keyring.gpg \
        >"$root/etc/apt/sources.list.d/debian.sources" &&
        printf '127.0.0.1 localhost\n127.0.1.1 %s\n' "$(hostname)" >"$root/etc/hosts" &&
        chroot "$root" useradd -m -s /bin/bash user &&
        echo 'user ALL=(ALL) NOPASSWD: ALL' >"$root/etc/sudoers.d/user" &&
        chmod 440 "$root/etc/sudoers.d/user" &&
        mount -t proc proc "$root/proc" && mount -t sysfs sysfs "$root/sys" &&
        mount --rbind /dev "$root/dev" &&
        mount --bind "$cache/apt" "$root/var/cache/apt/archives" &&
        git clone -q --no-hardlinks "$repo" "$root/home/user/kelbrano" &&
        git -C "$root/home/user/kelbrano" checkout -q --detach "$commit" &&
        printf 'A file to copy\r\non a fresh machine.\r\n' >"$root/home/user/notes.txt" &&
        chroot "$root" chown -R user:user /home/user
}
step "user, mounts, clone" setup || exit

as_user() { # COMMAND: in the clone, as the user, with no display and no input
    chroot --userspec=user:user "$root" env -i HOME=/home/user USER=user LOGNAME=user \
        PATH=/usr/local/bin:/usr/bin:/bin bash -c "cd ~/kelbrano && $1" </dev/null 9>&-
}
step "scripts/run.sh ~/notes.txt" as_user 'scripts/run.sh ~/notes.txt'
step "scripts/test.sh" as_user scripts/test.sh
exit
}
