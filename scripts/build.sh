#!/usr/bin/env bash
# Configures and builds into the folder given (default: build), warnings as errors.
# Extra arguments go to cmake's configure step.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-build}"
shift || true
cmake -S "$root" -B "$root/$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUPLIQA_WERROR=ON "$@" >/dev/null
cmake --build "$root/$folder" -j"$(nproc)"
