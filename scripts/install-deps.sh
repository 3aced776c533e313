#!/usr/bin/env bash
# Installs what building and testing need on Debian, only when something is
# missing: the mingw-w64 cross compiler, Wine (32-bit, and 64-bit where the
# kernel runs no 32-bit programs), Xvfb, xclip, CMake with make, GoogleTest,
# Python 3 with pytest, the locales the end-to-end suite runs the program
# under, and for tests/fuzz/run.sh and
# scripts/static-analysis.sh: clang with its libFuzzer runtime, clang-tidy,
# clang-format, cppcheck and valgrind. Debian 12 and 13 both have them under
# these names (LLVM 14 on 12, 19 on 13); the scripts call them by the same.
# Recommendations are not installed, so every command the scripts and suites
# call is named here (coreutils, grep, sed, mawk, findutils and diffutils come
# with every Debian).
set -euo pipefail

missing=()
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++ || missing+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
have cmake || missing+=(cmake)
have make || missing+=(make) # only recommended by cmake
have git || missing+=(git)   # tests/reproducible/check.sh lists the sources with it
have g++ || missing+=(g++)
have python3 || missing+=(python3)
# The end-to-end suite runs on Debian's Python, whichever python3 is first on PATH.
/usr/bin/python3 -c 'import pytest' >/dev/null 2>&1 || missing+=(python3-pytest)
have Xvfb || missing+=(xvfb)
have xclip || missing+=(xclip) # run.sh hands the copied text to the X desktop with it
{ have wine && dpkg -s wine32:i386 >/dev/null 2>&1; } || missing+=(wine wine32:i386)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
have clang++ || missing+=(clang)
# libFuzzer's runtime (and the sanitizers') is only recommended by clang's
# packages, and recommendations are not installed below. It is in a folder of
# clang's resource directory (lib/linux/ on Debian 12 and 13; other builds of
# clang name the target instead).
compgen -G "$(clang++ -print-resource-dir 2>/dev/null)/lib/*/libclang_rt.fuzzer*.a" >/dev/null ||
    missing+=(libclang-rt-dev)
have clang-tidy || missing+=(clang-tidy)
have clang-format || missing+=(clang-format)
have cppcheck || missing+=(cppcheck)
have valgrind || missing+=(valgrind)
[ -x /usr/sbin/locale-gen ] || missing+=(locales)
for extra in ${KELBRANO_EXTRA_PACKAGES:-}; do
    dpkg -s "$extra" >/dev/null 2>&1 || missing+=("$extra")
done

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
install() {
    echo "Installing: $*"
    if printf '%s\n' "$@" | grep -q ':i386'; then
        $sudo dpkg --add-architecture i386
    fi
    # A mirror in the middle of a sync serves an index that does not match its
    # Release file, for minutes or longer: tried again, then the packages are
    # installed from the indexes that did come (apt-get install fails on its
    # own when what they name can't be installed).
    local try
    for try in 1 2 3; do
        $sudo apt-get update -q && break
        if [ "$try" -lt 3 ]; then
            echo "apt-get update failed; trying again in 30 s"
            sleep 30
        else
            echo "apt-get update failed three times; installing from the indexes it could read"
        fi
    done
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}
[ ${#missing[@]} -eq 0 ] || install "${missing[@]}"

# Where the kernel can't run 32-bit x86 programs, Wine's 32-bit loader can't
# start either: the scripts then run a 64-bit build of the program under
# 64-bit Wine (scripts/wine-session.sh).
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    missing=()
    [ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
    have x86_64-w64-mingw32-g++ || missing+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
    [ ${#missing[@]} -eq 0 ] || install "${missing[@]}"
fi

# Wine takes a process's locales from LANG and LC_*, but only those that are
# generated: the end-to-end suite runs the program on a Russian system with
# English messages, and the reverse.
generated=$(locale -a)
generate=()
for locale in en_US.UTF-8 ru_RU.UTF-8; do
    grep -qix "${locale%.UTF-8}.utf8" <<<"$generated" || generate+=("$locale")
done
if [ ${#generate[@]} -gt 0 ]; then
    echo "Generating the locales: ${generate[*]}"
    $sudo touch /etc/locale.gen
    for locale in "${generate[@]}"; do
        $sudo sed -i "s/^# *\($locale UTF-8\)\$/\1/" /etc/locale.gen
        grep -qxF "$locale UTF-8" /etc/locale.gen || echo "$locale UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    done
    $sudo locale-gen
fi
