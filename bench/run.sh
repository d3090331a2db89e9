#!/usr/bin/env bash
# Benchmark: the real program, build/app/Dupliqa, run the way a user runs it, against cp -a, cp and
# rsync -a on the same trees in the same run, in a temporary folder that is removed at the end.
# Prints one table with every target and MET or NOT MET, then a second table of figures timed
# inside the process (dupliqa_bench: the main window's backup path alone, and its event probe).
#
#   bench/run.sh [--quick] [--runs N] [--build-dir DIR] [--no-build] [--work-dir DIR]
#
# --quick          the same rounds on small trees (3000 files, a 64 MiB file): three to six minutes
# --runs N         rounds of each case (default and least 3)
# --build-dir DIR  where Dupliqa and the bench's programs are built (default: build/ at the top)
# --no-build       use what is already built there
# --work-dir DIR   where the temporary folder goes (default: $TMPDIR or /tmp)
#
# Rounds. Each case runs every tool once per round, and the order turns by one tool from round to
# round, so that each tool runs first in turn: on a virtual machine the first run after a large
# delete can pay seconds to touch freed memory again, and a fixed order would charge it to one tool.
# Times are printed as median [min-max] over the rounds; a ratio is Dupliqa's figure over the
# peer's of the same round, and its median is what meets the target or not.
#
# System calls. After the timed rounds each tool runs once more under strace -f -c, so that tracing
# slows no timed run. Calls per file do not depend on the machine's mood the way CPU seconds do.
#
# Cold reads. Nothing drops the page cache of the whole machine: where a case wants its source
# cold, evict_pages writes back and drops the pages of that one tree (posix_fadvise DONTNEED).
#
# The floor. floor_scan lists the source and asks two statx per file (source and copy), folders
# reached from their open parents: the least an unchanged re-run can do, timed like the tools.
#
# How the program is timed. It takes no arguments: it is copied into a scratch folder with an
# Items.txt of three profiles, started under the offscreen platform, and runs every profile once
# shortly after start-up, one after the other in the same scheduler tick. The first and the last
# profile each copy one small marker file into a folder of their own; the bench watches for the two
# copies from outside (a stat every 5 ms) and stops the program with SIGTERM once the last one is
# there. The profile in the middle is the case measured. cpu_time gives the CPU seconds (user + sys,
# to the microsecond) of the whole process. The same program is then started again with the middle profile's
# source empty and kept alive exactly as long (an idle start of the same length); its CPU seconds
# (and, in the traced run, its system calls) are subtracted, and so is its time between the two
# markers from the wall time between them. Peers are timed by cpu_time as whole commands.
#
# Cases: A full backup of many small files (cp -a; rsync -a beside it), B the unchanged re-run
# (rsync -a, the floor), C a re-run with 1% of the files touched (rsync -a), D one large file: new,
# over an old copy, and new from a cold source (cp), S a sparse file (blocks of the copy against
# cp -a's), U start-up (every file the program writes, and its fsync calls, by strace), E the
# longest time the program handles no event during a run: show_probe does what a second start does
# every 5 ms (connects to the program's socket, which the program answers from its event loop) and
# the longest wait for an answer is the figure, over one more run of A, B, C and D beside the traced
# ones. The probe timer inside dupliqa_bench gives the same figure for the second table.
# Not a test: nothing here runs in CI.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
runs=3
quick=0
build="$root/build"
build_it=1
work_parent="${TMPDIR:-/tmp}"

while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=1; shift ;;
        --runs) runs="$2"; shift 2 ;;
        --build-dir) build="$2"; shift 2 ;;
        --no-build) build_it=0; shift ;;
        --work-dir) work_parent="$2"; shift 2 ;;
        -h|--help) sed -n '2,/^# Not a test/p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
# Three tools share a case at most: with fewer rounds one of them would never run first.
[ "$runs" -ge 3 ] 2>/dev/null || { echo "--runs wants a number of rounds, at least 3" >&2; exit 2; }

a_files=60000
a_folders=4200
a_max_size=4096
c_share=100                          # one file in c_share is touched
big_size=$((2 * 1024 * 1024 * 1024))
sparse_size=$((1024 * 1024 * 1024))
sparse_data_mib=10
if [ "$quick" = 1 ]; then
    a_files=3000
    a_folders=210
    big_size=$((64 * 1024 * 1024))
    sparse_size=$((256 * 1024 * 1024))
fi

# --- Tools and build ------------------------------------------------------------------------------

for tool in cmake g++ rsync cp strace pgrep; do
    if ! command -v "$tool" >/dev/null; then
        "$root/scripts/setup.sh"
        break
    fi
done
program="$build/app/Dupliqa"
bench="$build/bench/dupliqa_bench"
evict="$build/bench/evict_pages"
floor="$build/bench/floor_scan"
cpu_time="$build/bench/cpu_time"
probe="$build/bench/show_probe"
if [ "$build_it" = 1 ]; then
    echo "Building Dupliqa and the bench's programs in $build ..." >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUPLIQA_WERROR=ON >/dev/null
    cmake --build "$build" --target Dupliqa dupliqa_bench evict_pages floor_scan cpu_time show_probe -j"$(nproc)" >/dev/null
fi
for built in "$program" "$bench" "$evict" "$floor" "$cpu_time" "$probe"; do
    [ -x "$built" ] || { echo "no $built: build it first" >&2; exit 1; }
done
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

work="$(mktemp -d "$work_parent/dupliqa-bench.XXXXXX")"
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
    echo "[bench] removing $work" >&2
    rm -rf "$work"
    sync
}
trap cleanup EXIT

# --- Helpers --------------------------------------------------------------------------------------

note() { echo "[bench +$((EPOCHSECONDS - bench_epoch)) s] $*" >&2; }
bench_epoch=$EPOCHSECONDS
now() { echo "$EPOCHREALTIME"; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { printf '%s\n' "$@" | sort -g | tail -n 1; }
# "median [min-max]" of the numbers given, with the format given for each.
spread() { local format="$1"; shift; printf '%s\n' "$@" | sort -g | awk -v f="$format" '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf f " [" f "-" f "]\n", m, v[1], v[NR] }'; }
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { print (a != "n/a" && a <= b) ? "MET" : "NOT MET" }'; }
count_files() { find "$1" -type f | wc -l; }
sum_sizes() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }
warn() { echo "$*" >>"$work/warnings"; }

# A fifo held open for reading and writing: read -t on it sleeps without starting a process.
mkfifo "$work/tick"
exec {tick}<>"$work/tick"
pause() { read -r -t "$1" -u "$tick" _ || true; }

# Waits until path exists; prints the time it was seen. Fails after limit seconds.
# Nothing in the loop starts a process, so the watch costs the machine next to nothing.
wait_for_file() {
    local path="$1" deadline=$((EPOCHSECONDS + $2))
    until [ -e "$path" ]; do
        ((EPOCHSECONDS < deadline)) || return 1
        pause 0.005
    done
    echo "$EPOCHREALTIME"
}

# Sleeps what is left of hold seconds since started.
hold_until() { pause "$(awk -v a="$EPOCHREALTIME" -v b="$1" -v h="$2" 'BEGIN { d = h - (a - b); printf "%.3f", (d > 0 ? d : 0) }')"; }

# CPU seconds (user + sys) and wall seconds of a whole command: "cpu wall".
time_command() {
    local out="$work/time.out"
    "$cpu_time" "$out" "$@" >/dev/null 2>&1 || warn "failed: $*"
    tail -n 1 "$out" | awk '{ printf "%.3f %.3f\n", $1 + $2, $3 }'
}

# The system calls of every process and thread of a run, from the summary of strace -f -c.
total_calls() { awk '$NF == "total" { n = $4 } END { print n + 0 }' "$1" 2>/dev/null || echo 0; }

# System calls of a whole command.
trace_command() {
    strace -f -c -o "$work/trace.out" "$@" >/dev/null 2>&1 || warn "failed under strace: $*"
    total_calls "$work/trace.out"
}

# --- The real program ----------------------------------------------------------------------------

exe="$work/exe"
mkdir -p "$exe" "$work/marker/src" "$work/empty"
cp "$program" "$exe/Dupliqa"
printf 'marker\r\n' >"$work/marker/src/m"

# Writes Items.txt: a start marker, the measured profile (source, destination), an end marker. Sets
# start_marker and end_marker to the paths of the copies that will appear.
write_profiles() {
    # Counted in a file: the caller often runs in a subshell of its own.
    marker_count=$(( $(cat "$work/marker/count" 2>/dev/null || echo 0) + 1 ))
    echo "$marker_count" >"$work/marker/count"
    local first="$work/marker/first$marker_count" last="$work/marker/last$marker_count"
    printf 'first;%s;%s;9999\r\nmeasured;%s;%s;9999\r\nlast;%s;%s;9999\r\n' \
        "$work/marker/src" "$first" "$1" "$2" "$work/marker/src" "$last" >"$exe/Items.txt"
    start_marker="$first$work/marker/src/m"
    end_marker="$last$work/marker/src/m"
}

check_error_log() {
    if [ -s "$exe/Error.log" ]; then warn "Error.log after a run: $(head -c 300 "$exe/Error.log")"; fi
}

# Starts the program, waits for both markers, keeps it alive until at least hold seconds after its
# start, stops it. Prints "cpu between_markers life" in seconds.
run_program() {
    local hold="$1" out="$work/program-time.out" started seen_first seen_last
    rm -f "$exe/Error.log"
    started="$EPOCHREALTIME"
    "$cpu_time" "$out" "$exe/Dupliqa" >/dev/null 2>&1 &
    local time_pid=$!
    seen_first="$(wait_for_file "$start_marker" 120)" && seen_last="$(wait_for_file "$end_marker" 3600)" || {
        kill "$(pgrep -P "$time_pid")" 2>/dev/null; wait "$time_pid" || true
        echo "the program did not run its profiles (no $end_marker)" >&2; return 1
    }
    hold_until "$started" "$hold"
    app_pid="$(pgrep -P "$time_pid")"
    kill -TERM "$app_pid" 2>/dev/null || true
    wait "$time_pid" || true
    app_pid=""
    local life
    life="$(minus "$(now)" "$started")"
    check_error_log
    tail -n 1 "$out" | awk -v b="$(minus "$seen_last" "$seen_first")" -v l="$life" '{ printf "%.3f %s %s\n", $1 + $2, b, l }'
}

# The same under strace -f -c. Prints "calls life".
trace_program_once() {
    local hold="$1" started strace_pid
    rm -f "$exe/Error.log"
    started="$EPOCHREALTIME"
    strace -f -c -o "$work/trace.out" "$exe/Dupliqa" >/dev/null 2>&1 &
    strace_pid=$!
    wait_for_file "$end_marker" 3600 >/dev/null || warn "a traced run did not run its profiles (no $end_marker)"
    hold_until "$started" "$hold"
    kill -TERM "$(pgrep -P "$strace_pid")" 2>/dev/null || kill "$strace_pid"
    wait "$strace_pid" || true
    check_error_log
    echo "$(total_calls "$work/trace.out") $(minus "$(now)" "$started")"
}

# One measured run of the program on source -> destination, less an idle start of the same length.
# The optional third argument is run just before the program starts. Prints "cpu wall".
time_program() {
    local source="$1" destination="$2" before="${3:-}" real idle
    write_profiles "$source" "$destination"
    [ -n "$before" ] && $before
    real="$(run_program 0)"
    write_profiles "$work/empty" "$work/marker/idle$marker_count"
    idle="$(run_program "$(awk '{ print $3 }' <<<"$real")")"
    awk -v r="$real" -v i="$idle" 'BEGIN { split(r, a, " "); split(i, b, " ");
        printf "%.3f %.3f\n", a[1] - b[1], a[2] - b[2] }'
}

# The system calls of one run of the program, less those of an idle start of the same length.
trace_program() {
    local source="$1" destination="$2" real idle
    write_profiles "$source" "$destination"
    real="$(trace_program_once 0)"
    write_profiles "$work/empty" "$work/marker/idle$marker_count"
    idle="$(trace_program_once "${real#* }")"
    echo $(( ${real% *} - ${idle% *} ))
}

# One run of the program on source -> destination with show_probe beside it from its start. Prints
# the probe's line: "probes=N longest_ms=X at_s=Y", the longest wait among the probes made while
# the measured profile ran (Y seconds after it began).
probe_program() {
    local line
    write_profiles "$1" "$2"
    rm -f "$exe/Error.log"
    "$exe/Dupliqa" >/dev/null 2>&1 &
    app_pid=$!
    line="$("$probe" "$exe" "$app_pid" "$start_marker" "$end_marker" 2>>"$work/warnings")" ||
        warn "E: the probed run on $1 gave no figure ($line)"
    kill -TERM "$app_pid" 2>/dev/null || true
    wait "$app_pid" || true
    app_pid=""
    check_error_log
    echo "$line"
}

# --- Rounds --------------------------------------------------------------------------------------

# cpu["A dupliqa"] holds the CPU seconds of each round in order, wall[...] the wall seconds,
# calls[...] the system calls of the traced run.
declare -A cpu wall calls waits

# rounds CASE TOOL...: each round runs CASE_round (when there is one), then CASE_TOOL for every
# tool, starting one tool further on each round. CASE_TOOL gets the round and prints "cpu wall".
rounds() {
    local case="$1"; shift
    local tools=("$@") r k tool line order
    for ((r = 0; r < runs; r++)); do
        if declare -F "${case}_round" >/dev/null; then "${case}_round" $((r + 1)); fi
        order=""
        for ((k = 0; k < ${#tools[@]}; k++)); do
            tool="${tools[$(((r + k) % ${#tools[@]}))]}"
            line="$("${case}_$tool" $((r + 1)))"
            cpu[$case $tool]+="${line% *} "
            wall[$case $tool]+="${line#* } "
            order+=" $tool $line;"
        done
        note "$case round $((r + 1)) (cpu wall):$order"
    done
}

# The per-round ratios of two tools' figures (cpu or wall), one a line.
round_ratios() { # measure case tool peer
    local -n figures="$1"
    paste -d ' ' <(tr ' ' '\n' <<<"${figures[$2 $3]}") <(tr ' ' '\n' <<<"${figures[$2 $4]}") |
        awk 'NF == 2 { if ($2 > 0) printf "%.2f\n", $1 / $2; else print "n/a" }'
}

load_start="$(cut -d ' ' -f 1-3 /proc/loadavg)"
bench_start="$(now)"

# --- U: start-up ----------------------------------------------------------------------------------

note "U: one start traced"
write_profiles "$work/empty" "$work/marker/u"
# The language file exists from an earlier start, as on every start but the first.
run_program 0 >/dev/null
write_profiles "$work/empty" "$work/marker/u"
strace -f -qq -o "$work/strace.out" -e trace=openat,open,creat,rename,renameat,renameat2,fsync,fdatasync \
    "$exe/Dupliqa" >/dev/null 2>&1 &
strace_pid=$!
wait_for_file "$end_marker" 120 >/dev/null || warn "U: the traced start ran no profile"
kill -TERM "$(pgrep -P "$strace_pid")" 2>/dev/null || kill "$strace_pid"
wait "$strace_pid" || true
# A file is written by an open for writing of its own path, or by a rename onto it. The marker copies are
# the run's, not the start's.
writes="$(awk -v exe="$exe/" '
    function count(p) { if (index(p, exe) == 1) n[p]++ }
    /openat\(.*O_(WRONLY|RDWR)/ && !/= -1/ { if (match($0, /"[^"]*"/)) count(substr($0, RSTART + 1, RLENGTH - 2)) }
    /rename(at2?)?\(/ && !/= -1/ { k = split($0, q, "\""); if (k >= 5) count(q[k - 1]) }
    END { for (p in n) print n[p], p }' "$work/strace.out" | sort -rn)"
fsyncs="$(grep -cE '(fsync|fdatasync)\(' "$work/strace.out" || true)"
# Part files written beside the real names are renamed over them: count the real name only.
most_writes="$(awk '$2 !~ /\.dupliqa-new$/ { print $1; exit }' <<<"$writes")"
most_file="$(awk '$2 !~ /\.dupliqa-new$/ { print $2; exit }' <<<"$writes")"
files_written="$(awk '$2 !~ /\.dupliqa-new$/' <<<"$writes" | wc -l)"
note "U: $files_written files written, at most $most_writes times ($most_file); $fsyncs fsync calls"

# --- A: full backup of many small files ---------------------------------------------------------

src="$work/a/src"
dq="$work/a/dq1"        # Dupliqa's copy of round 1 and rsync's of round 1 serve B and C
rs="$work/a/rs1"
note "A: making $a_files files of 0 to $a_max_size bytes in $a_folders folders"
"$bench" make-tree "$src" "$a_files" "$a_folders" "$a_max_size" 7 >/dev/null
a_bytes="$(sum_sizes "$src")"
sync
A_dupliqa() { time_program "$src" "$work/a/dq$1"; }
A_cp() { time_command cp -a "$src" "$work/a/cp$1"; }
A_rsync() { time_command rsync -a "$src/" "$work/a/rs$1/"; }
rounds A dupliqa cp rsync
if [ "$(count_files "$dq")" != "$((a_files))" ] || [ "$(sum_sizes "$dq")" != "$a_bytes" ]; then
    warn "A: Dupliqa's copy holds $(count_files "$dq") files of $(sum_sizes "$dq") bytes, the source $a_files of $a_bytes"
fi
for ((i = 2; i <= runs; i++)); do rm -rf "$work/a/dq$i" "$work/a/rs$i"; done
rm -rf "$work/a"/cp*
sync
note "A: one traced run of each tool"
calls[A dupliqa]="$(trace_program "$src" "$work/a/trace-dq")"
calls[A cp]="$(trace_command cp -a "$src" "$work/a/trace-cp")"
calls[A rsync]="$(trace_command rsync -a "$src/" "$work/a/trace-rs/")"
rm -rf "$work/a"/trace-*
sync
note "A: one run with the show probe"
waits[A]="$(probe_program "$src" "$work/a/probe-dq")"
rm -rf "$work/a/probe-dq"
sync

# --- B: unchanged re-run ---------------------------------------------------------------------------

floor_check="$("$floor" "$src" "$dq$src")"
[ "$(field differ "$floor_check")" = 0 ] && [ "$(field missing "$floor_check")" = 0 ] \
    || warn "B: Dupliqa's copy does not match the source by size and time: $floor_check"
B_dupliqa() { time_program "$src" "$dq"; }
B_rsync() { time_command rsync -a "$src/" "$rs/"; }
B_floor() { time_command "$floor" "$src" "$dq$src"; }
rounds B dupliqa rsync floor
note "B: one traced run of each tool"
calls[B dupliqa]="$(trace_program "$src" "$dq")"
calls[B rsync]="$(trace_command rsync -a "$src/" "$rs/")"
calls[B floor]="$(trace_command "$floor" "$src" "$dq$src")"
note "B: one run with the show probe"
waits[B]="$(probe_program "$src" "$dq")"

# --- C: re-run with 1% of the files touched ------------------------------------------------------

find "$src" -type f | sort >"$work/a/list"
base_time=$(( $(date +%s) - 86400 ))
# Every round touches another 1%; both tools then copy the same files.
C_round() {
    awk -v k="$1" -v n="$c_share" 'NR % n == k % n' "$work/a/list" >"$work/a/touch"
    xargs -d '\n' touch -m -d "@$((base_time + $1 * 60))" <"$work/a/touch"
    sync
}
C_dupliqa() {
    local figures first
    figures="$(time_program "$src" "$dq")"
    first="$(head -n 1 "$work/a/touch")"
    [ "$(stat -c %Y "$first")" -ge "$(stat -c %Y "$dq$first")" ] && [ "$(( $(stat -c %Y "$first") - $(stat -c %Y "$dq$first") ))" -le 1 ] \
        || warn "C round $1: $first was not copied"
    echo "$figures"
}
C_rsync() { time_command rsync -a "$src/" "$rs/"; }
rounds C dupliqa rsync
touched="$(wc -l <"$work/a/touch")"
note "C: one traced run of each tool"
C_round $((runs + 1))
calls[C dupliqa]="$(trace_program "$src" "$dq")"
calls[C rsync]="$(trace_command rsync -a "$src/" "$rs/")"
note "C: one run with the show probe"
C_round $((runs + 2))
waits[C]="$(probe_program "$src" "$dq")"

# --- D: one large file: new, over an old copy, new from a cold source ----------------------------

big_mib=$((big_size / 1024 / 1024))
mkdir -p "$work/d/src"
big="$work/d/src/big.bin"
dq_big="$work/d/dq$big"
cp_big="$work/d/cp.bin"
note "D: making one file of $big_mib MiB"
"$bench" make-file "$big" "$big_size" 11
sync
warm_source() { cat "$big" >/dev/null; }
cold_source() { "$evict" "$big" >/dev/null; }
check_copy() { # what round
    [ "$2" = 1 ] || return 0
    cmp -s "$big" "$dq_big" || warn "D $1: Dupliqa's copy differs from the source"
}
new_copies() { rm -rf "$work/d/dq" "$cp_big"; sync; }

Dn_round() { new_copies; warm_source; }
Dn_dupliqa() { time_program "$work/d/src" "$work/d/dq"; check_copy new "$1"; }
Dn_cp() { time_command cp "$big" "$cp_big"; }
rounds Dn dupliqa cp
# Over an old copy: both copies of the round before stay, and the source becomes newer than they are.
Do_round() { touch -m -d "@$(( $(date +%s) + $1 ))" "$big"; sync; }
Do_dupliqa() {
    time_program "$work/d/src" "$work/d/dq"
    [ "$(( $(stat -c %Y "$big") - $(stat -c %Y "$dq_big") ))" -le 1 ] || warn "D over an old copy, round $1: the copy was not replaced"
}
Do_cp() { time_command cp "$big" "$cp_big"; }
rounds Do dupliqa cp
Dc_round() { new_copies; }
Dc_dupliqa() { time_program "$work/d/src" "$work/d/dq" cold_source; check_copy cold "$1"; }
Dc_cp() { cold_source; time_command cp "$big" "$cp_big"; }
rounds Dc dupliqa cp
note "D: one traced run of each tool, new and over an old copy"
new_copies; warm_source
calls[Dn dupliqa]="$(trace_program "$work/d/src" "$work/d/dq")"
calls[Dn cp]="$(trace_command cp "$big" "$cp_big")"
Do_round 99
calls[Do dupliqa]="$(trace_program "$work/d/src" "$work/d/dq")"
calls[Do cp]="$(trace_command cp "$big" "$cp_big")"
note "D: one run with the show probe, new and over an old copy"
new_copies; warm_source
waits[Dn]="$(probe_program "$work/d/src" "$work/d/dq")"
Do_round 100
waits[Do]="$(probe_program "$work/d/src" "$work/d/dq")"
new_copies
rm -f "$big"

# --- S: a sparse file ------------------------------------------------------------------------------

note "S: a sparse file of $((sparse_size / 1024 / 1024)) MiB holding $sparse_data_mib MiB of data"
mkdir -p "$work/s/src"
sparse="$work/s/src/sparse.bin"
truncate -s "$sparse_size" "$sparse"
for ((k = 0; k < sparse_data_mib; k++)); do
    dd if=/dev/urandom of="$sparse" bs=1M count=1 seek=$((k * (sparse_size / 1024 / 1024) / sparse_data_mib + 7)) \
        conv=notrunc status=none
done
sync
time_program "$work/s/src" "$work/s/dq" >/dev/null
cp -a "$sparse" "$work/s/cp.bin"
sync
s_dq="$(stat -c %b "$work/s/dq$sparse" 2>/dev/null || echo missing)"
s_cp="$(stat -c %b "$work/s/cp.bin")"
s_src="$(stat -c %b "$sparse")"
cmp -s "$sparse" "$work/s/dq$sparse" || warn "S: the copy differs from the source"
rm -rf "$work/s"

timed_end="$(now)"

# --- Second table: inside the process (dupliqa_bench), with the event probe ----------------------

note "engine: the main window's backup path timed inside dupliqa_bench"
engine() { # label source destination
    local line
    line="$("$bench" backup "$work/exe-bench" "$2" "$3" 2>/dev/null)"
    [ "$(field failed "$line")" = 0 ] || warn "engine $1: $line"
    echo "$line"
}
mkdir -p "$work/exe-bench" "$work/d/src"
"$bench" make-file "$big" "$big_size" 11
sync
declare -A engine_lines
gaps=()
for ((i = 1; i <= runs; i++)); do
    engine_lines[A$i]="$(engine A "$src" "$work/a/eq$i")"
    engine_lines[B$i]="$(engine B "$src" "$work/a/eq1")"
    C_round $((2 * runs + 1 + i))
    engine_lines[C$i]="$(engine C "$src" "$work/a/eq1")"
    rm -rf "$work/d/eq"; sync
    engine_lines[D$i]="$(engine D "$work/d/src" "$work/d/eq")"
    # O: the same file changed, over the copy just made
    touch -m -d "@$(( $(date +%s) + 10 * i ))" "$big"; sync
    engine_lines[O$i]="$(engine O "$work/d/src" "$work/d/eq")"
    for k in A B C D O; do
        gaps+=("$(field max_gap_ms "${engine_lines[$k$i]}") $k:$(field max_gap_at "${engine_lines[$k$i]}")")
    done
    note "engine run $i: A $(field seconds "${engine_lines[A$i]}") s, B $(field seconds "${engine_lines[B$i]}") s," \
        "C $(field seconds "${engine_lines[C$i]}") s, D $(field seconds "${engine_lines[D$i]}") s," \
        "O $(field seconds "${engine_lines[O$i]}") s"
done
engine_median() { # case name
    local values=() k
    for ((k = 1; k <= runs; k++)); do values+=("$(field "$2" "${engine_lines[$1$k]}")"); done
    median "${values[@]}"
}
gap_at="$(maximum "${gaps[@]}")"
gap="${gap_at%% *}"
# The longest wait of a second start over the probed runs, "ms case at_s"; none where a probed run
# answered no probe, which fails the target rather than leaving that run out.
longest_wait=-1
for k in A B C Dn Do; do
    if ! [ "$(field probes "${waits[$k]}")" -gt 0 ] 2>/dev/null; then
        longest_wait="n/a" wait_case="$k" wait_s="-"
        break
    fi
    if awk -v a="$(field longest_ms "${waits[$k]}")" -v b="$longest_wait" 'BEGIN { exit !(a > b) }'; then
        longest_wait="$(field longest_ms "${waits[$k]}")" wait_case="$k" wait_s="$(field at_s "${waits[$k]}")"
    fi
done
probe_counts="$(for k in A B C Dn Do; do printf '%s %s, ' "$k" "$(field probes "${waits[$k]}")"; done)"

# --- Table ---------------------------------------------------------------------------------------

row() { printf '%-2s %-30s %-10s %-22s %-9s %-22s %-18s %-8s %s\n' "$@"; }
rule() { printf '%.0s-' {1..140}; echo; }
verdict() { [ "$2" = - ] && echo "" || at_most "$1" "$2"; }
median_of() { median $(tr ' ' '\n' <<<"$1"); }

# CPU or wall seconds of Dupliqa and a peer over the rounds, and their ratio round by round.
timed_row() { # case text measure key peer peer-name target
    local -n figures="$3"
    local ratios target_text="-"
    ratios=($(round_ratios "$3" "$4" dupliqa "$5"))
    [ "$7" = - ] || target_text="<= $7x"
    row "$1" "$2" "$3 s" "$(spread %.3f ${figures[$4 dupliqa]})" "$6" "$(spread %.3f ${figures[$4 $5]})" \
        "$(spread %.2f "${ratios[@]}")" "$target_text" "$(verdict "$(median "${ratios[@]}")" "$7")"
}

# System calls per file of the traced runs; the target is on Dupliqa's own figure.
calls_row() { # case text key peer peer-name files target
    local mine theirs target_text="-"
    mine="$(awk -v c="${calls[$3 dupliqa]}" -v n="$6" 'BEGIN { printf "%.2f", c / n }')"
    theirs="$(awk -v c="${calls[$3 $4]}" -v n="$6" 'BEGIN { printf "%.2f", c / n }')"
    [ "$7" = - ] || target_text="<= $7"
    row "$1" "$2" "calls/file" "$mine" "$5" "$theirs" "$(ratio "$mine" "$theirs")" "$target_text" "$(verdict "$mine" "$7")"
}

echo
echo "Dupliqa benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(df -P -T "$work_parent" | awk 'NR == 2 { print $2 }') at $work_parent"
echo "Load average (1, 5, 15 min) $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end; the bench took $(minus "$(now)" "$bench_start" | cut -d. -f1) s (the first table $(minus "$timed_end" "$bench_start" | cut -d. -f1) s)."
echo "$runs rounds, the order of the tools turned each round; seconds as median [min-max]; ratios round by round."
echo "Dupliqa: the real program (offscreen), less an idle start of the same length. calls/file: one run under strace -f -c."
rule
row "" "Case" "measure" "Dupliqa" "peer" "" "ratio" "target" "result"
rule
calls_row A "full, $a_files files 0-4 KiB" A cp "cp -a" "$a_files" 14
calls_row "" "" A rsync "rsync -a" "$a_files" -
timed_row "" "" cpu A cp "cp -a" 1.0
timed_row "" "" cpu A rsync "rsync -a" -
timed_row "" "" wall A cp "cp -a" -
calls_row B "unchanged re-run of A" B rsync "rsync -a" "$a_files" 3.0
calls_row "" "" B floor "floor" "$a_files" -
timed_row "" "" cpu B rsync "rsync -a" 0.8
timed_row "" "" cpu B floor "floor" 1.2
timed_row "" "" wall B rsync "rsync -a" -
calls_row C "re-run, $touched files (1%) touched" C rsync "rsync -a" "$a_files" -
timed_row "" "" cpu C rsync "rsync -a" 0.8
timed_row "" "" wall C rsync "rsync -a" -
calls_row D "one file of $big_mib MiB, new" Dn cp "cp" 1 -
timed_row "" "" cpu Dn cp "cp" 1.0
timed_row "" "" wall Dn cp "cp" -
calls_row D "$big_mib MiB over an old copy" Do cp "cp" 1 -
timed_row "" "" cpu Do cp "cp" 1.0
timed_row "" "" wall Do cp "cp" -
timed_row D "$big_mib MiB new, cold source" cpu Dc cp "cp" 1.0
timed_row "" "" wall Dc cp "cp" -
row S "sparse $((sparse_size / 1048576)) MiB, $sparse_data_mib MiB data" blocks "$s_dq" "cp -a" "$s_cp" "$(ratio "$s_dq" "$s_cp")" "<= 1.0x" "$(at_most "$(ratio "$s_dq" "$s_cp")" 1.0)"
row U "start-up: most writes of one file" "" "$most_writes" "" "" "" "<= 1" "$(at_most "$most_writes" 1)"
row U "start-up: fsync calls" "" "$fsyncs" "files" "$files_written" "" "<= files" "$(at_most "$fsyncs" "$files_written")"
row E "longest time without events" "" "$longest_wait ms" "" "" "" "<= 50 ms" "$(at_most "$longest_wait" 50)"
rule
echo "floor: a listing of the source and two statx per file (floor_scan). cold: the source's pages dropped"
echo "   by evict_pages before each tool's run. D calls/file: the calls of the whole one-file run."
echo "S: the source holds $s_src blocks of 512 bytes. U: $most_file is the file written most."
echo "E: the longest wait for the program's answer to a second start (show_probe, every 5 ms) over one"
echo "   run each of A, B, C, D new (Dn) and over an old copy (Do): at $wait_case, $wait_s s into the run;"
echo "   probes answered: ${probe_counts%, }. Inside the process (second table), the longest interval"
echo "   between two ticks of a 10 ms probe timer was $gap ms (at ${gap_at#* }; scan:N = N files found,"
echo "   copy:N = gauge at file N; O: D over an old copy)."
echo
echo "Inside the process (dupliqa_bench: the main window's RunBackup, offscreen), medians of $runs runs"
rule
printf '%-2s %-34s %10s %10s %10s %12s\n' "" "Case" "seconds" "cpu user" "cpu sys" "max gap ms"
rule
for k in A B C D O; do
    label="$k"
    case "$k" in
        A) text="full, $a_files files" ;;
        B) text="unchanged re-run" ;;
        C) text="re-run, 1% touched" ;;
        D) text="one file of $big_mib MiB, warm" ;;
        O) label=D; text="$big_mib MiB over an old copy, warm" ;;
    esac
    printf '%-2s %-34s %10s %10s %10s %12s\n' "$label" "$text" "$(engine_median "$k" seconds)" \
        "$(engine_median "$k" cpu_user_s)" "$(engine_median "$k" cpu_sys_s)" "$(engine_median "$k" max_gap_ms)"
done
rule
if [ -s "$work/warnings" ]; then
    sed 's/^/CHECK FAILED: /' "$work/warnings"
fi
