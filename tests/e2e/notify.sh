#!/usr/bin/env bash
# Notices of failed runs, with the real program under Xvfb and trayer, a private session bus and
# dunst as the desktop's notification service, and dbus-monitor recording every Notify call. A
# profile whose destination drive is missing fails at every tick but notifies once; after a clean
# run (the drive is back) and another failure (the drive gone again) it notifies once more. With the
# session bus stopped (SIGSTOP), the next failure's runs go on, and its notice arrives once the bus
# answers again. Then,
# with the notification service ended, the next failure after a clean run shows Qt's own balloon
# next to the tray icon, which is photographed. A click on either opens the error log, which a
# stand-in for xdg-open records.
#   notify.sh PROGRAM SCREENSHOT_FOLDER
E2E_NAME=notify
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || { echo "usage: $0 PROGRAM SCREENSHOT_FOLDER" >&2; exit 2; }
e2e_init "$2"
for tool in dbus-daemon dbus-monitor dbus-send dunst; do
    command -v "$tool" >/dev/null 2>&1 || e2e_skip "$tool is not installed (see scripts/debian-packages.txt)"
done
e2e_copy_program "$1"
e2e_start_xvfb
e2e_start_trayer

# --- A session bus of our own, a monitor of Notify calls, and dunst ---------------------------------
: >"$E2E_WORK/bus-address"
dbus-daemon --session --nofork --address="unix:path=$E2E_WORK/bus" --print-address=9 \
    9>"$E2E_WORK/bus-address" >"$E2E_WORK/bus.log" 2>&1 &
bus_pid=$!
E2E_OTHER_PIDS+=("$bus_pid")
bus_ready() { [[ -s $E2E_WORK/bus-address ]]; }
e2e_wait_for 10 "the session bus to report its address" bus_ready
DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$E2E_WORK/bus-address")"
export DBUS_SESSION_BUS_ADDRESS
calls="$E2E_WORK/notify-calls.txt"
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
    >"$calls" 2>"$E2E_WORK/monitor.log" &
E2E_OTHER_PIDS+=($!)
# The monitor is listening once it has printed the bus's greeting to itself.
monitor_ready() { grep -q 'NameAcquired' "$calls"; }
e2e_wait_for 10 "dbus-monitor to listen" monitor_ready
dunst >"$E2E_WORK/dunst.log" 2>&1 &
dunst_pid=$!
E2E_OTHER_PIDS+=("$dunst_pid")
service_registered() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications | grep -q 'boolean true'
}
e2e_wait_for 10 "dunst to own org.freedesktop.Notifications" service_registered

notices() { grep -c 'member=Notify' "$calls" || true; }
# The summary and body of every Notify call, one "title | body" line each, bodies' breaks as " / ".
notice_texts() {
    awk '/member=Notify/ { n = 0; inCall = 1; next }
         inCall && /^   string "/ { n++; sub(/^   string "/, ""); text = $0
             while (text !~ /"$/ && (getline more) > 0) text = text " / " more
             sub(/"$/, "", text)
             if (n == 3) title = text
             if (n == 4) { print title " | " text; inCall = 0 } }' "$calls"
}

# --- One profile, every tick, onto a drive that is not there ------------------------------------------
w=$E2E_WORK
mkdir -p "$w/source"
printf 'one\n' >"$w/source/file.txt"
printf 'Stick;%s;%s;0\r\n' "$w/source" "$w/drive/Backup" >"$E2E_APP/Items.txt"
copy="$w/drive/Backup$w/source/file.txt"
log="$E2E_APP/Error.log"
log_lines() { [[ -f $log ]] && grep -c '' "$log" || echo 0; }
at_least_lines() { (($(log_lines) >= $1)); }
copy_holds() { [[ -f $copy && "$(cat "$copy")" == "$1" ]]; }
# A new content with a later time, so the next clean run copies it again: the copy appearing proves
# that the run before it has ended, and its end was clean when it had the drive throughout.
change_source() {
    printf '%s\n' "$1" >"$w/source/file.txt"
    touch -d "@$(($(date +%s) + 10 * $2))" "$w/source/file.txt"
}
# A clean run of the profile, proven by two copies in a row while the drive is there.
clean_run() {
    mkdir -p "$w/drive"
    change_source "$1" "$2"
    e2e_wait_for 20 "the profile to copy \"$1\" once the drive is back" copy_holds "$1"
    change_source "$1 again" $(($2 + 1))
    e2e_wait_for 20 "the profile to copy \"$1 again\"" copy_holds "$1 again"
}

# The viewer the log opens in: a stand-in on the program's PATH that writes down what it was given.
mkdir -p "$w/bin"
opened="$w/opened.txt"
# shellcheck disable=SC2016 # "$1" is the stand-in's own argument
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$opened" >"$w/bin/xdg-open"
chmod +x "$w/bin/xdg-open"
log_opened() { [[ -f $opened && $(grep -cxF "$log" "$opened") -ge $1 ]]; }
PATH="$w/bin:$PATH" e2e_start_program
pid=$E2E_APP_PID
e2e_wait_for 10 "the tray icon" e2e_tray_icon_window "$pid"

# --- Failing run after run: one notice --------------------------------------------------------------
has_notices() { (($(notices) >= $1)); }
e2e_wait_for 20 "a notice of the first failed run" has_notices 1
# dunst's window carries no process id, but its class.
dunst_shows() {
    local window
    window="$(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Dunst": ("Dunst" "Dunst").*/\1/p' | head -n 1)"
    [[ -n $window ]] && e2e_viewable "$window"
}
e2e_wait_for 10 "dunst to show the notice" dunst_shows
e2e_shot "dunst-notice" >/dev/null
dunst_window="$(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Dunst": ("Dunst" "Dunst").*/\1/p' | head -n 1)"
read -r dx dy dw dh < <(e2e_geometry "$dunst_window")
e2e_click $((dx + dw / 2)) $((dy + dh / 2)) 2 # dunst's middle button: the notice's own action
e2e_wait_for 10 "a click on the notice to open the error log" log_opened 1
failed_before=$(log_lines)
e2e_wait_for 20 "three more failed runs" at_least_lines $((failed_before + 3))
[[ $(notices) -eq 1 ]] || e2e_fail "a profile that kept failing notified $(notices) times, not once"

# --- A clean run, then a failure: one notice more ----------------------------------------------------
clean_run "two" 1
rm -rf "$w/drive"
e2e_wait_for 20 "a notice of the failure after a clean run" has_notices 2
failed_before=$(log_lines)
e2e_wait_for 20 "three more failed runs" at_least_lines $((failed_before + 3))
[[ $(notices) -eq 2 ]] || e2e_fail "after one clean run the profile notified $(notices) times in all, not twice"

# --- A bus that stops answering: the runs go on, and the notice follows once it answers --------------
clean_run "three" 3
failed_before=$(log_lines)
kill -STOP "$bus_pid"
rm -rf "$w/drive"
# A call that waited for the bus would hold the window, and the ticks with it, for D-Bus's 25 seconds.
stalled_runs() { at_least_lines $((failed_before + 3)); }
e2e_wait_for 10 "three failed runs while the session bus does not answer" stalled_runs
kill -CONT "$bus_pid"
e2e_wait_for 20 "the notice held by the bus to reach the service" has_notices 3

notice_texts >"$E2E_SHOTS/notices.txt"
e2e_log "notices recorded (title | body):"
while IFS= read -r line; do e2e_log "  $line"; done <"$E2E_SHOTS/notices.txt"
expected="Το αντίγραφο ασφαλείας Stick απέτυχε | Ο φάκελος προορισμού δεν υπάρχει / Λεπτομέρειες στο αρχείο καταγραφής λαθών"
[[ "$(sort -u "$E2E_SHOTS/notices.txt")" == "$expected" ]] \
    || e2e_fail "the notices said: $(tr '\n' ';' <"$E2E_SHOTS/notices.txt"), not: $expected"

# --- No notification service: Qt's own balloon at the tray icon --------------------------------------
e2e_stop_process "$dunst_pid"
service_gone() { ! service_registered; }
e2e_wait_for 10 "dunst to leave the bus" service_gone
clean_run "four" 5
rm -rf "$w/drive"
e2e_wait_for 20 "Qt's balloon next to the tray icon" e2e_new_toplevel "$pid" ""
balloon="$(e2e_new_toplevel "$pid" "")"
e2e_wait_stable "$balloon"
e2e_log "Qt's balloon: $(e2e_shot "balloon")"
read -r bx by bw bh < <(e2e_geometry "$balloon")
e2e_click $((bx + bw / 2)) $((by + bh * 3 / 4))
e2e_wait_for 10 "a click on the balloon to open the error log" log_opened 2
e2e_log "PASS"
