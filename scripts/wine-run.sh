#!/usr/bin/env bash
# Runs a Windows program under Wine in this build's test prefix for the chosen locale. The `wine`
# command starts 32-bit and 64-bit programs alike (the prefix has Wine's 32-bit part, WoW64); where
# this machine runs no 32-bit programs (scripts/wine-loader.sh), Wine's 64-bit loader starts 64-bit
# programs only.
# QUELLIX_WINE_LOCALE: ja (ja_JP.UTF-8, code page 932; the default) or c (C.UTF-8, code page 1252).
# QUELLIX_WINE_GRAPHICS: null (headless; the default) or x11 (a real display, for the window's own tests).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/require.sh"
require wine
. "$here/wine-loader.sh"
loc=${QUELLIX_WINE_LOCALE:-ja}
graphics=${QUELLIX_WINE_GRAPHICS:-null}
case $loc in
    ja) lc=ja_JP.UTF-8 ;;
    c) lc=C.UTF-8 ;;
    *) echo "wine-run: unknown locale '$loc'" >&2; exit 2 ;;
esac
root=${QUELLIX_WINE_ROOT:-$here/../build/wine}
prefix=$root/prefix-$loc-$graphics
"$here/wine-prefix.sh" "$prefix" "$lc" "$graphics"
export WINEPREFIX=$prefix LC_ALL=$lc WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
[ "$graphics" = null ] && unset DISPLAY
case " $* " in
*" --gtest_list_tests "*)
    # GoogleTest's list of cases, read by CTest's test discovery, which wants Unix line ends. Through
    # a file, not a pipe: Wine's background processes could inherit a pipe and hold it open.
    list=$(mktemp)
    trap 'rm -f "$list"' EXIT
    status=0
    "$QUELLIX_WINE" "$@" >"$list" || status=$?
    tr -d '\r' <"$list"
    exit $status
    ;;
esac
# QUELLIX_WINE_TIMEOUT (seconds), set by the test bed below CTest's own limit for a case: a program
# still running then is ended together with every program of this prefix (its Wine server), so that
# nothing the case started (a quellix.exe holding the single-instance guard) outlives it and fails
# the cases after it. The prefix serves one case at a time (cmake/windows.cmake).
if [ -n "${QUELLIX_WINE_TIMEOUT:-}" ]; then
    status=0
    timeout --kill-after=10 "$QUELLIX_WINE_TIMEOUT" "$QUELLIX_WINE" "$@" || status=$?
    if [ $status = 124 ] || [ $status = 137 ]; then
        echo "wine-run: $(basename "$1") ran past its time limit of $QUELLIX_WINE_TIMEOUT s: ending every" \
            "program of the prefix $prefix" >&2
        wineserver -k 2>/dev/null || true
    fi
    exit $status
fi
exec "$QUELLIX_WINE" "$@"
