#!/usr/bin/env bash
# Benchmark: Dupliqa's real backup path (the main window under the offscreen platform, with its
# status bar, gauge and event pump) against cp and rsync on the same trees, in a temporary folder
# that is removed at the end. Prints one table of medians, ratios and targets.
#
#   bench/run.sh [--runs N] [--build-dir DIR] [--no-build] [--work-dir DIR] [--warm-only]
#                [--big-size BYTES]
#
# --runs N          runs of each measurement (default 3); medians are quoted
# --build-dir DIR   where dupliqa_bench is built (default: build/ at the top of the repository)
# --no-build        use the dupliqa_bench already built there
# --work-dir DIR    where the temporary folder goes (default: $TMPDIR or /tmp)
# --warm-only       skip the runs with a dropped page cache
# --big-size BYTES  size of the single large file (default 2 GiB; scaled down when disk is short)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
runs=3
build="$root/build"
build_it=1
work_parent="${TMPDIR:-/tmp}"
want_cold=1
big_size=$((2 * 1024 * 1024 * 1024))

while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --build-dir) build="$2"; shift 2 ;;
        --no-build) build_it=0; shift ;;
        --work-dir) work_parent="$2"; shift 2 ;;
        --warm-only) want_cold=0; shift ;;
        --big-size) big_size="$2"; shift 2 ;;
        -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done

# Scenario sizes.
a_files=50000
a_folders=2000
a_max_size=16384
c_share=100            # one file in c_share is touched
e_files=500000
e_folders=2000
f_small=1000
f_large=10000

# --- Tools and build ------------------------------------------------------------------------------

for tool in cmake g++ rsync cp; do
    if ! command -v "$tool" >/dev/null; then
        "$root/scripts/setup.sh"
        break
    fi
done
bench="$build/bench/dupliqa_bench"
if [ "$build_it" = 1 ]; then
    echo "Building dupliqa_bench in $build ..." >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUPLIQA_WERROR=ON >/dev/null
    cmake --build "$build" --target dupliqa_bench -j"$(nproc)" >/dev/null
fi
[ -x "$bench" ] || { echo "no $bench: build it first" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

# --- Temporary folder, removed whatever happens -------------------------------------------------

work="$(mktemp -d "$work_parent/dupliqa-bench.XXXXXX")"
cleanup() {
    echo "[bench] removing $work" >&2
    rm -rf "$work"
    # Written back, so that the removed inodes stop slowing the making of files after a minute, not five.
    sync
}
trap cleanup EXIT
exe="$work/exe"          # the scratch folder beside the "executable": Items.txt, language files, Error.log
mkdir -p "$exe"

# --- Helpers --------------------------------------------------------------------------------------

note() { echo "[bench] $*" >&2; }
now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { printf '%s\n' "$@" | sort -g | tail -n 1; }
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "MET" : "NOT MET" }'; }

cold_ok=0
if [ "$want_cold" = 1 ]; then
    if sync && { echo 3 > /proc/sys/vm/drop_caches; } 2>/dev/null; then
        cold_ok=1
    else
        note "dropping the page cache is not allowed here: every figure is with a warm cache"
    fi
fi
caches=(warm)
[ "$cold_ok" = 1 ] && caches+=(cold)

# Prepares the cache for one timed run: warm leaves it (after writing back what is dirty), cold drops it.
prepare() {
    sync
    [ "$1" = cold ] && echo 3 > /proc/sys/vm/drop_caches
    return 0
}

# Times a peer command (whole process) after preparing the cache; prints seconds.
time_peer() {
    local cache="$1"; shift
    prepare "$cache"
    local start end
    start="$(now)"
    "$@"
    end="$(now)"
    elapsed "$start" "$end"
}

# One Dupliqa backup run; prints its name=value line. Cold runs drop the cache inside the bench,
# just before the timed part, after the window is built.
dupliqa_backup() {
    local cache="$1" source="$2" destination="$3"
    local drop=()
    sync
    [ "$cache" = cold ] && drop=(--drop-caches)
    "$bench" backup "${drop[@]}" "$exe" "$source" "$destination" 2>/dev/null
}

count_files() { find "$1" -type f | wc -l; }
sum_sizes() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }

declare -A result     # result[key] = median seconds (or other figure)
declare -a gaps_a=() gaps_d=()
warnings=()

disk_free() { df -P --block-size=1 "$work" | awk 'NR == 2 { print $4 }'; }
inodes_free() { df -P -i "$work" | awk 'NR == 2 { print $4 }'; }

load_start="$(cut -d ' ' -f 1-3 /proc/loadavg)"
bench_start="$(now)"
note "work folder $work: $(( $(disk_free) / 1024 / 1024 )) MiB and $(inodes_free) inodes free"

# On ext4 without a journal (as here) a new file skips every inode deleted in the last minute whose
# inode table block is still cached, so making files soon after removing many costs far more than
# it should, whichever tool makes them. No timed run therefore follows a removal of many files:
# every run of A writes a fresh destination, and the trees go only at the end.

# --- A: full backup of many small files, against cp -a and rsync -a -----------------------------

src="$work/a/src"
mkdir -p "$work/a"
note "A: making $a_files files of 0 to $a_max_size bytes in $a_folders folders"
"$bench" make-tree "$src" "$a_files" "$a_folders" "$a_max_size" 7 >/dev/null
a_bytes="$(sum_sizes "$src")"
a_need=$(( (a_bytes + a_files * 4096) * 3 * runs * ${#caches[@]} ))
a_fresh=1
if [ $((a_need + 6 * 1024 * 1024 * 1024)) -gt "$(disk_free)" ]; then
    a_fresh=0
    warnings+=("A: too little disk for a fresh destination per run; destinations were removed between runs, so file creation may be slowed (see the comment above)")
fi
run_a=0
for cache in "${caches[@]}"; do
    d=() c=() r=()
    for ((i = 1; i <= runs; i++)); do
        if [ "$a_fresh" = 1 ]; then
            run_a=$((run_a + 1))
        else
            rm -rf "$work/a/dq1" "$work/a/cp1" "$work/a/rs1"
            run_a=1
        fi
        dq="$work/a/dq$run_a" rs="$work/a/rs$run_a"
        line="$(dupliqa_backup "$cache" "$src" "$dq")"
        d+=("$(field seconds "$line")"); gaps_a+=("$(field max_gap_ms "$line") $cache:$(field max_gap_at "$line")")
        [ "$(field files "$line")" = "$a_files" ] && [ "$(field failed "$line")" = 0 ] \
            || warnings+=("A $cache run $i: Dupliqa reported $line")
        c+=("$(time_peer "$cache" cp -a "$src" "$work/a/cp$run_a")")
        r+=("$(time_peer "$cache" rsync -a "$src/" "$rs/")")
        note "A $cache run $i: Dupliqa ${d[-1]} s (max gap $(field max_gap_ms "$line") ms), cp -a ${c[-1]} s, rsync -a ${r[-1]} s"
    done
    result[A_dq_$cache]="$(median "${d[@]}")"
    result[A_cp_$cache]="$(median "${c[@]}")"
    result[A_rs_$cache]="$(median "${r[@]}")"
done
dq_files="$(count_files "$dq")"
dq_bytes="$(sum_sizes "$dq")"
if [ "$dq_files" != "$a_files" ] || [ "$dq_bytes" != "$a_bytes" ]; then
    warnings+=("A: Dupliqa's destination holds $dq_files files of $dq_bytes bytes, the source $a_files of $a_bytes")
fi

# --- B: the unchanged re-run, against rsync -a's quick check ------------------------------------

for cache in "${caches[@]}"; do
    d=() r=()
    for ((i = 1; i <= runs; i++)); do
        line="$(dupliqa_backup "$cache" "$src" "$dq")"
        d+=("$(field seconds "$line")")
        r+=("$(time_peer "$cache" rsync -a "$src/" "$rs/")")
        note "B $cache run $i: Dupliqa ${d[-1]} s, rsync -a ${r[-1]} s"
    done
    result[B_dq_$cache]="$(median "${d[@]}")"
    result[B_rs_$cache]="$(median "${r[@]}")"
done

# --- C: the re-run after 1% of the files got a new modification time ----------------------------

find "$src" -type f | sort >"$work/a/list"
touched=0
run_c=0
base_time=$(( $(date +%s) - 86400 ))
for cache in "${caches[@]}"; do
    d=() r=()
    for ((i = 1; i <= runs; i++)); do
        run_c=$((run_c + 1))
        awk -v k="$run_c" -v n="$c_share" 'NR % n == k % n' "$work/a/list" >"$work/a/touch"
        touched="$(wc -l <"$work/a/touch")"
        xargs -d '\n' touch -m -d "@$((base_time + run_c * 60))" <"$work/a/touch"
        line="$(dupliqa_backup "$cache" "$src" "$dq")"
        d+=("$(field seconds "$line")")
        r+=("$(time_peer "$cache" rsync -a "$src/" "$rs/")")
        # The copy carries the source's time as a stamp in 2-second steps.
        first="$(head -n 1 "$work/a/touch")"
        if [ $(( $(stat -c %Y "$first") - $(stat -c %Y "$dq$first") )) -lt 0 ] \
            || [ $(( $(stat -c %Y "$first") - $(stat -c %Y "$dq$first") )) -gt 1 ]; then
            warnings+=("C $cache run $i: $first was not copied by Dupliqa")
        fi
        note "C $cache run $i: $touched files touched; Dupliqa ${d[-1]} s, rsync -a ${r[-1]} s"
    done
    result[C_dq_$cache]="$(median "${d[@]}")"
    result[C_rs_$cache]="$(median "${r[@]}")"
done

# --- D: one large file, against cp (the kernel's copy) -------------------------------------------

free_bytes="$(disk_free)"
reserve=$((2 * 1024 * 1024 * 1024))
big_note=""
if [ $((big_size * 2 + reserve)) -gt "$free_bytes" ]; then
    wanted="$big_size"
    while [ "$big_size" -gt $((64 * 1024 * 1024)) ] && [ $((big_size * 2 + reserve)) -gt "$free_bytes" ]; do
        big_size=$((big_size / 2))
    done
    big_note="disk short: $(( wanted / 1024 / 1024 )) MiB wanted, $(( big_size / 1024 / 1024 )) MiB used"
    note "D: $big_note"
fi
big_mib=$((big_size / 1024 / 1024))
mkdir -p "$work/d/src"
note "D: making one file of $big_mib MiB"
"$bench" make-file "$work/d/src/big.bin" "$big_size" 11
for cache in "${caches[@]}"; do
    d=() c=()
    for ((i = 1; i <= runs; i++)); do
        rm -rf "$work/d/dq" "$work/d/cp.bin"
        line="$(dupliqa_backup "$cache" "$work/d/src" "$work/d/dq")"
        d+=("$(field seconds "$line")"); gaps_d+=("$(field max_gap_ms "$line") $cache:$(field max_gap_at "$line")")
        [ "$(field failed "$line")" = 0 ] || warnings+=("D $cache run $i: Dupliqa reported $line")
        rm -rf "$work/d/dq"
        c+=("$(time_peer "$cache" cp "$work/d/src/big.bin" "$work/d/cp.bin")")
        rm -f "$work/d/cp.bin"
        note "D $cache run $i: Dupliqa ${d[-1]} s (max gap $(field max_gap_ms "$line") ms), cp ${c[-1]} s"
    done
    result[D_dq_$cache]="$(median "${d[@]}")"
    result[D_cp_$cache]="$(median "${c[@]}")"
done
rm -f "$work/d/src/big.bin"
sync

# --- E: peak memory of a scan of 500000 empty files ----------------------------------------------

note "E: making $e_files empty files in $e_folders folders"
"$bench" make-tree "$work/e" "$e_files" "$e_folders" 0 >/dev/null
m=() s=() e_before=()
for ((i = 1; i <= runs; i++)); do
    sync
    line="$("$bench" scan "$exe" "$work/e" 2>/dev/null)"
    [ "$(field files "$line")" = "$e_files" ] || warnings+=("E run $i: the scan found $(field files "$line") files")
    m+=("$(field peak_rss_kib "$line")"); s+=("$(field seconds "$line")"); e_before+=("$(field rss_before_kib "$line")")
    note "E run $i: scan ${s[-1]} s, peak resident memory ${m[-1]} KiB (${e_before[-1]} KiB before the scan)"
done
e_peak_mib="$(awk -v k="$(maximum "${m[@]}")" 'BEGIN { printf "%.1f", k / 1024 }')"
e_before_mib="$(awk -v k="$(median "${e_before[@]}")" 'BEGIN { printf "%.1f", k / 1024 }')"
e_scan_s="$(median "${s[@]}")"

# --- F: every file fails, so each one appends a log line -----------------------------------------

# The destination root exists, but the first folder below it is a regular file, so no folder of any
# destination path can be made and every file fails all three copy methods.
f_run() {
    local files="$1" i line per=()
    local fsrc="$work/f$files/src" fdq="$work/f$files/dq"
    "$bench" make-tree "$fsrc" "$files" $((files / 25)) 0 >/dev/null
    mkdir -p "$fdq"
    local first="${fsrc#/}"
    first="${first%%/*}"
    : >"$fdq/$first"
    for ((i = 1; i <= runs; i++)); do
        find "$exe" -maxdepth 1 -iname error.log -delete
        sync
        line="$("$bench" backup "$exe" "$fsrc" "$fdq" 2>/dev/null)"
        [ "$(field log_lines "$line")" = "$files" ] && [ "$(field failed "$line")" = 1 ] \
            || warnings+=("F $files run $i: $line")
        per+=("$(awk -v s="$(field seconds "$line")" -v n="$files" 'BEGIN { printf "%.3f", s / n * 1e6 }')")
        note "F $files run $i: $(field seconds "$line") s for $(field log_lines "$line") log lines, ${per[-1]} us a line"
    done
    result[F_$files]="$(median "${per[@]}")"
}
f_run "$f_small"
f_run "$f_large"

# --- Table ---------------------------------------------------------------------------------------

row() { printf '%-4s %-38s %-5s %10s  %-9s %10s  %7s  %-16s %s\n' "$@"; }
line_of() { printf '%.0s-' {1..112}; echo; }

cache_label() { [ "$1" = warm ] && echo warm || echo cold; }

echo
echo "Dupliqa benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo),"
echo "$(df -P -T "$work_parent" | awk 'NR == 2 { print $2 }') at $work_parent, kernel $(uname -r), $(cp --version | head -n 1), $(rsync --version | head -n 1 | awk '{ print $1, $3 }')"
echo "Load average (1, 5, 15 min) $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end; the bench took $(awk -v a="$bench_start" -v b="$(now)" 'BEGIN { printf "%.0f", b - a }') s."
echo "Medians of $runs runs, times in seconds. Dupliqa: RunBackup of the real main window (offscreen, shown),"
echo "timed inside the process; peers: the whole command. warm = the trees were just made or read (written"
if [ "$cold_ok" = 1 ]; then
    echo "back with sync); cold = sync; echo 3 > /proc/sys/vm/drop_caches before every timed run."
else
    echo "back with sync). Dropping the page cache is not allowed here, so there are no cold figures."
fi
line_of
row "" "Scenario" "cache" "Dupliqa" "peer" "peer" "ratio" "target" "result"
line_of
for cache in "${caches[@]}"; do
    dqv="${result[A_dq_$cache]}"
    rt="$(ratio "$dqv" "${result[A_cp_$cache]}")"
    row A "full, $a_files files 0-16 KiB" "$cache" "$dqv" "cp -a" "${result[A_cp_$cache]}" "$rt x" "<= 1.3 (aim 1.0)" "$(at_most "$rt" 1.3)"
    rt="$(ratio "$dqv" "${result[A_rs_$cache]}")"
    row A "  same" "$cache" "$dqv" "rsync -a" "${result[A_rs_$cache]}" "$rt x" "(for reference)" "-"
done
for cache in "${caches[@]}"; do
    rt="$(ratio "${result[B_dq_$cache]}" "${result[B_rs_$cache]}")"
    row B "unchanged re-run of A" "$cache" "${result[B_dq_$cache]}" "rsync -a" "${result[B_rs_$cache]}" "$rt x" "<= 1.0 (aim 0.5)" "$(at_most "$rt" 1.0)"
done
for cache in "${caches[@]}"; do
    rt="$(ratio "${result[C_dq_$cache]}" "${result[C_rs_$cache]}")"
    row C "re-run, $touched files (1%) touched" "$cache" "${result[C_dq_$cache]}" "rsync -a" "${result[C_rs_$cache]}" "$rt x" "<= 1.0" "$(at_most "$rt" 1.0)"
done
for cache in "${caches[@]}"; do
    rt="$(ratio "${result[D_dq_$cache]}" "${result[D_cp_$cache]}")"
    row D "one file of $big_mib MiB" "$cache" "${result[D_dq_$cache]}" "cp" "${result[D_cp_$cache]}" "$rt x" "<= 1.2" "$(at_most "$rt" 1.2)"
done
gap_a_at="$(maximum "${gaps_a[@]}")"
gap_d_at="$(maximum "${gaps_d[@]}")"
gap_a="${gap_a_at%% *}"
gap_d="${gap_d_at%% *}"
all_caches=warm; [ "$cold_ok" = 1 ] && all_caches=both
row E "longest time without events, A" "$all_caches" "$gap_a ms" "" "" "" "<= 50 ms" "$(at_most "$gap_a" 50)"
row E "longest time without events, D" "$all_caches" "$gap_d ms" "" "" "" "<= 50 ms" "$(at_most "$gap_d" 50)"
row E "peak memory, scan of $e_files files" "warm" "$e_peak_mib MiB" "" "" "" "< 150 MiB" "$(awk -v a="$e_peak_mib" 'BEGIN { print (a < 150) ? "MET" : "NOT MET" }')"
rt="$(ratio "${result[F_$f_large]}" "${result[F_$f_small]}")"
row F "per log line, $f_small lines" "warm" "${result[F_$f_small]} us" "" "" "" "" ""
row F "per log line, $f_large lines" "warm" "${result[F_$f_large]} us" "$f_small" "${result[F_$f_small]} us" "$rt x" "<= 1.5" "$(at_most "$rt" 1.5)"
line_of
echo "E: the probe is a 10 ms timer; the largest interval between its ticks over every Dupliqa run of A and D"
echo "   (A: ${gap_a_at#* }, D: ${gap_d_at#* }; scan:N = N files found, copy:N = gauge at file N)."
echo "E: the scan of $e_files files took $e_scan_s s; resident memory was $e_before_mib MiB before it (window built)."
echo "F: every file fails (a regular file stands where the first destination folder must go); each run starts"
echo "   with no log, so the $f_large-line run appends to a log that grows to $f_large lines."
[ -n "$big_note" ] && echo "D: $big_note."
for warning in "${warnings[@]}"; do
    echo "CHECK FAILED: $warning"
done
