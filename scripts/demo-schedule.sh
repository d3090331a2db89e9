#!/usr/bin/env bash
# Shows the scheduler on real folders: starts the built program in a fresh folder with two
# profiles of period 5, reports when each was backed up after start-up, changes one source file
# and reports when its profile copied it again. Needs no display (Qt's offscreen platform).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="${1:-$root/build/app/Dupliqa}"
[ -x "$binary" ] || "$root/scripts/build.sh" build
work="$(mktemp -d)"
trap 'kill "${app:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/exe" "$work/docs/sub" "$work/photos" "$work/backup"
cp "$binary" "$work/exe/Dupliqa"
echo "report" > "$work/docs/sub/report.txt"
echo "picture" > "$work/photos/a.jpg"
printf 'Docs;%s;%s;5\r\nPhotos;%s;%s;5\r\n' "$work/docs" "$work/backup" "$work/photos" "$work/backup" > "$work/exe/Items.txt"

now() { date +%s.%N; }
wait_for() { # condition, limit in seconds
    local limit=$(( $(date +%s) + $2 ))
    until eval "$1"; do
        [ "$(date +%s)" -le "$limit" ] || return 1
        sleep 0.05
    done
}
started=$(now)
QT_QPA_PLATFORM=offscreen "$work/exe/Dupliqa" >/dev/null 2>&1 &
app=$!
docs="$work/backup$work/docs/sub/report.txt"
photos="$work/backup$work/photos/a.jpg"
wait_for "[ -f '$docs' ] && [ -f '$photos' ]" 10 || { echo "FAIL: no backup within 10 s"; exit 1; }
printf 'Both profiles backed up %.1f s after start-up\n' "$(awk "BEGIN { print $(now) - $started }")"
echo "report, second version" > "$work/docs/sub/report.txt"
touch -d '+10 seconds' "$work/docs/sub/report.txt"
changed=$(now)
wait_for "grep -q 'second version' '$docs'" 15 || { echo "FAIL: the change was not backed up"; exit 1; }
printf 'The changed file was backed up again %.1f s after the change (period: 5 ticks of one second)\n' \
    "$(awk "BEGIN { print $(now) - $changed }")"
if [ -s "$work/exe/Error.log" ]; then echo "Error.log:"; cat "$work/exe/Error.log"; exit 1; fi
echo "OK: no errors logged"
