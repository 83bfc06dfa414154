#!/usr/bin/env bash
# One real import run of the shipped (32-bit) quellix.exe under Wine on the sample data in samples/: a host root
# directory named in the registry, a reserve directory holding a file of an earlier run. Prints
# the log the program wrote and what the reserve directory holds afterwards, and fails when the
# run does (an exit code other than 0, an error in the log, no file written).
# Where Wine runs only 64-bit programs (scripts/wine-loader.sh: this machine's kernel runs no 32-bit
# programs, or QUELLIX_WINE64=1 asks for it), the shipped exe is still built, and the 64-bit build
# of the same code runs instead; a line at the start and at the end says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
. scripts/require.sh
require cmake wine wineserver iconv tail
. scripts/wine-loader.sh

notice=
if [ "$QUELLIX_WINE_BITS" = 64 ]; then
    notice="== NOTE: $QUELLIX_WINE_WHY, so the 64-bit build of the same code (preset windows64,"
    notice+=" build/windows64/bin/quellix.exe) runs instead of the shipped 32-bit build/windows/bin/quellix.exe,"
    notice+=" which is built but not run"
    echo "$notice"
fi

# build PRESET [TARGET...]: quietly; a failure shows the end of the build's output and says so.
build() {
    local log=build/demo-build-$1.log targets=()
    [ $# -eq 1 ] || targets=(--target "${@:2}")
    mkdir -p build
    if ! { cmake --preset "$1" && cmake --build --preset "$1" -j "$(nproc)" "${targets[@]}"; } >"$log" 2>&1; then
        tail -n 30 "$log"
        echo "demo: building the preset $1 failed (all its output: $log)" >&2
        exit 1
    fi
}
echo "== building quellix.exe"
if [ "$QUELLIX_WINE_BITS" = 32 ]; then
    build windows
    bin=build/windows/bin
else
    build windows quellix
    echo "== building the 64-bit quellix.exe and the Task Scheduler stand-in"
    build windows64 quellix schtasks
    bin=build/windows64/bin
fi

demo=$PWD/build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp -r samples/host "$demo/host"
export QUELLIX_WINE_ROOT=$PWD/build/wine-demo
trap 'stop_wine "$QUELLIX_WINE_ROOT"' EXIT
scripts/wine-check.sh
run() { scripts/wine-run.sh "$@"; }
hostWin=$(run winepath -w "$demo/host" 2>/dev/null | tr -d '\r')
run reg add 'HKCU\software\Morvane\Pexlan2\etc' /v RootPath /d "$hostWin" /f >/dev/null 2>&1
if [ -f scripts/demo-setup.sh ]; then
    . scripts/demo-setup.sh # what later parts of the run need: the task listing, the tuner's files
fi

# The program reads the listing an earlier run left in the temporary directory when the Task
# Scheduler tool cannot be started: the demo prefix's is removed, so that such a run fails here.
tempWin=$(run cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
rm -f "$(run winepath -u "$tempWin\\task.csv" 2>/dev/null | tr -d '\r')"

echo "== the reserve directory before the run"
ls -l "$demo/host/reserve/GigaPocket"

echo "== $bin/quellix.exe \"$hostWin\\reserve\\GigaPocket\\\""
status=0
run "$bin/quellix.exe" "$hostWin\\reserve\\GigaPocket\\" || status=$?
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
[ -z "$notice" ] || echo "$notice"
# CI runs the demo too (.ci/run): a run that failed fails it.
tvpi=("$demo"/host/reserve/GigaPocket/*.tvpi)
log=$(iconv -f CP932 -t UTF-8 "$demo/host/pex.log")
if [ "$status" != 0 ] || [ ${#tvpi[@]} = 0 ] || [[ $log == *"(C.ERROR)"* ]]; then
    echo "demo: the run failed (exit code $status, ${#tvpi[@]} .tvpi files written; pex.log above says why)" >&2
    exit 1
fi
