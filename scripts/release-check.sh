#!/usr/bin/env bash
# CI's cheap check of the release, without Wine: scripts/release-check.sh [BUILT_FOLDER]
# The shipped quellix.exe built in two build folders must be the same, byte for byte; BUILT_FOLDER
# is a build of the windows preset already made with its default addresses (scripts/test.sh's
# build/windows), else two are made here. Then the release's zip is made from it twice, listed and
# checked (its five files, the exe a PE32 program of the zip's version, the licence, the guides,
# SHA256SUMS); and the address check must refuse placeholder domains.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/require.sh
require cmake cmp python3
first=${1:-build/release-check-a}
if [ $# -eq 0 ]; then
    scripts/release-build.sh "$first"
fi
scripts/release-build.sh build/release-check
if ! cmp "$first/bin/quellix.exe" build/release-check/bin/quellix.exe; then
    echo "release-check: quellix.exe built in $first and in build/release-check differs" >&2
    exit 1
fi
echo "release-check: quellix.exe is the same built in $first and in build/release-check"

version=$(cat build/release-check/quellix-version.txt)
zip=quellix-$version-win32.zip
epoch=${SOURCE_DATE_EPOCH:-0}
rm -rf build/release-check-dist
python3 scripts/release.py zip "$first/bin/quellix.exe" "$version" "$epoch" build/release-check-dist/a
python3 scripts/release.py zip build/release-check/bin/quellix.exe "$version" "$epoch" build/release-check-dist/b
if ! cmp "build/release-check-dist/a/$zip" "build/release-check-dist/b/$zip"; then
    echo "release-check: the zip made twice differs" >&2
    exit 1
fi
python3 scripts/release.py check "build/release-check-dist/a/$zip"

good=https://quellix.github.io/
for bad in "" https://quellix.example.org/ https://example.com/bbs https://sub.example.net/ http://EXAMPLE.ORG./ \
    https://quellix.test/ ftp://quellix.org/ 'https://quellix.org/"x' https://; do
    if python3 scripts/release.py urls "$bad" "$good" 2>/dev/null ||
        python3 scripts/release.py urls "$good" "$bad" 2>/dev/null; then
        echo "release-check: the address '$bad' was not refused" >&2
        exit 1
    fi
done
python3 scripts/release.py urls "$good" https://github.com/quellix/quellix/issues
echo "release-check: missing addresses and placeholder domains are refused"
