#!/usr/bin/env bash
# Runs scripts/screenshot-tray.sh with the program built here and checks that it saved every
# picture it promises, each a PNG of the whole screen (the zoomed tray excepted), and that the
# pictures of different steps differ. The script itself fails when a step does not appear.
#   screenshot_tray.sh PROGRAM PICTURE_FOLDER
set -euo pipefail
[[ $# -eq 2 ]] || { echo "usage: $0 PROGRAM PICTURE_FOLDER" >&2; exit 2; }
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
folder="$(realpath -m "$2")"
rm -rf "$folder"

status=0
DUPLIQA_BINARY="$1" "$here/../../scripts/screenshot-tray.sh" "$folder" || status=$?
[[ $status -eq 0 ]] || exit "$status" # 77, a machine without Xvfb, passes on as a skip

fail() {
    echo "FAIL (screenshot-tray): $*" >&2
    exit 1
}
for picture in tray-icon tray-menu main-window about-box; do
    [[ "$(identify -format '%m %wx%h' "$folder/$picture.png" 2>/dev/null)" == "PNG 1024x768" ]] \
        || fail "$folder/$picture.png is not a PNG of the whole 1024x768 screen"
done
[[ "$(identify -format '%m %wx%h' "$folder/tray-icon-zoomed.png" 2>/dev/null)" == "PNG 480x128" ]] \
    || fail "$folder/tray-icon-zoomed.png is not the 120x32 tray enlarged four times"
differ() {
    local count
    count="$(compare -metric AE "$folder/$1.png" "$folder/$2.png" null: 2>&1 >/dev/null || true)"
    [[ $count =~ ^[0-9]+$ && $count -gt 0 ]]
}
differ tray-icon tray-menu || fail "the tray menu picture shows no menu"
differ tray-icon main-window || fail "the main window picture shows no window"
differ main-window about-box || fail "the about box picture shows no about box"
echo "PASS: pictures in $folder"
