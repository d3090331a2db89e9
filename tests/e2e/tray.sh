#!/usr/bin/env bash
# The tray icon on its own, with the real program under Xvfb and trayer as the system tray: the
# icon appears and nothing else does; a double click shows the main window; the close request of
# the title bar hides it again while the program and the icon stay; a second start from the same
# folder shows the window of the running program and ends with status 0; the right button opens the
# tray menu, whose middle item opens the about box centred on the screen; while the about box is
# open, a double click on the icon shows the window and the right button opens the menu again,
# whose last item, Exit, closes the box, ends the program, and the icon goes away. Started again
# with a profile that copies a large file at once, the about box opened from the tray menu during
# the copy leaves the copy going: the copy grows while the box is open. Exit then closes the box and
# lets the copy go on; a start meanwhile waits, and a termination signal still stops the copy: the
# program ends without the copy, and the start that waited runs in its place.
#   tray.sh PROGRAM SCREENSHOT_FOLDER
E2E_NAME=tray
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || { echo "usage: $0 PROGRAM SCREENSHOT_FOLDER" >&2; exit 2; }
e2e_init "$2"
e2e_copy_program "$1"
e2e_start_xvfb
e2e_start_trayer
e2e_rest_pointer
read -r panel_x _ panel_w _ < <(e2e_geometry "$E2E_PANEL")
e2e_grab_tray "$E2E_WORK/tray-empty.png"

# --- The icon appears, and nothing else ------------------------------------------------------
e2e_start_program
pid=$E2E_APP_PID
e2e_wait_for 10 "the tray icon" e2e_tray_icon_window "$pid"
e2e_wait_for 10 "the tray icon to be drawn" e2e_tray_drawn "$E2E_WORK/tray-empty.png"
e2e_holds 3 "a window of the program is visible at start-up although a tray shows its icon" \
    e2e_no_visible_toplevel "$pid"
e2e_shot "icon" >/dev/null
icon="$(e2e_tray_icon_window "$pid")"
read -r icon_x icon_y icon_w icon_h < <(e2e_geometry "$icon")
icon_cx=$((icon_x + icon_w / 2))
icon_cy=$((icon_y + icon_h / 2))
((icon_x >= panel_x && icon_x + icon_w <= panel_x + panel_w)) || e2e_fail "the icon lies outside the tray"

# --- A double click shows the window ---------------------------------------------------------
e2e_double_click "$icon_cx" "$icon_cy"
e2e_wait_for 10 "the main window after a double click on the icon" e2e_main_window "$pid"
main="$(e2e_main_window "$pid")"
e2e_wait_stable "$main"
read -r x y w h < <(e2e_geometry "$main")
[[ "$x $y $w $h" == "213 163 483 318" ]] || e2e_fail "the main window lies at $x,$y, ${w}x$h, not 213,163, 483x318"
e2e_shot "window-shown" >/dev/null

# --- The title bar's close button hides it; the program and the icon stay ------------------------
e2e_send_close "$main"
e2e_wait_for 5 "the main window to be hidden by its close button" e2e_no_visible_toplevel "$pid"
e2e_holds 1 "the program ended, or its icon went away, when the window's close button was used" \
    e2e_tray_icon_window "$pid"
e2e_shot "window-closed-to-tray" >/dev/null

# --- A second start from the same folder shows the running program's window and ends -----------
second=0
(cd "$E2E_WORK/cwd" && timeout 60 "$E2E_APP/Dupliqa") >>"$E2E_WORK/app.log" 2>&1 || second=$?
[[ $second -eq 0 ]] || e2e_fail "a second start from the same folder ended with status $second"
e2e_wait_for 10 "the running program's window, shown by a second start" e2e_viewable "$main"
e2e_program_running || e2e_fail "a second start ended the running program"
e2e_shot "window-shown-by-second-start" >/dev/null
e2e_send_close "$main"
e2e_wait_for 5 "the main window to be hidden again" e2e_no_visible_toplevel "$pid"

# --- The tray menu: the about box from its middle item -----------------------------------------
open_tray_menu() {
    local before
    before="$(e2e_visible_toplevels "$pid" | tr '\n' ' ')"
    e2e_click "$icon_cx" "$icon_cy" 3
    e2e_wait_for 5 "the tray menu to open on the right button" e2e_new_toplevel "$pid" "$before"
    menu="$(e2e_new_toplevel "$pid" "$before")"
    read -r mx my mw mh < <(e2e_geometry "$menu")
    ((mw >= 80 && mh >= 50)) || e2e_fail "the tray menu is ${mw}x$mh pixels: too small for three items"
}
open_tray_menu
e2e_shot "tray-menu" >/dev/null
e2e_click $((mx + mw / 2)) $((my + mh / 2))                  # the middle item: information
e2e_wait_for 10 "the about box \"Info\"" e2e_window_titled "$pid" "Info"
about="$(e2e_window_titled "$pid" "Info")"
e2e_wait_stable "$about"
read -r ax ay aw ah < <(e2e_geometry "$about")
expected_x=$(((E2E_SCREEN_W - aw) / 2))
expected_y=$(((E2E_SCREEN_H - ah) / 2))
((ax >= expected_x - 2 && ax <= expected_x + 2 && ay >= expected_y - 2 && ay <= expected_y + 2)) \
    || e2e_fail "the about box lies at $ax,$ay (${aw}x$ah), not centred on the screen near $expected_x,$expected_y"
e2e_viewable "$main" && e2e_fail "opening the about box showed the main window"
e2e_shot "about-box" >/dev/null
e2e_click $((ax + aw - 6 - 37)) $((ay + ah - 6 - 12))          # its OK button
about_closed() { ! e2e_window_titled "$pid" "Info"; }
e2e_wait_for 5 "the about box to close on OK" about_closed
e2e_holds 1 "closing the about box showed the main window or ended the program" \
    e2e_no_visible_toplevel "$pid"

# --- The tray answers while the about box is open: a double click shows the window, the menu opens,
# and its Exit closes the box and ends the program ------------------------------------------------
open_tray_menu
e2e_click $((mx + mw / 2)) $((my + mh / 2))                  # information, again
e2e_wait_for 10 "the about box \"Info\" a second time" e2e_window_titled "$pid" "Info"
about="$(e2e_window_titled "$pid" "Info")"
e2e_wait_stable "$about"
e2e_double_click "$icon_cx" "$icon_cy"
e2e_wait_for 10 "the main window after a double click on the icon while the about box is open" \
    e2e_viewable "$main"
e2e_viewable "$about" || e2e_fail "the double click closed the about box"
# xwininfo lists the root's children from the top of the stack down.
about_above_main() {
    xwininfo -root -children | awk -v about="$about" -v main="$main" \
        '$1 == main { m = NR } $1 == about { a = NR } END { exit !(a < m && a > 0) }'
}
e2e_wait_for 5 "the about box to stay in front of the main window" about_above_main
open_tray_menu
e2e_viewable "$about" || e2e_fail "the tray menu closed the about box"
e2e_shot "tray-menu-over-about-box" >/dev/null
e2e_click $((mx + mw / 2)) $((my + mh - 13))                   # the last item, Exit
e2e_expect_program_end 5
e2e_rest_pointer
e2e_wait_for 5 "the tray to look empty after Exit" e2e_tray_empty "$E2E_WORK/tray-empty.png"
e2e_shot "after-exit" >/dev/null

# --- An about box left open does not halt a run: the copy grows while it is open -----------------
big_source="$E2E_WORK/big-source"
big_destination="$E2E_WORK/big-destination"
mkdir -p "$big_source" "$big_destination"
head -c 3G /dev/zero >"$big_source/big.bin"
printf 'Big;%s;%s;0\r\n' "$big_source" "$big_destination" >"$E2E_APP/Items.txt"
# The copy in the making is an unnamed file in the destination folder: it is reached through the
# program's open descriptors.
part_bytes() {
    local fd bytes=0
    for fd in /proc/"$pid"/fd/*; do
        [[ -f "$fd" && "$(readlink "$fd" 2>/dev/null)" == "$big_destination"/* ]] &&
            bytes=$(stat -L -c %s "$fd" 2>/dev/null || echo 0)
    done
    echo "$bytes"
}
copy_begun() { (($(part_bytes) > 0)); }
# The copy takes less than a second on a fast disk, less than opening the box from the tray takes. Until
# Exit has been seen to let the copy go on, the program gets a tenth of the time (stopped and continued from
# here), so that the box opens in the middle of the copy however fast the machine; after that, a two hundredth,
# so that the copy outlasts the checks of the end however fast the machine.
# The time to stop for is replaced whole (a rename), never read half written.
stop_for() {
    echo "$1" >"$E2E_WORK/stopped-for.new"
    mv "$E2E_WORK/stopped-for.new" "$E2E_WORK/stopped-for"
}
stop_for 0.045
slow_down() {
    while kill -STOP "$1" 2>/dev/null; do
        sleep "$(<"$E2E_WORK/stopped-for")"
        kill -CONT "$1" 2>/dev/null
        sleep 0.005
    done
}
e2e_start_program
pid=$E2E_APP_PID
slow_down "$pid" &
slowing=$!
e2e_wait_for 10 "the tray icon of the second start" e2e_tray_icon_window "$pid"
read -r icon_x icon_y icon_w icon_h < <(e2e_geometry "$(e2e_tray_icon_window "$pid")")
icon_cx=$((icon_x + icon_w / 2))
icon_cy=$((icon_y + icon_h / 2))
e2e_wait_for 20 "the scheduled copy of the large file to begin" copy_begun
open_tray_menu
e2e_click $((mx + mw / 2)) $((my + mh / 2))                  # information
e2e_wait_for 10 "the about box \"Info\" during the copy" e2e_window_titled "$pid" "Info"
open_at=$(part_bytes)
((open_at > 0)) || e2e_fail "the copy was over before the about box opened: nothing to tell from"
copy_goes_on() { (($(part_bytes) > open_at)); }
e2e_wait_for 10 "the copy to grow past $open_at bytes while the about box is open" copy_goes_on
e2e_log "copy: $open_at bytes as the about box opened, $(part_bytes) bytes while it stays open"
e2e_window_titled "$pid" "Info" >/dev/null || e2e_fail "the about box closed by itself during the copy"
e2e_shot "about-box-during-copy" >/dev/null

# --- Exit lets the copy go on; a start meanwhile waits for the program to end and takes its place; a
# termination signal after Exit stops the copy --------------------------------------------------------
open_tray_menu
e2e_click $((mx + mw / 2)) $((my + mh - 13))                   # Exit
e2e_wait_for 5 "the about box to close on Exit during the copy" about_closed
exit_at=$(part_bytes)
copy_goes_on_after_exit() { e2e_program_running && (($(part_bytes) > exit_at)); }
e2e_wait_for 5 "the copy to go on after Exit (it must not end the program in the middle of its copy)" \
    copy_goes_on_after_exit
stop_for 0.995
(cd "$E2E_WORK/cwd" && exec "$E2E_APP/Dupliqa") >>"$E2E_WORK/app.log" 2>&1 &
later=$!
e2e_holds 2 "a start while the program was ending did not wait for it" kill -0 "$later"
copy_made() { [[ -n "$(find "$big_destination" -name big.bin)" ]]; }
copy_made && e2e_fail "the copy was over before the signal: nothing to tell from"
kill -TERM "$pid"
kill "$slowing"
wait "$slowing" 2>/dev/null || true
kill -CONT "$pid"
e2e_expect_program_end 10
copy_made && e2e_fail "the copy was finished after SIGTERM rather than stopped"
E2E_APP_PID=$later
pid=$later
e2e_wait_for 10 "the tray icon of the start that waited" e2e_tray_icon_window "$pid"
kill -TERM "$pid"
e2e_expect_program_end 10
e2e_log "PASS"
