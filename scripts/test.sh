#!/usr/bin/env bash
# Installs what is missing, builds every preset from scratch and runs every test: the native unit
# tests, the same under AddressSanitizer and UndefinedBehaviorSanitizer, a short run of every
# fuzz target, and the Windows program's tests under Wine in a Japanese and a C locale.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
rm -rf build/native build/native-asan build/fuzz build/windows build/wine
stop_wine() {
    local p
    for p in build/wine/prefix-*; do
        if [ -d "$p" ]; then WINEPREFIX=$(cd "$p" && pwd) wineserver -k 2>/dev/null || true; fi
    done
}
trap stop_wine EXIT

step() { printf '\n== %s ==\n' "$*"; }

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

step "windows"
cmake --preset windows -DQUELLIX_WERROR=ON >/dev/null
cmake --build --preset windows -j "$jobs"
for locale in ja c; do
    step "windows tests under Wine, locale $locale"
    QUELLIX_WINE_LOCALE=$locale ctest --preset windows -j "$jobs"
done
