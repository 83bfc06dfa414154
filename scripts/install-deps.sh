#!/usr/bin/env bash
# Installs, from Debian's archive, whatever of the build and test tools this machine lacks.
# Idempotent: a machine that has everything is left alone and no package list is fetched.
# Every program the scripts and tests call comes from one of these packages (or from the base
# system); scripts/check-deps.py holds them to that.
# A package index that fails to download (a mirror mid-sync) does not stop it: it says so and
# installs from the indexes it has; only a needed package that then cannot be installed stops it,
# with one line naming the packages and the cause.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/require.sh"
. "$here/kernel-probe.sh"

packages=(
    cmake ninja-build g++ python3
    git                               # the release's date and clean tree (scripts/release.sh)
    clang libclang-rt-14-dev          # libFuzzer and the sanitizers
    clang-format clang-tidy           # the format and lint check (scripts/lint.py)
    googletest libgtest-dev           # GoogleTest: installed natively, sources for the cross build
    g++-mingw-w64-i686-posix          # the Windows cross compiler for the shipped 32-bit program
    g++-mingw-w64-x86-64-posix        # ... and for the 64-bit build kept beside it
    wine wine64                       # runs the programs and their tests: the commands wine,
                                      # wineserver, winepath; the 64-bit part
    fonts-wine                        # Wine's own fonts: Marlett draws the title bars' buttons
    xvfb xauth xdotool x11-apps imagemagick # the window tests: a real X display, input, screenshots
    fonts-ipafont-gothic              # a Japanese font so Wine can draw the window's texts
    locales
)
# Wine's 32-bit part, which runs the shipped 32-bit program, comes from the i386 architecture. It is
# wanted only where the kernel runs 32-bit programs, and it is not needed for the rest: where it
# cannot be installed, the scripts run every Windows test on the 64-bit build and say so
# (scripts/wine-loader.sh).
packages32=(wine32:i386)
if [ "$QUELLIX_KERNEL32" = no ]; then
    packages32=()
elif ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: adding the i386 architecture (Wine's 32-bit part)"
    dpkg --add-architecture i386
fi

not_installed() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
    done
}

# apt's error lines (E: ...) of a log, on one line.
apt_errors() {
    sed -n 's/^E: //p' "$1" | grep -v '^Some index files failed to download' | head -n 3 |
        sed -e 's/ *\[IP: [^]]*\]//; s/\.$//' | paste -sd ';' - | sed 's/;/; /g' | tr -s ' '
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed_indexes=
# apt-get update, tried three times; an index that still fails is named, and the run goes on with
# the indexes apt has (apt keeps them all but the failing one).
update_indexes() {
    local try
    for try in 1 2 3; do
        if apt-get update -qq >"$log" 2>&1; then
            failed_indexes=
            return
        fi
        failed_indexes=$(apt_errors "$log")
        [ "$try" = 3 ] || sleep $((try * 4))
    done
    echo "install-deps: apt-get update failed three times (${failed_indexes:-$(tail -n 1 "$log")});" \
        "going on with the package indexes it has"
}

# install WHAT PACKAGE...: 0 when apt installed them; else the cause in $install_failure.
install_failure=
install() {
    local what=$1
    shift
    echo "install-deps: installing $what: $*"
    if apt-get install -y -q --no-install-recommends "$@" >"$log" 2>&1; then
        return 0
    fi
    install_failure=$(apt_errors "$log")
    local unmet
    unmet=$(grep -m 1 -E '^ +[^ ]+ : (Pre)?Depends:' "$log" | tr -s ' ' || true)
    [ -z "$unmet" ] || install_failure+="; ${unmet# }"
    [ -z "$failed_indexes" ] || install_failure+="; the package index that failed to download: $failed_indexes"
    return 1
}

mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing32 < <(not_installed "${packages32[@]}")
if [ $((${#missing[@]} + ${#missing32[@]})) -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    update_indexes
    if [ ${#missing[@]} -gt 0 ] && ! install "what the scripts need" "${missing[@]}"; then
        echo "install-deps: cannot install ${missing[*]}: $install_failure" >&2
        exit 1
    fi
    if [ ${#missing32[@]} -gt 0 ] && ! install "Wine's 32-bit part" "${missing32[@]}"; then
        echo "install-deps: cannot install ${missing32[*]} (Wine's 32-bit part): $install_failure;" \
            "the Windows tests and the demo run the 64-bit build instead"
    fi
fi

# Wine uses code page 932 when started under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
