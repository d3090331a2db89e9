#!/usr/bin/env bash
# Saves pictures of Dupliqa living in a system tray, for a person to look at. The program runs
# from a fresh folder under Xvfb, with trayer as the tray at the top right of the screen, and is
# driven with real clicks through xdotool. Into the picture folder go:
#   tray-icon.png          the screen at start-up: only the icon in the tray
#   tray-icon-zoomed.png   the tray, four times enlarged
#   tray-menu.png          the tray menu, opened with the right button
#   main-window.png        the main window, shown by a double click on the icon
#   about-box.png          the about box, opened from the tray menu's middle item
#
#   scripts/screenshot-tray.sh [PICTURE_FOLDER]        (default: build/screenshots/tray)
#
# The program is $DUPLIQA_BINARY, else build/app/Dupliqa (built first when it is missing).
# Ends with status 77 when this machine cannot start Xvfb or lacks a tool.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-$root/build/screenshots/tray}"
binary="${DUPLIQA_BINARY:-$root/build/app/Dupliqa}"
[[ -x $binary ]] || "$root/scripts/build.sh" build

E2E_NAME=screenshot-tray
E2E_NUMBERED_SHOTS=0
E2E_CLEAN_SHOTS=0
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init "$folder"
pictures=(tray-icon tray-icon-zoomed tray-menu main-window about-box)
for picture in "${pictures[@]}"; do
    rm -f "$E2E_SHOTS/$picture.png"
done
export LANG=C.UTF-8 LC_ALL=C.UTF-8

e2e_copy_program "$binary"
e2e_start_xvfb
e2e_start_trayer
e2e_rest_pointer
e2e_grab_tray "$E2E_WORK/tray-empty.png"
e2e_start_program
pid=$E2E_APP_PID
e2e_wait_for 10 "the tray icon" e2e_tray_icon_window "$pid"
e2e_wait_for 10 "the tray icon to be drawn" e2e_tray_drawn "$E2E_WORK/tray-empty.png"
icon="$(e2e_tray_icon_window "$pid")"
read -r icon_x icon_y icon_w icon_h < <(e2e_geometry "$icon")
icon_cx=$((icon_x + icon_w / 2))
icon_cy=$((icon_y + icon_h / 2))

# The tray icon.
e2e_shot tray-icon >/dev/null
read -r panel_x panel_y panel_w panel_h < <(e2e_geometry "$E2E_PANEL")
convert "$E2E_SHOTS/tray-icon.png" -crop "${panel_w}x${panel_h}+${panel_x}+${panel_y}" +repage \
    -filter point -resize 400% "$E2E_SHOTS/tray-icon-zoomed.png"

# The tray menu; a click on the desktop closes it again.
open_tray_menu() {
    local before
    before="$(e2e_visible_toplevels "$pid" | tr '\n' ' ')"
    e2e_click "$icon_cx" "$icon_cy" 3
    e2e_wait_for 5 "the tray menu to open" e2e_new_toplevel "$pid" "$before"
    menu="$(e2e_new_toplevel "$pid" "$before")"
    e2e_wait_stable "$menu"
    read -r mx my mw mh < <(e2e_geometry "$menu")
}
open_tray_menu
e2e_shot tray-menu >/dev/null
e2e_click "$E2E_REST_X" "$E2E_REST_Y"
menu_closed() { ! e2e_viewable "$menu"; }
e2e_wait_for 5 "the tray menu to close" menu_closed

# The main window after a double click on the icon.
e2e_double_click "$icon_cx" "$icon_cy"
e2e_wait_for 10 "the main window" e2e_main_window "$pid"
main="$(e2e_main_window "$pid")"
e2e_rest_pointer
e2e_wait_stable "$main"
e2e_shot main-window >/dev/null

# The about box, from the tray menu's middle item.
open_tray_menu
e2e_click $((mx + mw / 2)) $((my + mh / 2))
e2e_wait_for 10 "the about box" e2e_window_titled "$pid" "Info"
about="$(e2e_window_titled "$pid" "Info")"
e2e_rest_pointer
e2e_wait_stable "$about"
e2e_shot about-box >/dev/null
read -r ax ay aw ah < <(e2e_geometry "$about")
e2e_click $((ax + aw - 6 - 37)) $((ay + ah - 6 - 12))          # OK
about_closed() { ! e2e_viewable "$about"; }
e2e_wait_for 5 "the about box to close" about_closed

# Exit from the tray menu: its last item.
open_tray_menu
e2e_click $((mx + mw / 2)) $((my + mh - 13))
e2e_expect_program_end 5

for picture in "${pictures[@]}"; do
    echo "Saved $E2E_SHOTS/$picture.png"
done
