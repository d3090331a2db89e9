#!/usr/bin/env bash
# Runs fuzz targets of a build made with -DDUPLIQA_FUZZ=ON, each for a while, from a temporary copy of its seed
# corpus in fuzz/corpus/<target>/, so that the committed corpus never changes.
#
#   fuzz/run.sh BUILD_FOLDER [SECONDS] [TARGET...]     (default: 30 s each, every target of the build)
#
# A crash, a sanitizer report or a broken invariant leaves its reproducer in BUILD_FOLDER/fuzz-findings/<target>/
# (run it again with BUILD_FOLDER/fuzz/<target> FILE); the script then ends with status 1, after the other targets.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: fuzz/run.sh BUILD_FOLDER [SECONDS] [TARGET...]}" && pwd)"
seconds="${2:-30}"
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < "$build/fuzz/fuzzers.txt"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work" # the targets that need files make their folders here, so a crash leaves none behind
failed=()
for target in "${targets[@]}"; do
    cp -r "$here/corpus/$target" "$work/$target"
    findings="$build/fuzz-findings/$target"
    mkdir -p "$findings"
    if (cd "$work" && "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$findings/" "$work/$target" >"$work/$target.log" 2>&1); then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")"
        echo "fuzz $target: ${seconds} s, ${runs:-?} inputs, nothing found"
    else
        failed+=("$target")
        echo "fuzz $target: FOUND A FAULT; reproducer in $findings/"
        grep -E -A3 "invariant broken|runtime error|ERROR: |SUMMARY" "$work/$target.log" | head -n 40 \
            || tail -n 40 "$work/$target.log"
    fi
done
echo "fuzz: $(( ${#targets[@]} - ${#failed[@]} )) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets that found faults: ${failed[*]}"
    exit 1
fi
