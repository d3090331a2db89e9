#!/usr/bin/env bash
# Saves pictures of the profile wizard's five pages and of the folder picker, drawn by the real
# X11 platform under a virtual screen, for a person to look at.
#   scripts/screenshot-wizard.sh [build folder] [picture folder]
# Builds only the wizard's test program and runs its screenshot test, which writes
# wizard-page-0.png to wizard-page-4.png and folder-picker.png into the picture folder.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
pictures="$(realpath -m "${2:-$here/screenshots}")"

cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" --target wizard_tests -j2

mkdir -p "$pictures"
DUPLIQA_SCREENSHOT_FOLDER="$pictures" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC \
    xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
    "$build/tests/wizard_tests" --gtest_filter='WizardScreenshots.*'

ls -1 "$pictures"/*.png
