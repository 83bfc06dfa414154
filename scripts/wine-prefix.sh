#!/usr/bin/env bash
# Makes a Wine prefix for the tests once: booted in the given locale (a prefix stays bound to
# the locale it was booted in), headless through Wine's null graphics driver unless asked for X11.
# Usage: wine-prefix.sh PREFIX LOCALE [null|x11]
set -euo pipefail
prefix=$1
lc=$2
graphics=${3:-null}
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.quellix-ready" ]; then
    rm -rf "$prefix"
    export WINEPREFIX=$prefix LC_ALL=$lc WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
    [ -x "$wine" ] || wine=wine
    env -u DISPLAY "$wine" wineboot -i >/dev/null 2>&1
    if [ "$graphics" = null ]; then
        "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
        # The window tests run on a bare X server without a window manager: Wine draws the
        # title bars itself. The program asks for "ＭＳ Ｐゴシック"; the test bed has IPA Gothic.
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
        for pair in 'ＭＳ Ｐゴシック=IPAPGothic' 'MS PGothic=IPAPGothic' 'MS UI Gothic=IPAPGothic' \
                    'ＭＳ ゴシック=IPAGothic' 'MS Gothic=IPAGothic'; do
            "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}" /f \
                >/dev/null 2>&1
        done
    fi
    WINEPREFIX=$prefix wineserver -w
    touch "$prefix/.quellix-ready"
fi
