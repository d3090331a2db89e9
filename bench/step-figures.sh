#!/usr/bin/env bash
# Smaller figures beside the main benchmark, one warm run each: a scan of 100000 files (wall time
# and files per second), a full backup and an unchanged re-run of 20000 small files, and one file
# of 1 GiB, each beside cp -a and rsync -a on the same tree in the same run.
#
#   bench/step-figures.sh [--build-dir DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
[ "${1:-}" = "--build-dir" ] && build="$2"
bench="$build/bench/dupliqa_bench"
[ -x "$bench" ] || { cmake -S "$root" -B "$build" >/dev/null && cmake --build "$build" --target dupliqa_bench -j"$(nproc)" >/dev/null; }
work="$(mktemp -d "${TMPDIR:-/tmp}/dupliqa-steps-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); awk "BEGIN { printf \"%.3f\", $end - $start }"; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p; s/^$1=\([^ ]*\).*/\1/p" <<<"$2" | head -1; }
row() { printf '%-32s %10s   %-9s %10s   %-9s %10s\n' "$@"; }

mkdir -p "$work/exe"
"$bench" make-tree "$work/scan" 100000 1000 0 3 >/dev/null
sync
line="$("$bench" scan --hidden "$work/exe" "$work/scan")"
scan_s="$(field seconds "$line")"
printf 'Scan of 100000 files in 1000 folders: %s s, %s files per second, peak memory %s KiB\n\n' \
    "$scan_s" "$(awk "BEGIN { printf \"%.0f\", 100000 / $scan_s }")" "$(field peak_rss_kib "$line")"

"$bench" make-tree "$work/small" 20000 1000 16384 5 >/dev/null
mkdir -p "$work/big"
"$bench" make-file "$work/big/one.bin" $((1024 * 1024 * 1024)) 9 >/dev/null
sync
row "What (warm cache, seconds)" "Dupliqa" "" "" "" ""
for tree in small big; do
    dq="$(field seconds "$("$bench" backup --hidden "$work/exe" "$work/$tree" "$work/dq-$tree")")"
    cp_s="$(seconds cp -a "$work/$tree" "$work/cp-$tree")"
    rs_s="$(seconds rsync -a "$work/$tree/" "$work/rs-$tree/")"
    row "$tree: full backup" "$dq" "cp -a" "$cp_s" "rsync -a" "$rs_s"
    dq="$(field seconds "$("$bench" backup --hidden "$work/exe" "$work/$tree" "$work/dq-$tree")")"
    rs_s="$(seconds rsync -a "$work/$tree/" "$work/rs-$tree/")"
    row "$tree: unchanged re-run" "$dq" "" "-" "rsync -a" "$rs_s"
done
