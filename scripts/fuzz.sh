#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for the given number of seconds (default 20) on its seed
# corpus (fuzz/corpus/<target>/), in a scratch copy so the seeds stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shopt -s nullglob
targets=(build/fuzz/bin/*_fuzz)
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no targets built (cmake --preset fuzz && cmake --build --preset fuzz)"; exit 1; }
failed=0
for target in "${targets[@]}"; do
    name=$(basename "$target")
    work=build/fuzz/work/$name
    rm -rf "$work"
    mkdir -p "$work"
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/"
    if "$target" -max_total_time="$seconds" -print_final_stats=0 "$work" >"build/fuzz/$name.log" 2>&1; then
        echo "fuzz: $name ok ($(grep -c . <(ls "$work")) inputs)"
    else
        echo "fuzz: $name FAILED"; tail -40 "build/fuzz/$name.log"; failed=1
    fi
done
exit $failed
