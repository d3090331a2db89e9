#!/usr/bin/env bash
# Without a system tray, with the real program under Xvfb: a killed program never stops the next
# start, nor does another user's process holding the folder's name, and a program in another folder
# runs beside it; the main window shows itself at start-up,
# since a hidden window could never be reached; the program keeps running, and the close request
# of the title bar leaves the window reachable (never withdrawn) and the program running. When a
# tray turns up later, the icon is added to it; when it goes away while the window is hidden, the
# window shows; a new tray gets the icon again, and its Exit ends the program. Started again under
# openbox, its main window and its wizard offer no minimise and no maximise.
#   no_tray.sh PROGRAM SCREENSHOT_FOLDER
E2E_NAME=no-tray
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || { echo "usage: $0 PROGRAM SCREENSHOT_FOLDER" >&2; exit 2; }
e2e_init "$2"
e2e_copy_program "$1"
e2e_start_xvfb
e2e_rest_pointer

# A program that was killed leaves nothing behind that stops the next start.
e2e_start_program
e2e_wait_for 10 "the main window of a start that is then killed" e2e_main_window "$E2E_APP_PID"
kill -KILL "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null || true

# A process of another user that holds the folder's name and answers as a program of it would is none
# of ours: this start runs beside it, and says so.
if [[ $(id -u) -eq 0 ]]; then
    name="Dupliqa-$(stat -c '%d-%i' "$E2E_APP")"
    setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/python3 -c '
import socket, sys
held = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
held.bind("\0" + sys.argv[1])
held.listen(8)
while True:
    start, _ = held.accept()
    start.sendall(b"S")
    start.close()' "$name" >>"$E2E_WORK/squatter.log" 2>&1 &
    squatter=$!
    E2E_OTHER_PIDS+=("$squatter")
    e2e_wait_for 5 "another user's process to hold the folder's name" grep -q "@$name\$" /proc/net/unix
    e2e_start_program
    e2e_wait_for 10 "the window of a start whose folder's name another user holds" e2e_main_window "$E2E_APP_PID"
    grep -q "another user's process holds the name" "$E2E_WORK/app.log" \
        || e2e_fail "a start beside another user's process did not say so"
    e2e_stop_process "$E2E_APP_PID"
    e2e_stop_process "$squatter"
else
    e2e_log "not root: no other user to hold the folder's name"
fi

e2e_start_program
pid=$E2E_APP_PID
e2e_wait_for 10 "the main window to show itself at start-up without a tray" e2e_main_window "$pid"
main="$(e2e_main_window "$pid")"
e2e_wait_stable "$main"
e2e_shot "window-at-start" >/dev/null
window_still_there() {
    e2e_program_running && e2e_viewable "$main"
}
e2e_holds 3 "without a tray the window went away or the program ended after start-up" window_still_there

# A program in another folder has files of its own and runs beside this one.
mkdir -p "$E2E_WORK/other"
cp "$E2E_APP/Dupliqa" "$E2E_WORK/other/Dupliqa"
(cd "$E2E_WORK/cwd" && exec "$E2E_WORK/other/Dupliqa") >>"$E2E_WORK/app.log" 2>&1 &
other=$!
e2e_wait_for 10 "the window of a program started from another folder" e2e_main_window "$other"
e2e_stop_process "$other"
window_still_there || e2e_fail "a program in another folder ended this one or hid its window"
[[ -s $E2E_APP/Dupliqa.ini && -s $E2E_APP/English.Lang ]] || e2e_fail "the settings or language file is missing"

# The close button may only minimise here; with no window manager to iconify it, it stays viewable.
e2e_send_close "$main"
e2e_holds 2 "without a tray the close button hid the window for good or ended the program" window_still_there
e2e_shot "window-after-close-request" >/dev/null

# A tray that turns up later gets the icon.
e2e_start_trayer
e2e_wait_for 15 "the icon to be added to a tray that appeared after start-up" e2e_tray_icon_window "$pid"
e2e_viewable "$main" || e2e_fail "the window went away when the tray appeared"
e2e_shot "icon-added-later" >/dev/null

# A tray that goes away while the window is hidden shows the window; the next tray gets the icon.
e2e_send_close "$main"
e2e_wait_for 5 "the window to hide into the tray" e2e_no_visible_toplevel "$pid"
e2e_stop_process "$E2E_TRAYER_PID"
E2E_TRAYER_PID=""
e2e_wait_for 15 "the hidden window to show when the tray went away" e2e_viewable "$main"
e2e_start_trayer
e2e_wait_for 15 "the icon to come back with a new tray" e2e_tray_icon_window "$pid"
icon="$(e2e_tray_icon_window "$pid")"
read -r icon_x icon_y icon_w icon_h < <(e2e_geometry "$icon")
before="$(e2e_visible_toplevels "$pid" | tr '\n' ' ')"
e2e_click $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2)) 3
e2e_wait_for 5 "the tray menu to open" e2e_new_toplevel "$pid" "$before"
menu="$(e2e_new_toplevel "$pid" "$before")"
read -r mx my mw mh < <(e2e_geometry "$menu")
e2e_click $((mx + mw / 2)) $((my + mh - 13))                   # the last item, Exit
e2e_expect_program_end 5
e2e_shot "after-exit" >/dev/null

# Under openbox, neither the main window nor the wizard can be minimised or maximised.
e2e_start_openbox
e2e_start_program
pid=$E2E_APP_PID
e2e_wait_for 15 "the icon of a start under openbox" e2e_tray_icon_window "$pid"
read -r icon_x icon_y icon_w icon_h < <(e2e_geometry "$(e2e_tray_icon_window "$pid")")
e2e_double_click $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2))
e2e_wait_for 10 "the main window under openbox" e2e_main_window "$pid"
main="$(e2e_main_window "$pid")"
e2e_measure_main_window "$main"
e2e_click "$(e2e_toolbar_button_x 0)" "$TOOLBAR_Y"
e2e_wait_for 10 "the wizard under openbox" e2e_window_titled "$pid" "Οδηγός"
wizard="$(e2e_window_titled "$pid" "Οδηγός")"
e2e_shot "title-bars-under-openbox" >/dev/null
for window in "$main" "$wizard"; do
    e2e_wait_for 5 "openbox to list what window $window allows" e2e_offers "$window" MOVE
    for action in MINIMIZE MAXIMIZE_HORZ MAXIMIZE_VERT; do
        ! e2e_offers "$window" "$action" || e2e_fail "openbox offers $action on window $window"
    done
done
kill -TERM "$pid"
e2e_expect_program_end 10
e2e_log "PASS"
