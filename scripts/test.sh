#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: once in an optimised build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Both builds treat warnings as errors. Then it
# builds the fuzz targets with clang and runs each for about 30 s (fuzz/run.sh). Last, it prints
# how many test cases were skipped, and which and why.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

# ctest runs the test cases in parallel (those that share anything are kept apart by their
# properties, tests/CMakeLists.txt); every skipped case is listed at the end, whatever happens.
results="$root/build/test-results.xml"
sanitizer_results="$root/build-sanitize/test-results.xml"
rm -f "$results" "$sanitizer_results"
trap 'python3 "$root/scripts/skipped-tests.py" "Optimised build" "$results" \
          "Sanitizer build" "$sanitizer_results"' EXIT

"$root/scripts/build.sh" build
(cd "$root/build" && ctest --output-on-failure --timeout 900 -j"$(nproc)" --output-junit "$results")

"$root/scripts/build.sh" build-sanitize -DCMAKE_BUILD_TYPE=Debug -DDUPLIQA_SANITIZE=ON
(cd "$root/build-sanitize" && ctest --output-on-failure --timeout 900 -j"$(nproc)" -LE no-sanitize \
    --output-junit "$sanitizer_results")

# Fuzzing: a clang build whose every target is instrumented for libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; only the fuzz targets are built, and each runs from a temporary copy of its
# committed seed corpus. Reproducers of anything found are kept in build-fuzz/fuzz-findings/.
cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUPLIQA_WERROR=ON \
    -DDUPLIQA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$root/build-fuzz" -j"$(nproc)" --target fuzzers
"$root/fuzz/run.sh" "$root/build-fuzz" 30
