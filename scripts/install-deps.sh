#!/usr/bin/env bash
# Installs, from Debian's archive, whatever of the build and test tools this machine lacks.
# Idempotent: a machine that has everything is left alone and no package list is fetched.
# Every program the scripts and tests call comes from one of these packages (or from the base
# system); scripts/check-deps.py holds them to that.
set -euo pipefail
. "$(dirname "$0")/require.sh"

packages=(
    cmake ninja-build g++ python3
    clang libclang-rt-14-dev          # libFuzzer and the sanitizers
    googletest libgtest-dev           # GoogleTest: installed natively, sources for the cross build
    g++-mingw-w64-i686-posix          # the Windows cross compiler for the shipped 32-bit program
    g++-mingw-w64-x86-64-posix        # ... and for the 64-bit build kept beside it
    wine wine64 wine32:i386           # runs the programs and their tests: the commands wine,
                                      # wineserver, winepath; the 64-bit and the 32-bit part
    xvfb xauth xdotool x11-apps imagemagick # the window tests: a real X display, input, screenshots
    fonts-ipafont-gothic              # a Japanese font so Wine can draw the window's texts
    locales
)

# Wine's 32-bit part comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: adding the i386 architecture (Wine's 32-bit part)"
    dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine uses code page 932 when started under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
