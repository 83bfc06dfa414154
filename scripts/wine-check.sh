#!/usr/bin/env bash
# Stops with one line when Wine cannot start a Windows program here, before anything needs it:
# otherwise CTest's listing of the test cases, or the demo's first call, would be the first to
# notice, with a bare exit code. Boots the prefix of each locale given, as scripts/wine-run.sh does,
# and starts a program of Wine's own in it, which must end with the exit code it was asked for.
# Usage: wine-check.sh [LOCALE...] (ja when none is given)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/require.sh"
require wine mktemp
. "$here/wine-loader.sh"
err=$(mktemp)
trap 'rm -f "$err"' EXIT
for locale in "${@:-ja}"; do
    status=0
    QUELLIX_WINE_LOCALE=$locale "$here/wine-run.sh" cmd /c exit 7 </dev/null >/dev/null 2>"$err" || status=$?
    [ $status = 7 ] && continue
    if grep -q '^wine-' "$err"; then
        # The scripts that make the prefix and start Wine said why, in one line.
        grep -m1 '^wine-' "$err" >&2
    else
        echo "wine-check: Wine starts no Windows program here: 'cmd /c exit 7' in the $locale test prefix ended" \
            "with $status, not 7$(tail -n1 "$err" | sed 's/^./ (&/; s/.$/&)/'): see" \
            "'WINEDEBUG=err+all QUELLIX_WINE_LOCALE=$locale scripts/wine-run.sh cmd /c exit 7', remove build/wine*" \
            "and run again, or reinstall Wine (scripts/install-deps.sh)" >&2
    fi
    exit 1
done
