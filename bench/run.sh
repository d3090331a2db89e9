#!/usr/bin/env bash
# Benchmark: the real program, build/app/Dupliqa, run the way a user runs it, against cp -a, cp and
# rsync -a on the same trees in the same run, in a temporary folder that is removed at the end.
# Prints one table with every target and MET or NOT MET, then a second table of figures timed
# inside the process (dupliqa_bench: the main window's backup path alone, and its event probe).
#
#   bench/run.sh [--quick] [--runs N] [--build-dir DIR] [--no-build] [--work-dir DIR]
#
# --quick          one run of each case on a smaller tree (10000 files, a 256 MiB file): a minute or two
# --runs N         runs of each case (default 3); medians are quoted
# --build-dir DIR  where Dupliqa and dupliqa_bench are built (default: build/ at the top of the repository)
# --no-build       use what is already built there
# --work-dir DIR   where the temporary folder goes (default: $TMPDIR or /tmp)
#
# How the program is timed. It takes no arguments: it is copied into a scratch folder with an
# Items.txt of three profiles, started under the offscreen platform, and runs every profile once
# shortly after start-up, one after the other in the same scheduler tick. The first and the last
# profile each copy one small marker file into a folder of their own; the bench watches for the two
# copies from outside (a stat every 5 ms) and stops the program with SIGTERM once the last one is
# there. The profile in the middle is the case measured. /usr/bin/time gives the CPU seconds (user +
# sys) of the whole process. The same program is then started again with the middle profile's
# source empty and kept alive exactly as long (an idle start of the same length); its CPU seconds
# are subtracted, and so is its time between the two markers from the wall time between them.
# Peers are timed by /usr/bin/time as whole commands.
#
# Cases: A full backup of many small files (cp -a), B the unchanged re-run (rsync -a), C a re-run
# with 1% of the files touched (rsync -a), D one large file, warm and cold (cp; cold = the page cache
# dropped before the run, the programs' own files read back in), S a sparse file (blocks of the copy
# against cp -a's), U start-up (every file the program writes, and its fsync calls, by strace),
# E the longest time without handling an event (the probe timer inside dupliqa_bench).
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
        -h|--help) sed -n '2,33p' "$0"; exit 0 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done

a_files=60000
a_folders=4200
a_max_size=4096
c_share=100                          # one file in c_share is touched
big_size=$((2 * 1024 * 1024 * 1024))
sparse_size=$((1024 * 1024 * 1024))
sparse_data_mib=10
if [ "$quick" = 1 ]; then
    runs=1
    a_files=10000
    a_folders=700
    big_size=$((256 * 1024 * 1024))
fi

# --- Tools and build ------------------------------------------------------------------------------

for tool in cmake g++ rsync cp strace /usr/bin/time pgrep; do
    if ! command -v "$tool" >/dev/null; then
        "$root/scripts/setup.sh"
        break
    fi
done
program="$build/app/Dupliqa"
bench="$build/bench/dupliqa_bench"
if [ "$build_it" = 1 ]; then
    echo "Building Dupliqa and dupliqa_bench in $build ..." >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUPLIQA_WERROR=ON >/dev/null
    cmake --build "$build" --target Dupliqa dupliqa_bench -j"$(nproc)" >/dev/null
fi
for built in "$program" "$bench"; do
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

note() { echo "[bench] $*" >&2; }
now() { echo "$EPOCHREALTIME"; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { printf '%s\n' "$@" | sort -g | tail -n 1; }
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

# CPU seconds (user + sys) and wall seconds of a whole command: "cpu wall".
time_command() {
    local out="$work/time.out"
    /usr/bin/time -f '%U %S %e' -o "$out" "$@" >/dev/null 2>&1 || warn "failed: $*"
    tail -n 1 "$out" | awk '{ printf "%.3f %.3f\n", $1 + $2, $3 }'
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

# Starts the program, waits for both markers, keeps it alive until at least hold seconds after its
# start, stops it. Prints "cpu between_markers life" in seconds.
run_program() {
    local hold="$1" out="$work/program-time.out" started seen_first seen_last
    rm -f "$exe/Error.log"
    started="$EPOCHREALTIME"
    /usr/bin/time -f '%U %S %e' -o "$out" "$exe/Dupliqa" >/dev/null 2>&1 &
    local time_pid=$!
    seen_first="$(wait_for_file "$start_marker" 120)" && seen_last="$(wait_for_file "$end_marker" 3600)" || {
        kill "$(pgrep -P "$time_pid")" 2>/dev/null; wait "$time_pid" || true
        echo "the program did not run its profiles (no $end_marker)" >&2; return 1
    }
    pause "$(awk -v a="$EPOCHREALTIME" -v b="$started" -v h="$hold" 'BEGIN { d = h - (a - b); printf "%.3f", (d > 0 ? d : 0) }')"
    app_pid="$(pgrep -P "$time_pid")"
    kill -TERM "$app_pid" 2>/dev/null || true
    wait "$time_pid" || true
    app_pid=""
    local life
    life="$(minus "$(now)" "$started")"
    if [ -s "$exe/Error.log" ]; then warn "Error.log after a run: $(head -c 300 "$exe/Error.log")"; fi
    tail -n 1 "$out" | awk -v b="$(minus "$seen_last" "$seen_first")" -v l="$life" '{ printf "%.3f %s %s\n", $1 + $2, b, l }'
}

# One measured run of the program on source -> destination, less an idle start of the same length.
# Prints "cpu wall".
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

declare -A result
rows=()

# Medians of the "cpu wall" lines given, as "cpu wall".
medians() {
    local cpus=() walls=() line
    for line in "$@"; do
        cpus+=("${line% *}")
        walls+=("${line#* }")
    done
    echo "$(median "${cpus[@]}") $(median "${walls[@]}")"
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
note "A: making $a_files files of 0 to $a_max_size bytes in $a_folders folders"
"$bench" make-tree "$src" "$a_files" "$a_folders" "$a_max_size" 7 >/dev/null
a_bytes="$(sum_sizes "$src")"
sync
d=() c=()
for ((i = 1; i <= runs; i++)); do
    d+=("$(time_program "$src" "$work/a/dq$i")")
    c+=("$(time_command cp -a "$src" "$work/a/cp$i")")
    note "A run $i: Dupliqa ${d[-1]}, cp -a ${c[-1]} (cpu wall)"
done
result[A_dq]="$(medians "${d[@]}")"
result[A_cp]="$(medians "${c[@]}")"
dq="$work/a/dq1"
if [ "$(count_files "$dq")" != "$((a_files))" ] || [ "$(sum_sizes "$dq")" != "$a_bytes" ]; then
    warn "A: Dupliqa's copy holds $(count_files "$dq") files of $(sum_sizes "$dq") bytes, the source $a_files of $a_bytes"
fi
note "A: rsync -a makes its copy for B and C"
time_command rsync -a "$src/" "$work/a/rs/" >/dev/null

# --- B: unchanged re-run ---------------------------------------------------------------------------

d=() r=()
for ((i = 1; i <= runs; i++)); do
    d+=("$(time_program "$src" "$dq")")
    r+=("$(time_command rsync -a "$src/" "$work/a/rs/")")
    note "B run $i: Dupliqa ${d[-1]}, rsync -a ${r[-1]}"
done
result[B_dq]="$(medians "${d[@]}")"
result[B_rs]="$(medians "${r[@]}")"

# --- C: re-run with 1% of the files touched ------------------------------------------------------

find "$src" -type f | sort >"$work/a/list"
base_time=$(( $(date +%s) - 86400 ))
touch_share() {
    awk -v k="$c_round" -v n="$c_share" 'NR % n == k % n' "$work/a/list" >"$work/a/touch"
    xargs -d '\n' touch -m -d "@$((base_time + c_round * 60))" <"$work/a/touch"
    sync
}
d=() r=()
for ((i = 1; i <= runs; i++)); do
    c_round=$i
    d+=("$(time_program "$src" "$dq" touch_share)")
    r+=("$(time_command rsync -a "$src/" "$work/a/rs/")")
    first="$(head -n 1 "$work/a/touch")"
    [ "$(stat -c %Y "$first")" -ge "$(stat -c %Y "$dq$first")" ] && [ "$(( $(stat -c %Y "$first") - $(stat -c %Y "$dq$first") ))" -le 1 ] \
        || warn "C run $i: $first was not copied"
    note "C run $i: $(wc -l <"$work/a/touch") files touched; Dupliqa ${d[-1]}, rsync -a ${r[-1]}"
done
touched="$(wc -l <"$work/a/touch")"
result[C_dq]="$(medians "${d[@]}")"
result[C_rs]="$(medians "${r[@]}")"

# --- D: one large file, warm and cold ------------------------------------------------------------

big_mib=$((big_size / 1024 / 1024))
mkdir -p "$work/d/src"
big="$work/d/src/big.bin"
note "D: making one file of $big_mib MiB"
"$bench" make-file "$big" "$big_size" 11
sync
# Cold: the whole page cache dropped (as root), then the programs and their libraries read again, so that
# only the data is cold. Without root, the source's pages alone are dropped through posix_fadvise (dd),
# which leaves the kernel's refault bookkeeping behind and makes reading them back cost more CPU.
programs_and_libraries() { for p in "$exe/Dupliqa" "$(command -v cp)"; do echo "$p"; ldd "$p" | awk '$3 ~ /^\// { print $3 }'; done; }
drop_source() {
    sync
    if { echo 3 >/proc/sys/vm/drop_caches; } 2>/dev/null; then
        programs_and_libraries | sort -u | xargs cat >/dev/null
    else
        dd if="$big" iflag=nocache count=0 status=none
    fi
}
warm_source() { sync; cat "$big" >/dev/null; }
for cache in warm cold; do
    prepare=warm_source
    [ "$cache" = cold ] && prepare=drop_source
    d=() c=()
    for ((i = 1; i <= runs; i++)); do
        rm -rf "$work/d/dq" "$work/d/cp.bin"
        sync
        d+=("$(time_program "$work/d/src" "$work/d/dq" "$prepare")")
        cmp -s "$big" "$work/d/dq$big" || warn "D $cache run $i: the copy differs from the source"
        rm -rf "$work/d/dq"
        $prepare
        c+=("$(time_command cp "$big" "$work/d/cp.bin")")
        rm -f "$work/d/cp.bin"
        note "D $cache run $i: Dupliqa ${d[-1]}, cp ${c[-1]}"
    done
    result[D_dq_$cache]="$(medians "${d[@]}")"
    result[D_cp_$cache]="$(medians "${c[@]}")"
done
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
    c_round=$((runs + i)); touch_share
    engine_lines[C$i]="$(engine C "$src" "$work/a/eq1")"
    rm -rf "$work/d/eq"; sync
    engine_lines[D$i]="$(engine D "$work/d/src" "$work/d/eq")"
    for k in A B C D; do
        gaps+=("$(field max_gap_ms "${engine_lines[$k$i]}") $k:$(field max_gap_at "${engine_lines[$k$i]}")")
    done
    note "engine run $i: A $(field seconds "${engine_lines[A$i]}") s, B $(field seconds "${engine_lines[B$i]}") s," \
        "C $(field seconds "${engine_lines[C$i]}") s, D $(field seconds "${engine_lines[D$i]}") s"
done
engine_median() { # case name
    local values=() k
    for ((k = 1; k <= runs; k++)); do values+=("$(field "$2" "${engine_lines[$1$k]}")"); done
    median "${values[@]}"
}
gap_at="$(maximum "${gaps[@]}")"
gap="${gap_at%% *}"

# --- Table ---------------------------------------------------------------------------------------

row() { printf '%-2s %-34s %-5s %9s  %-9s %9s  %6s  %-8s %s\n' "$@"; }
rule() { printf '%.0s-' {1..104}; echo; }
compare() { # case text measure dupliqa peer-name peer target
    local rt
    rt="$(ratio "$4" "$6")"
    row "$1" "$2" "$3" "$4" "$5" "$6" "$rt" "<= $7" "$(at_most "$rt" "$7")"
}
both() { # case text dupliqa-pair peer-name peer-pair target
    compare "$1" "$2" cpu "${3% *}" "$4" "${5% *}" "$6"
    compare "" "" wall "${3#* }" "$4" "${5#* }" "$6"
}

echo
echo "Dupliqa benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(df -P -T "$work_parent" | awk 'NR == 2 { print $2 }') at $work_parent"
echo "Load average (1, 5, 15 min) $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end; the bench took $(minus "$(now)" "$bench_start" | cut -d. -f1) s."
echo "Medians of $runs runs, seconds. Dupliqa: the real program (offscreen), less an idle start of the same length."
rule
row "" "Case" "" "Dupliqa" "peer" "" "ratio" "target" "result"
rule
both A "full, $a_files files 0-4 KiB" "${result[A_dq]}" "cp -a" "${result[A_cp]}" 1.0
both B "unchanged re-run of A" "${result[B_dq]}" "rsync -a" "${result[B_rs]}" 0.8
both C "re-run, $touched files (1%) touched" "${result[C_dq]}" "rsync -a" "${result[C_rs]}" 1.0
both D "one file of $big_mib MiB, warm" "${result[D_dq_warm]}" "cp" "${result[D_cp_warm]}" 1.0
both D "one file of $big_mib MiB, cold" "${result[D_dq_cold]}" "cp" "${result[D_cp_cold]}" 1.0
compare S "sparse $((sparse_size / 1048576)) MiB, $sparse_data_mib MiB data" blocks "$s_dq" "cp -a" "$s_cp" 1.0
row U "start-up: most writes of one file" "" "$most_writes" "" "" "" "<= 1" "$(at_most "$most_writes" 1)"
row U "start-up: fsync calls" "" "$fsyncs" "files" "$files_written" "" "<= files" "$(at_most "$fsyncs" "$files_written")"
row E "longest time without events" "" "$gap ms" "" "" "" "<= 50 ms" "$(at_most "$gap" 50)"
rule
echo "S: the source holds $s_src blocks of 512 bytes. U: $most_file is the file written most."
echo "E: largest interval between two ticks of a 10 ms probe timer over every run of the second table"
echo "   (at ${gap_at#* }; scan:N = N files found, copy:N = gauge at file N)."
echo
echo "Inside the process (dupliqa_bench: the main window's RunBackup, offscreen), medians of $runs runs"
rule
printf '%-2s %-34s %10s %10s %10s %12s\n' "" "Case" "seconds" "cpu user" "cpu sys" "max gap ms"
rule
for k in A B C D; do
    case "$k" in
        A) text="full, $a_files files" ;;
        B) text="unchanged re-run" ;;
        C) text="re-run, 1% touched" ;;
        D) text="one file of $big_mib MiB, warm" ;;
    esac
    printf '%-2s %-34s %10s %10s %10s %12s\n' "$k" "$text" "$(engine_median "$k" seconds)" \
        "$(engine_median "$k" cpu_user_s)" "$(engine_median "$k" cpu_sys_s)" "$(engine_median "$k" max_gap_ms)"
done
rule
if [ -s "$work/warnings" ]; then
    sed 's/^/CHECK FAILED: /' "$work/warnings"
fi
