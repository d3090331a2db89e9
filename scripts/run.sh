#!/usr/bin/env bash
# Sets everything up, builds, and starts Dupliqa. Its files (Items.txt, Dupliqa.ini, the language
# files and Error.log) live beside the executable, build/app/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: start Dupliqa from a desktop session, or see the README for running it under Xvfb." >&2
    exit 1
fi
exec "$root/build/app/Dupliqa"
