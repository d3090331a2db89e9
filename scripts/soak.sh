#!/usr/bin/env bash
# Soak test: runs the real program unattended for MINUTES (default 10) under a private X server
# with a system tray, while everything around it keeps changing, and prints a table of how it held.
#
#   scripts/soak.sh [MINUTES [PROGRAM [SCREENSHOT_FOLDER]]]
#
# PROGRAM defaults to build/app/Dupliqa (built when missing), SCREENSHOT_FOLDER to
# build/soak-screenshots (the screen and every box open at the end). MINUTES may be a fraction.
#
# The program gets five profiles: periods 0, 1, 3 and 7, and a line whose period is not a number,
# reported once in a box that nobody answers. What happens meanwhile:
#   - every source changes all the time: files in a subfolder are rewritten with new sizes and
#     removed about once a second, so some vanish between the scan and the copy;
#   - one file of the period-3 profile can never be copied (a folder stands where its copy
#     belongs), so that profile adds a line to Error.log at every run;
#   - in every cycle of two minutes (or of the whole soak, when shorter) the drive folder of the
#     period-1 profile (the folder that holds its destination folder) is removed from 25% to 40%
#     of the cycle and made again, and Error.log cannot be written from 50% to 70% of the cycle
#     (chattr +i where the file system allows it, which holds for root too; else, for root, a
#     folder in its place; else its write permission taken away). Each is restored afterwards.
#
# How runs are counted from outside: the top folder of each good profile's source holds one file,
# count.txt, with a number. Whenever its copy at the destination shows the number now in the
# source, the soak writes the next number there (through a rename, so a run never sees half a
# file), with a modification time two seconds further on than the last, so that every new number
# differs from the copy in its 2-second modification stamp. The copy is read five times a second:
# every new number seen there is one run. Files of a folder are copied before those of its
# subfolders, so count.txt is copied before anything in a run can fail. While its drive folder is
# missing, the period-1 profile leaves no copy; that stretch is not judged.
#
# When a run is due: a profile of period N runs at the (N+1)-th one-second tick after its
# previous run ended, and every profile runs once at the tick after the start-up kick (2 s after
# start). A run counts as missed when no new copy turns up within (N+1) x 1.1 s + SOAK_SLACK
# (default 2 s: polling, and a loaded machine) of the previous one or of the drive folder's
# return, or when the first comes later than 3 s + SOAK_SLACK after start. A box that stops the
# scheduler stops every copy, and shows as a gap of many periods. "promised" in the table is
# 1 + the judged time (from the kick to the end, less the time the drive folder was missing)
# divided by N+1 seconds.
#
# It fails (status 1) when a good profile missed a run that was due, when two open boxes show the
# same text (same size and the same pixels above their buttons), when the resident memory grew
# by more than 10% from the end of the first minute (or of the first half of a shorter soak) to
# the end, when the program holds more open file descriptors at the end than 6 s after its
# start (each the fewest seen over two seconds, so that a run's open files do not count), when
# it leaves a part file, or when SIGTERM at the end does not end it with status 0 within 5 s. It skips (status 77) when no X server can be started. Everything it starts ends
# by its process id and its temporary folder is removed, whatever the outcome.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

case "${1:-}" in
-h | --help)
    sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"
    exit 0
    ;;
esac
minutes="${1:-10}"
[[ $minutes =~ ^[0-9]+([.][0-9]+)?$ ]] || { echo "usage: $0 [MINUTES [PROGRAM [SCREENSHOT_FOLDER]]]" >&2; exit 2; }
duration=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 + 0.5 }')
((duration >= 30)) || { echo "$0: a soak lasts at least half a minute" >&2; exit 2; }
binary="${2:-$root/build/app/Dupliqa}"
shots="${3:-$root/build/soak-screenshots}"
if [[ ! -x $binary && -z ${2:-} ]]; then
    "$root/scripts/build.sh" build
fi
slack_ms=$(awk -v s="${SOAK_SLACK:-2}" 'BEGIN { printf "%d", s * 1000 }')

E2E_NAME=soak
E2E_NUMBERED_SHOTS=0
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

periods=(0 1 3 7)
cycle=$((duration < 120 ? duration : 120))
# Modification times of the counter files: whole even seconds from here on, far from any change
# of daylight saving time for the first 40 hours of counting.
stamp_base=1600000000
driver_pid=""

# Sets now to the milliseconds since the epoch, without starting a process: the driver reads the
# clock many times a second.
soak_clock() {
    local us=${EPOCHREALTIME//[.,]/}
    now=$((us / 1000))
}

# --- The world around the program -----------------------------------------------------------------

soak_prepare() {
    local w=$E2E_WORK p
    mkdir -p "$w/disk" "$w/removable" "$w/staging" "$w/sources/bad"
    for p in "${periods[@]}"; do
        mkdir -p "$w/sources/every$p/churn"
        printf '0\n' >"$w/sources/every$p/count.txt"
        touch -m -d "@$stamp_base" "$w/sources/every$p/count.txt"
    done
    mkdir -p "$w/sources/every3/zz"
    printf 'never copied\n' >"$w/sources/every3/zz/blocked.txt"
    mkdir -p "$w/disk/Every3$w/sources/every3/zz/blocked.txt"
    {
        printf 'Bad;%s;%s;abc\r\n' "$w/sources/bad" "$w/disk/Bad"
        printf 'Every0;%s;%s;0\r\n' "$w/sources/every0" "$w/disk/Every0"
        printf 'Every1;%s;%s;1\r\n' "$w/sources/every1" "$w/removable/Backup"
        printf 'Every3;%s;%s;3\r\n' "$w/sources/every3" "$w/disk/Every3"
        printf 'Every7;%s;%s;7\r\n' "$w/sources/every7" "$w/disk/Every7"
    } >"$E2E_APP/Items.txt"
    : >"$E2E_APP/Error.log"
    mkfifo "$w/pause"
    soak_choose_lock_method
}

soak_destination_of() {
    case $1 in
    1) echo "$E2E_WORK/removable/Backup" ;;
    *) echo "$E2E_WORK/disk/Every$1" ;;
    esac
}


# As root, permission bits do not stop a write: the immutable flag does, where the file system
# has it; otherwise a folder takes the log's place.
soak_choose_lock_method() {
    local probe="$E2E_APP/lock-probe"
    : >"$probe"
    if chattr +i "$probe" 2>/dev/null; then
        chattr -i "$probe"
        lock_method="immutable flag"
    elif ((EUID == 0)); then
        lock_method="folder in its place"
    else
        lock_method="write permission taken away"
    fi
    rm -f "$probe"
}

soak_lock_log() {
    local log="$E2E_APP/Error.log"
    case $lock_method in
    "immutable flag") chattr +i "$log" ;;
    "folder in its place") mv "$log" "$E2E_WORK/Error.log.aside" && mkdir "$log" ;;
    *) chmod a-w "$log" ;;
    esac
}

# Safe to call at any time, more than once.
soak_unlock_log() {
    local log="$E2E_APP/Error.log"
    case $lock_method in
    "immutable flag") [[ -e $log ]] && chattr -i "$log" ;;
    "folder in its place")
        if [[ -e $E2E_WORK/Error.log.aside ]]; then
            rmdir "$log" && mv "$E2E_WORK/Error.log.aside" "$log"
        fi
        ;;
    *) [[ -e $log ]] && chmod u+w "$log" ;;
    esac
    return 0
}

# --- The driver: counts runs, changes the sources, takes the drive and the log away ---------------
# Runs in the background until it is ended; every event goes to events.txt as "MS WHAT [PROFILE VALUE]".

soak_drive() {
    local events="$E2E_WORK/events.txt" start_ms=$1 pause now p phase round=0
    local drive_gone=0 log_locked=0
    local -A written seen copy
    for p in "${periods[@]}"; do
        written[$p]=0
        seen[$p]=""
        copy[$p]="$(soak_destination_of "$p")$E2E_WORK/sources/every$p/count.txt"
    done
    exec {pause}<>"$E2E_WORK/pause"
    while true; do
        soak_clock
        for p in "${periods[@]}"; do
            soak_observe "$p"
        done
        if ((round % 5 == 0)); then
            for p in "${periods[@]}"; do
                soak_churn "$p" $((round / 5))
            done
        fi
        phase=$(((now - start_ms) % (cycle * 1000)))
        if ((phase >= cycle * 250 && phase < cycle * 400)); then
            # A run may be making folders there at that moment; the next round tries again.
            ((drive_gone)) || { rm -rf "$E2E_WORK/removable" 2>/dev/null && drive_gone=1 && echo "$now gone" >>"$events"; }
        elif ((drive_gone)); then
            mkdir "$E2E_WORK/removable" && drive_gone=0 && soak_clock && echo "$now back" >>"$events"
        fi
        if ((phase >= cycle * 500 && phase < cycle * 700)); then
            ((log_locked)) || { soak_lock_log && log_locked=1 && echo "$now locked" >>"$events"; }
        elif ((log_locked)); then
            soak_unlock_log && log_locked=0 && soak_clock && echo "$now unlocked" >>"$events"
        fi
        round=$((round + 1))
        read -r -t 0.2 -u "$pause" _ || true
    done
}

# A new number at the copy is a run; once the copy has caught up, the source gets the next number.
soak_observe() {
    local p=$1 value=""
    read -r value 2>/dev/null <"${copy[$p]}" || true
    if [[ -n $value && $value != "${seen[$p]}" ]]; then
        seen[$p]=$value
        echo "$now run $p $value" >>"$events"
    fi
    if [[ $value == "${written[$p]}" ]]; then
        written[$p]=$((written[$p] + 1))
        local staged="$E2E_WORK/staging/count$p"
        printf '%s\n' "${written[$p]}" >"$staged"
        touch -m -d "@$((stamp_base + 2 * written[$p]))" "$staged"
        mv -f "$staged" "$E2E_WORK/sources/every$p/count.txt"
    fi
}

soak_churn() {
    local folder="$E2E_WORK/sources/every$1/churn" n=$2
    head -c $((RANDOM * 4)) /dev/urandom >"$folder/churn-$((n % 5)).bin"
    rm -f "$folder/churn-$(((n + 2) % 5)).bin"
}

soak_stop_driver() {
    [[ -n $driver_pid ]] || return 0
    kill -TERM "$driver_pid" 2>/dev/null || true
    wait "$driver_pid" 2>/dev/null || true
    driver_pid=""
}

# Ends the driver and gives the log back before the shared cleanup, on every way out, and hands
# that cleanup the exit status unchanged.
soak_cleanup() {
    local status=$?
    set +e
    soak_stop_driver
    [[ -n $E2E_WORK && -n ${lock_method:-} ]] && soak_unlock_log
    (exit "$status")
    e2e_cleanup
}

# --- Measurements -------------------------------------------------------------------------------

soak_rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}

soak_fd_count() {
    local entries=("/proc/$1/fd"/*)
    echo "${#entries[@]}"
}

# Prints what each open descriptor of process PID leads to.
soak_fd_targets() {
    local fd target
    for fd in "/proc/$1/fd"/*; do
        target="$(readlink "$fd")" && echo "${fd##*/} -> $target"
    done
}

# soak_settled_fd_count PID FILE: prints the fewest descriptors that PID holds over two seconds, and
# saves where they lead to FILE. A run holds a few while it copies; a leak holds them for good.
soak_settled_fd_count() {
    local fewest="" count _
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        count=$(soak_fd_count "$1")
        if [[ -z $fewest ]] || ((count < fewest)); then
            fewest=$count
            soak_fd_targets "$1" >"$2"
        fi
        sleep 0.2
    done
    echo "$fewest"
}

# Prints "WINDOW WIDTHxHEIGHT TYPE" for every viewable top-level window of process PID.
soak_open_windows() {
    local window type
    for window in $(e2e_visible_toplevels "$1"); do
        type="$(xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | sed -n 's/^[^=]*= _NET_WM_WINDOW_TYPE_\([A-Z_]*\).*/\1/p')"
        read -r _ _ w h < <(e2e_geometry "$window")
        echo "$window ${w}x$h ${type:-NONE}"
    done
}

# The part of WINDOW above its row of buttons, as a picture: what its text looks like.
soak_grab_text_area() {
    local x y w h
    xdotool windowraise "$1"
    e2e_wait_stable "$1"
    read -r x y w h < <(e2e_geometry "$1")
    ((h > 80)) && h=$((h - 50))
    e2e_grab "$x" "$y" "$w" "$h" "$2"
}

# Prints how many of the open dialogs show a text that another one already shows.
soak_count_repeated_boxes() {
    local -a dialogs=("$@")
    local i j repeated=0
    for ((i = 0; i < ${#dialogs[@]}; i++)); do
        soak_grab_text_area "${dialogs[i]%% *}" "$E2E_SHOTS/box-$i.png"
    done
    for ((i = 1; i < ${#dialogs[@]}; i++)); do
        for ((j = 0; j < i; j++)); do
            [[ ${dialogs[i]#* } == "${dialogs[j]#* }" ]] || continue
            if e2e_same_picture "$E2E_SHOTS/box-$i.png" "$E2E_SHOTS/box-$j.png"; then
                repeated=$((repeated + 1))
                break
            fi
        done
    done
    echo "$repeated"
}

# Judges the runs in events.txt; prints one table row per good profile and, last, "missed N".
soak_judge_runs() {
    awk -v start="$1" -v end="$2" -v slack="$slack_ms" -v periods="${periods[*]}" '
        function judge(p, t, checked) {
            gap = t - last[p]
            if (checked && gap > longest[p]) longest[p] = gap
            if (checked && gap > allowed[p]) missed[p]++
            last[p] = t
        }
        BEGIN {
            count = split(periods, list, " ")
            for (i = 1; i <= count; i++) {
                p = list[i]
                allowed[p] = (p + 1) * 1100 + slack
                last[p] = start
                first[p] = ""
            }
        }
        $2 == "run" {
            p = $3
            # The first run comes at the tick after the kick, 2 s after start-up.
            if (first[p] == "") { first[p] = $1; if ($1 - start > 3000 + slack) missed[p]++; last[p] = $1; runs[p]++; next }
            runs[p]++
            judge(p, $1, 1)
        }
        $2 == "gone" { gone = $1 }
        $2 == "back" { blind += $1 - gone; judge(1, $1, 0) }
        END {
            for (i = 1; i <= count; i++) {
                p = list[i]
                if (first[p] == "") missed[p]++
                judge(p, end, 1)
                span = end - (start + 2000) - (p == 1 ? blind : 0)
                promised = 1 + int(span / ((p + 1) * 1000))
                printf "Every%d|%d|%d|%d|%.1f s (%.1f)|%d\n", p, p, runs[p] + 0, promised, longest[p] / 1000, allowed[p] / 1000, missed[p] + 0
                total += missed[p]
            }
            print "missed " total + 0
        }' "$E2E_WORK/events.txt"
}

# --- The soak -----------------------------------------------------------------------------------

e2e_init "$shots"
trap soak_cleanup EXIT
e2e_copy_program "$binary"
e2e_start_xvfb
e2e_start_trayer
soak_prepare
: >"$E2E_WORK/events.txt"

e2e_log "soaking for $duration s; Error.log is made unwritable by: $lock_method"
soak_clock
start_ms=$now
e2e_start_program
pid=$E2E_APP_PID
soak_drive "$start_ms" &
driver_pid=$!
e2e_wait_for 15 "the tray icon" e2e_tray_icon_window "$pid"

baseline_at=$((duration < 120 ? duration / 2 : 60))
rss_start="" fds_start="" rss_baseline=""
: >"$E2E_WORK/memory.txt"
while true; do
    soak_clock
    elapsed=$(((now - start_ms) / 1000))
    ((elapsed >= duration)) && break
    e2e_program_running || e2e_fail "the program ended after ${elapsed}s of the soak"
    kill -0 "$driver_pid" 2>/dev/null || e2e_fail "the soak's driver stopped after ${elapsed}s (see above)"
    if ((elapsed >= 6)); then
        rss=$(soak_rss_kb "$pid")
        echo "$elapsed $rss $(soak_fd_count "$pid")" >>"$E2E_WORK/memory.txt"
        if [[ -z $rss_start ]]; then
            rss_start=$rss
            fds_start=$(soak_settled_fd_count "$pid" "$E2E_WORK/descriptors-start.txt")
        fi
        ((elapsed >= baseline_at)) && [[ -z $rss_baseline ]] && rss_baseline=$rss
    fi
    sleep 1
done
soak_clock
end_ms=$now
soak_stop_driver
soak_unlock_log
[[ -d $E2E_WORK/removable ]] || mkdir "$E2E_WORK/removable"
rss_end=$(soak_rss_kb "$pid")
fds_end=$(soak_settled_fd_count "$pid" "$E2E_WORK/descriptors-end.txt")
[[ -n $rss_baseline ]] || rss_baseline=$rss_end
rss_max=$(awk -v m="$rss_end" '$2 > m { m = $2 } END { print m }' "$E2E_WORK/memory.txt")

# --- Boxes open at the end ---------------------------------------------------------------------
e2e_rest_pointer
mapfile -t windows < <(soak_open_windows "$pid")
dialogs=()
for line in "${windows[@]}"; do
    [[ $line == *" DIALOG" ]] && dialogs+=("$line")
done
e2e_shot "end" >/dev/null
repeated_boxes=0
((${#dialogs[@]} > 0)) && repeated_boxes=$(soak_count_repeated_boxes "${dialogs[@]}")
box_lines=()
for line in "${dialogs[@]}"; do
    box_lines+=("    box ${line% DIALOG}, titled \"$(xprop -id "${line%% *}" _NET_WM_NAME 2>/dev/null |
        sed -n 's/^[^"]*"\(.*\)"$/\1/p')\"")
done

# --- SIGTERM, as at logout; then part files ---------------------------------------------------
kill -TERM "$pid"
soak_clock
term_ms=$now
while kill -0 "$pid" 2>/dev/null && ((now - term_ms < 5000)); do
    sleep 0.1
    soak_clock
done
term_status="still running after 5 s"
if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    soak_clock
    term_status="status $status after $(awk -v ms=$((now - term_ms)) 'BEGIN { printf "%.1f", ms / 1000 }') s"
    E2E_APP_PID=""
fi
mapfile -t part_files < <(find "$E2E_WORK/disk" "$E2E_WORK/removable" -type f \
    ! -name count.txt ! -regex '.*/churn-[0-9]\.bin' -print)

# --- The table ----------------------------------------------------------------------------------
judged="$(soak_judge_runs "$start_ms" "$end_ms")"
missed=$(sed -n 's/^missed //p' <<<"$judged")
log_lines=$(wc -l <"$E2E_APP/Error.log")
load=$(cut -d ' ' -f 1-3 /proc/loadavg)
rss_growth=$(awk -v a="$rss_baseline" -v b="$rss_end" 'BEGIN { printf "%+.1f", (b - a) * 100 / a }')

failures=()
((missed == 0)) || failures+=("good profiles missed $missed due run(s)")
((repeated_boxes == 0)) || failures+=("$repeated_boxes box(es) repeat a text already open")
awk -v a="$rss_baseline" -v b="$rss_end" 'BEGIN { exit !(b > a * 1.10) }' \
    && failures+=("resident memory grew by ${rss_growth}% after the first minute")
((fds_end <= fds_start)) || failures+=("open descriptors grew from $fds_start to $fds_end; new: $(
    comm -13 <(sort "$E2E_WORK/descriptors-start.txt") <(sort "$E2E_WORK/descriptors-end.txt") | paste -sd ';')")
((${#part_files[@]} == 0)) || failures+=("${#part_files[@]} part file(s) left: ${part_files[*]}")
[[ $term_status == "status 0 "* ]] || failures+=("SIGTERM did not end the program cleanly: $term_status")

{
    echo
    echo "Soak of $(basename "$binary"): $((duration / 60)) min $((duration % 60)) s, load average at the end $load"
    echo
    printf '%-8s %-6s %-5s %-8s %-22s %s\n' "profile" "period" "runs" "promised" "longest gap (allowed)" "missed"
    while IFS='|' read -r name period runs promised gap gone; do
        printf '%-8s %-6s %-5s %-8s %-22s %s\n' "$name" "$period" "$runs" "$promised" "$gap" "$gone"
    done < <(grep -v '^missed ' <<<"$judged")
    printf '%-8s %-6s %-5s %-8s %-22s %s\n' "Bad" "abc" "-" "0" "-" "-"
    echo
    echo "drive folder of Every1 missing: $(grep -c ' gone$' "$E2E_WORK/events.txt") time(s); Error.log unwritable ($lock_method): $(grep -c ' locked$' "$E2E_WORK/events.txt") time(s); Error.log lines: $log_lines"
    echo "boxes open at the end: ${#dialogs[@]} ($repeated_boxes repeating a text); other windows: $((${#windows[@]} - ${#dialogs[@]}))"
    ((${#box_lines[@]} == 0)) || printf '%s\n' "${box_lines[@]}"
    printf '%-22s %-10s %-10s %-10s %s\n' "" "at 6 s" "at ${baseline_at} s" "at end" "growth after ${baseline_at} s"
    printf '%-22s %-10s %-10s %-10s %s\n' "RSS (kB)" "$rss_start" "$rss_baseline" "$rss_end" "${rss_growth}% (max $rss_max)"
    printf '%-22s %-10s %-10s %-10s %s\n' "open descriptors" "$fds_start" "-" "$fds_end" "$((fds_end - fds_start))"
    echo "part files left: ${#part_files[@]}; SIGTERM at the end: $term_status"
    echo
} >&"$E2E_OUT"

if ((${#failures[@]} > 0)); then
    for failure in "${failures[@]}"; do echo "FAIL (soak): $failure" >&"$E2E_ERR"; done
    exit 1
fi
e2e_log "PASS"
