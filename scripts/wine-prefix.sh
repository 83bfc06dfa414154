#!/usr/bin/env bash
# Makes a Wine prefix for the tests once: booted in the given locale (a prefix stays bound to
# the locale it was booted in), with Wine's 32-bit part (SysWOW64) for the shipped 32-bit program,
# headless through Wine's null graphics driver unless asked for X11. Where Wine runs only 64-bit
# programs (scripts/wine-loader.sh), the prefix is booted through the 64-bit loader, without SysWOW64.
# A prefix that cannot be made stops the script with one line naming the cause.
# Usage: wine-prefix.sh PREFIX LOCALE [null|x11]
set -euo pipefail
. "$(dirname "$0")/require.sh"
require wine wineserver flock
. "$(dirname "$0")/wine-loader.sh"
prefix=$1
lc=$2
graphics=${3:-null}
fail() {
    echo "wine-prefix: Wine could not make the prefix $prefix: $*" >&2
    exit 1
}
trap 'fail "$BASH_COMMAND ended with $? (scripts/wine-prefix.sh, line $LINENO); remove the prefix and run again"' ERR
# What the ready mark holds: a prefix made by an earlier version of this script (for instance
# booted without Wine's 32-bit part, so without SysWOW64) is booted again.
if [ "$QUELLIX_WINE_BITS" = 64 ]; then
    # Booted through the 64-bit loader: SysWOW64 stays empty, since no 32-bit program can run here.
    ready="quellix-prefix 3 win64 $graphics"
    syswow64_needed=false
else
    ready="quellix-prefix 3 wow64 $graphics"
    syswow64_needed=true
fi
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ "$(cat "$prefix/.quellix-ready" 2>/dev/null)" != "$ready" ] || { $syswow64_needed && [ ! -d "$prefix/drive_c/windows/syswow64" ]; }; then
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    export WINEPREFIX=$prefix LC_ALL=$lc WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    status=0
    env -u DISPLAY "$QUELLIX_WINE" wineboot -i >"$prefix.boot.log" 2>&1 || status=$?
    if [ $status -ne 0 ] || [ ! -d "$prefix/drive_c/windows/system32" ]; then
        fail "wineboot ended with $status (its output: $prefix.boot.log); reinstall Wine (scripts/install-deps.sh)" \
            "and run again"
    fi
    if $syswow64_needed && [ ! -d "$prefix/drive_c/windows/syswow64" ]; then
        fail "it has no SysWOW64: Wine's 32-bit part is missing (Debian package wine32:i386; run scripts/install-deps.sh)"
    fi
    rm -f "$prefix.boot.log"
    if [ "$graphics" = null ]; then
        "$QUELLIX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
        # The window tests run on a bare X server without a window manager: Wine draws the
        # title bars itself, their buttons in Marlett, one of Wine's own fonts (Debian package
        # fonts-wine), which Wine started through either loader finds in the prefix's font folder.
        # The program asks for "ＭＳ Ｐゴシック"; the test bed has IPA Gothic.
        cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
        "$QUELLIX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
        for pair in 'ＭＳ Ｐゴシック=IPAPGothic' 'MS PGothic=IPAPGothic' 'MS UI Gothic=IPAPGothic' \
                    'ＭＳ ゴシック=IPAGothic' 'MS Gothic=IPAGothic'; do
            "$QUELLIX_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}" /f \
                >/dev/null 2>&1
        done
    fi
    wineserver -w
    echo "$ready" >"$prefix/.quellix-ready"
fi
# Wine's background programs (services.exe and the like) start with the first program after the
# server does and inherit its standard handles: a test runner reading a test's output would wait
# for them too, seconds after every test. So the server is started here, staying a minute after
# the last program, and the background programs with it, with nothing of the caller's to inherit.
if WINEPREFIX=$prefix wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
    WINEPREFIX=$prefix LC_ALL=$lc WINEDEBUG=-all "$QUELLIX_WINE" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
fi
