#!/usr/bin/env bash
# Makes a release: scripts/release.sh HOME_URL SUPPORT_URL
# Builds the shipped 32-bit quellix.exe from the committed tree in a fresh build folder
# (build/release) with these two addresses for the About box and the Home button, and writes
# dist/quellix-<version>-win32.zip: quellix.exe, LICENSE, README.txt, README.ja.txt (the English
# README and the Japanese user's guide, UTF-8 with a byte-order mark and CRLF line ends, as Notepad
# reads them) and SHA256SUMS (of those four). Prints the SHA-256 of the zip and of the exe.
# The same commit gives the same zip and exe, byte for byte, wherever and whenever it is built: the
# zip's times are the commit's date (SOURCE_DATE_EPOCH when set). It refuses addresses that are
# missing or lie on a placeholder domain, and a tree that differs from its commit.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
    echo "usage: scripts/release.sh HOME_URL SUPPORT_URL (the home page's and the support board's real addresses)" >&2
    exit 2
fi
scripts/install-deps.sh
. scripts/require.sh
require cmake git python3 i686-w64-mingw32-g++-posix
python3 scripts/release.py urls "$1" "$2"

# Every file of the tree takes part (the build takes every source it finds): none may differ from
# the commit whose date the release bears, nor be missing from it.
if [ -n "$(git status --porcelain)" ]; then
    git status --short >&2
    echo "release: the tree differs from its commit (above); commit or remove these first" >&2
    exit 1
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

echo "== building quellix.exe (preset windows) in build/release"
scripts/release-build.sh build/release -DQUELLIX_HOME_URL="$1" -DQUELLIX_SUPPORT_URL="$2"
python3 scripts/check-exe.py build/release/bin/quellix.exe
version=$(cat build/release/quellix-version.txt)
echo "== the zip of release $version (commit $(git rev-parse --short HEAD))"
rm -f "dist/quellix-$version-win32.zip"
python3 scripts/release.py zip build/release/bin/quellix.exe "$version" "$SOURCE_DATE_EPOCH" dist
python3 scripts/release.py check "dist/quellix-$version-win32.zip"
