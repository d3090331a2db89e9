#!/usr/bin/env bash
# Starts Dupliqa under Xvfb (no tray, so the main window shows itself) in a fresh folder with a
# sample Items.txt, and saves a screenshot of the screen.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/screenshots/main-window.png}"
binary="${DUPLIQA_BINARY:-$root/build/app/Dupliqa}"
[ -x "$binary" ] || "$root/scripts/build.sh" build
mkdir -p "$(dirname "$out")"
work="$(mktemp -d)"
trap 'kill "${app:-0}" "${xvfb:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$binary" "$work/Dupliqa"
printf 'Έγγραφα;/home/ana/Documents;/media/usb/Backup;3600\r\nPhotos;/home/ana/Pictures;/media/usb/Backup;86400\r\nMail;/home/ana/.mail;/srv/backup;600\r\n' > "$work/Items.txt"
display=":$((RANDOM % 400 + 100))"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp &
xvfb=$!
sleep 1
DISPLAY="$display" "$work/Dupliqa" &
app=$!
sleep 3
DISPLAY="$display" import -window root "$out"
echo "Saved $out"
