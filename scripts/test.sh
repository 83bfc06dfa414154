#!/usr/bin/env bash
# Installs what is missing, builds every preset from scratch and runs every test: the native unit
# tests, the same under AddressSanitizer and UndefinedBehaviorSanitizer, a short run of every
# fuzz target, and the shipped 32-bit Windows program's tests under Wine in a Japanese and a C
# locale; the 64-bit build is compiled too and its in-process tests run in both locales; the sources
# must pass clang-format (no change) and clang-tidy (no finding) with the repo's configurations.
# Where Wine runs only 64-bit programs (scripts/wine-loader.sh: this machine's kernel runs no 32-bit
# programs, or QUELLIX_WINE64=1 asks for it), the shipped 32-bit exe is built and checked without
# running it, and every Windows test runs against the 64-bit build instead; a line at the start and
# at the end says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
. scripts/require.sh
require cmake ctest python3 wine wineserver i686-w64-mingw32-g++-posix
. scripts/wine-loader.sh

notice=
if [ "$QUELLIX_WINE_BITS" = 64 ]; then
    notice="== NOTE: $QUELLIX_WINE_WHY, so the shipped 32-bit quellix.exe (preset windows) is built and checked"
    notice+=" without running it, and every Windows test runs against the 64-bit build (preset windows64) instead"
    echo "$notice"
fi

step() { printf '\n== %s (at %d:%02d) ==\n' "$*" $((SECONDS / 60)) $((SECONDS % 60)); }

step "programs called by the scripts and tests"
python3 scripts/check-deps.py

jobs=$(nproc)
rm -rf build/native build/native-asan build/fuzz build/windows build/windows64 build/wine
finish() {
    stop_wine build/wine
    [ -z "$notice" ] || printf '\n%s\n' "$notice"
}
trap finish EXIT

step "Wine starts a program, locales ja and c"
scripts/wine-check.sh ja c

step "native"
cmake --preset native -DQUELLIX_WERROR=ON >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

step "native with sanitizers"
cmake --preset native-asan -DQUELLIX_WERROR=ON >/dev/null
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"

step "fuzz smoke"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh "${QUELLIX_FUZZ_SECONDS:-20}"

step "windows (32-bit, the shipped quellix.exe)"
cmake --preset windows -DQUELLIX_WERROR=ON >/dev/null
cmake --build --preset windows -j "$jobs"
step "the 32-bit quellix.exe checked without running it"
python3 scripts/check-exe.py build/windows/bin/quellix.exe
step "the release: its exe built again elsewhere and compared, its zip checked"
scripts/release-check.sh build/windows
if [ "$QUELLIX_WINE_BITS" = 32 ]; then
    for locale in ja c; do
        step "windows tests under Wine, locale $locale"
        QUELLIX_WINE_LOCALE=$locale ctest --preset windows -j "$jobs"
    done
fi

step "windows64 (64-bit build)"
cmake --preset windows64 -DQUELLIX_WERROR=ON >/dev/null
cmake --build --preset windows64 -j "$jobs"
step "format (clang-format) and lint (clang-tidy) of the sources"
python3 scripts/lint.py build/native build/windows64
for locale in ja c; do
    if [ "$QUELLIX_WINE_BITS" = 32 ]; then
        step "windows64 in-process tests under Wine, locale $locale"
        QUELLIX_WINE_LOCALE=$locale ctest --preset windows64 -j "$jobs" -R '^win\.'
    else
        step "windows64: every Windows test under Wine, in place of the 32-bit build's, locale $locale"
        QUELLIX_WINE_LOCALE=$locale ctest --preset windows64 -j "$jobs"
    fi
done
step "done"
