#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: once in an optimised build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Both builds treat warnings as errors.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

"$root/scripts/build.sh" build
(cd "$root/build" && ctest --output-on-failure --timeout 900)

"$root/scripts/build.sh" build-sanitize -DCMAKE_BUILD_TYPE=Debug -DDUPLIQA_SANITIZE=ON
(cd "$root/build-sanitize" && ctest --output-on-failure --timeout 900 -LE no-sanitize)
