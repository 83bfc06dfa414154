#!/usr/bin/env bash
# Builds the shipped quellix.exe alone (preset windows: i686, PE32, warnings as errors) in a fresh
# build folder: scripts/release-build.sh FOLDER [CMAKE_ARGUMENT...], for instance the two web
# addresses (-DQUELLIX_HOME_URL=... -DQUELLIX_SUPPORT_URL=...). The one way scripts/release.sh and
# scripts/release-check.sh build it. Quiet; a failure shows the end of the build's output.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/require.sh
require cmake tail
folder=$1
shift
rm -rf "$folder"
mkdir -p "$folder"
log=$folder.log
if ! { cmake --preset windows -B "$folder" -DQUELLIX_WERROR=ON "$@" &&
    cmake --build "$folder" --target quellix -j "$(nproc)"; } >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "release-build: building quellix.exe in $folder failed (all its output: $log)" >&2
    exit 1
fi
