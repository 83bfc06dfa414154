#!/usr/bin/env bash
# One real import run of the shipped (32-bit) quellix.exe under Wine on the sample data in samples/: a host root
# directory named in the registry, a reserve directory holding a file of an earlier run. Prints
# the log the program wrote and what the reserve directory holds afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
. scripts/require.sh
require cmake wine wineserver iconv

echo "== building quellix.exe"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" >/dev/null

demo=$PWD/build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp -r samples/host "$demo/host"
export QUELLIX_WINE_ROOT=$PWD/build/wine-demo
stop_wine() {
    local p
    for p in "$QUELLIX_WINE_ROOT"/prefix-*; do
        if [ -d "$p" ]; then WINEPREFIX=$(cd "$p" && pwd) wineserver -k 2>/dev/null || true; fi
    done
}
trap stop_wine EXIT
run() { scripts/wine-run.sh "$@"; }
hostWin=$(run winepath -w "$demo/host" 2>/dev/null | tr -d '\r')
run reg add 'HKCU\software\Morvane\Pexlan2\etc' /v RootPath /d "$hostWin" /f >/dev/null 2>&1
if [ -f scripts/demo-setup.sh ]; then
    . scripts/demo-setup.sh # what later parts of the run need: the task listing, the tuner's files
fi

echo "== the reserve directory before the run"
ls -l "$demo/host/reserve/GigaPocket"

echo "== quellix.exe \"$hostWin\\reserve\\GigaPocket\\\""
status=0
run build/windows/bin/quellix.exe "$hostWin\\reserve\\GigaPocket\\" || status=$?
echo "exit code: $status"

echo "== pex.log (Shift_JIS, shown as UTF-8)"
iconv -f CP932 -t UTF-8 "$demo/host/pex.log" | tr -d '\r'

if [ -f "$demo/host/pexTVCHNo.csv" ]; then
    echo "== the channel table pexTVCHNo.csv after the run"
    iconv -f CP932 -t UTF-8 "$demo/host/pexTVCHNo.csv" | tr -d '\r'
fi

echo "== the reserve directory after the run"
ls -l "$demo/host/reserve/GigaPocket"
shopt -s nullglob
for f in "$demo"/host/reserve/GigaPocket/*.tvpi; do
    echo "-- $(basename "$f")"
    iconv -f CP932 -t UTF-8 "$f" | tr -d '\r'
done
