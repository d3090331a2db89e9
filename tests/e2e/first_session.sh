#!/usr/bin/env bash
# A newcomer's first session, end to end, with the real program under Xvfb and a system tray:
# the program starts alone in a fresh folder and shows only its tray icon; a double click shows
# the window; the wizard, driven by real clicks and typing, makes a profile; Run backs up a real
# folder tree byte for byte with its modification times; a second Run copies only what changed;
# the Language menu relabels the window; the tray menu's Exit ends the program and takes the
# icon away.
#   first_session.sh PROGRAM SCREENSHOT_FOLDER
E2E_NAME=first-session
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# -eq 2 ]] || { echo "usage: $0 PROGRAM SCREENSHOT_FOLDER" >&2; exit 2; }
e2e_init "$2"
e2e_copy_program "$1"
# A language file put beside the program before its first start: only the one key.
printf '[Language]\r\nBcreate=NewOne\r\n' >"$E2E_APP/Test.lang"

# --- A real folder tree to back up: distinct contents and modification times ------------------
source_root="$E2E_WORK/source/Documents"
disk="$E2E_WORK/backup-disk"            # stands for the backup disk: it exists
destination="$disk/Backup"              # the profile's destination: the program creates it
mkdir -p "$source_root/letters/2019" "$source_root/photos" "$source_root/Έγγραφα" \
    "$source_root/empty-folder/inner" "$disk"
printf 'Dupliqa end-to-end test: a file at the top\n' >"$source_root/readme.txt"
printf 'Dear Ana,\nthe backup works.\n' >"$source_root/letters/2019/letter.txt"
head -c 204800 /dev/urandom >"$source_root/letters/big.bin"        # 200 KB: several blocks
head -c 49152 /dev/urandom >"$source_root/letters/block.bin"       # exactly one 48 KiB block
: >"$source_root/photos/empty.dat"
printf 'Σημείωση στα ελληνικά\n' >"$source_root/Έγγραφα/σημείωση με κενό.txt"
printf 'odd second\n' >"$source_root/odd-second.txt"
# Times in local time, on whole even seconds (modification stamps have 2-second steps), away
# from any change of daylight saving time; one summer and several winter dates.
touch -d '2021-07-15 10:20:30' "$source_root/readme.txt"
touch -d '2019-01-02 03:04:06' "$source_root/letters/2019/letter.txt"
touch -d '2022-03-04 05:06:08' "$source_root/letters/big.bin"
touch -d '2020-06-30 23:59:58' "$source_root/letters/block.bin"
touch -d '2018-12-31 12:00:00' "$source_root/photos/empty.dat"
touch -d '2023-02-28 16:45:10' "$source_root/Έγγραφα/σημείωση με κενό.txt"
touch -d '2024-05-05 05:05:05' "$source_root/odd-second.txt"

# Succeeds when every source file has its copy at the destination root followed by the file's
# full path, with the same bytes and the source's modification time (an odd second rounds down
# to the even second below it), and the destination holds nothing else.
backup_matches() {
    local file copy expected_time
    while IFS= read -r -d '' file; do
        copy="$destination$file"
        [[ -f $copy ]] || { echo "missing: $copy"; return 1; }
        cmp -s "$file" "$copy" || { echo "content differs: $copy"; return 1; }
        expected_time=$(stat -c %Y "$file")
        expected_time=$((expected_time - expected_time % 2))
        [[ $(stat -c %Y "$copy") -eq $expected_time ]] \
            || { echo "time $(stat -c %Y "$copy") instead of $expected_time: $copy"; return 1; }
    done < <(find "$source_root" -type f -print0)
    local sources copies
    sources=$(find "$source_root" -type f | wc -l)
    copies=$(find "$destination" -type f | wc -l)
    [[ $sources -eq $copies ]] || { echo "$copies files at the destination for $sources sources"; return 1; }
}

error_log_clean() {
    local log
    log="$(find "$E2E_APP" -maxdepth 1 -iname 'error.log' -print -quit)"
    [[ -z $log || ! -s $log ]]
}

# --- Start: only the tray icon ------------------------------------------------------------
e2e_start_xvfb
e2e_start_trayer
e2e_rest_pointer
e2e_shot "empty-tray" >/dev/null
e2e_grab_tray "$E2E_WORK/tray-empty.png"

e2e_start_program
pid=$E2E_APP_PID
e2e_wait_for 10 "the tray icon" e2e_tray_icon_window "$pid"
e2e_wait_for 10 "the tray icon to be drawn" e2e_tray_drawn "$E2E_WORK/tray-empty.png"
e2e_wait_for 10 "Dupliqa.ini, English.Lang and Items.txt beside the program" \
    test -s "$E2E_APP/Dupliqa.ini" -a -s "$E2E_APP/English.Lang" -a -f "$E2E_APP/Items.txt"
# The window stays hidden, also past the one-shot start-up timer.
e2e_holds 3 "a window of the program is visible at start-up although a tray shows its icon" \
    e2e_no_visible_toplevel "$pid"
e2e_program_running || e2e_fail "the program ended at start-up"
e2e_shot "tray-icon-only" >/dev/null

[[ "$(cat "$E2E_APP/Dupliqa.ini")" == $'[Language]\r\nLanguage=English\r' ]] \
    || e2e_fail "Dupliqa.ini is not [Language] Language=English with CR LF: $(od -c "$E2E_APP/Dupliqa.ini" | head -5)"
keys=$(LC_ALL=C grep -a -c '^[A-Za-z0-9]*=' "$E2E_APP/English.Lang" || true)
[[ $keys -eq 48 ]] || e2e_fail "English.Lang holds $keys keys instead of 48"
LC_ALL=C grep -a -q $'^Bcreate=\xc4\xe7\xec\xe9\xef\xf5\xf1\xe3\xdf\xe1\r$' "$E2E_APP/English.Lang" \
    || e2e_fail "English.Lang lacks Bcreate with the Windows-1253 bytes of its Greek text"
[[ "$(cat "$E2E_APP/Test.lang")" == $'[Language]\r\nBcreate=NewOne\r' ]] \
    || e2e_fail "Test.lang changed although nobody chose it"
[[ -z "$(ls -A "$E2E_WORK/cwd")" ]] || e2e_fail "the program wrote into its working folder: $(ls -A "$E2E_WORK/cwd")"

icon="$(e2e_tray_icon_window "$pid")"
read -r icon_x icon_y icon_w icon_h < <(e2e_geometry "$icon")
icon_cx=$((icon_x + icon_w / 2))
icon_cy=$((icon_y + icon_h / 2))
e2e_log "tray icon: window $icon, middle at $icon_cx,$icon_cy"

# --- A double click on the icon shows the window ------------------------------------------
e2e_double_click "$icon_cx" "$icon_cy"
e2e_wait_for 10 "the main window after a double click on the tray icon" e2e_main_window "$pid"
main="$(e2e_main_window "$pid")"
e2e_measure_main_window "$main"
e2e_log "main window $main at $MAIN_X,$MAIN_Y, ${MAIN_W}x$MAIN_H; toolbar middle y=$TOOLBAR_Y, list from y=$LIST_TOP"
e2e_shot "main-window-greek" >/dev/null
button_w=61
button_h=42
create_x=$(e2e_toolbar_button_x 0)
delete_x=$(e2e_toolbar_button_x 1)
run_x=$(e2e_toolbar_button_x 3)
grab_button() { # grab_button MIDDLE_X FILE
    e2e_grab $(($1 - button_w / 2)) $((TOOLBAR_Y - button_h / 2)) "$button_w" "$button_h" "$2"
}
grab_button "$create_x" "$E2E_WORK/create-greek.png"
grab_button "$delete_x" "$E2E_WORK/delete-greek.png"

# --- The wizard makes a profile -------------------------------------------------------------
e2e_click "$create_x" "$TOOLBAR_Y"
e2e_wait_for 10 "the wizard window \"Οδηγός\"" e2e_window_titled "$pid" "Οδηγός"
wizard="$(e2e_window_titled "$pid" "Οδηγός")"
read -r wx wy ww wh < <(e2e_geometry "$wizard")
[[ $ww -eq 437 && $wh -eq 280 ]] || e2e_fail "the wizard's client area is ${ww}x$wh, not 437x280"
e2e_shot "wizard-welcome" >/dev/null
next_x=$((wx + 248 + 40))
next_y=$((wy + 250 + 12))

e2e_click "$next_x" "$next_y"                                  # page 1: source
e2e_click $((wx + 144 + 84)) $((wy + 80 + 10))                  # Esource
e2e_wait_for 5 "the keyboard focus on the wizard" e2e_has_focus "$wizard"
e2e_type "$source_root"
e2e_shot "wizard-source" >/dev/null

e2e_click "$next_x" "$next_y"                                  # page 2: destination
e2e_click $((wx + 144 + 84)) $((wy + 176 + 10))                 # Edestination
e2e_type "$destination"
e2e_shot "wizard-destination" >/dev/null

e2e_click "$next_x" "$next_y"                                  # page 3: period
e2e_click $((wx + 136 + 72 + 20)) $((wy + 24 + 37 + 10))        # Edit1
xdotool key ctrl+a
e2e_type "3600"
e2e_shot "wizard-period" >/dev/null

e2e_click "$next_x" "$next_y"                                  # page 4: name
e2e_click $((wx + 136 + 32 + 92)) $((wy + 24 + 64 + 10))        # Ename
xdotool key ctrl+a
e2e_type "E2eProfile"
e2e_shot "wizard-name" >/dev/null

e2e_click "$next_x" "$next_y"                                  # Finish
wizard_closed() { ! e2e_window_titled "$pid" "Οδηγός"; }
e2e_wait_for 10 "the wizard to close after Finish" wizard_closed
expected_line="E2eProfile;$source_root;$destination;3600"
items_hold_profile() {
    [[ "$(od -An -tx1 -v "$E2E_APP/Items.txt" | tr -d ' \n')" == \
        "$(printf '%s\r\n' "$expected_line" | od -An -tx1 -v | tr -d ' \n')" ]]
}
e2e_wait_for 10 "Items.txt to hold exactly the line \"$expected_line\" with CR LF" items_hold_profile
e2e_rest_pointer
e2e_shot "profile-created" >/dev/null

# --- Run backs the tree up ---------------------------------------------------------------
e2e_click $((MAIN_X + 35)) $((LIST_TOP + 20))                  # the profile's item
# A profile made after start-up waits for its period: nothing may have run by itself.
[[ ! -e $destination ]] || e2e_fail "the destination exists before Run was clicked"
e2e_rest_pointer
# The idle look is taken once the program has drawn what the pointer's moves changed: two pictures
# of the button in a row alike.
run_settled() {
    grab_button "$run_x" "$E2E_WORK/run-idle.png"
    grab_button "$run_x" "$E2E_WORK/run-idle-again.png"
    e2e_same_picture "$E2E_WORK/run-idle.png" "$E2E_WORK/run-idle-again.png"
}
e2e_wait_for 10 "the Run button to hold still" run_settled
e2e_click "$run_x" "$TOOLBAR_Y"
e2e_rest_pointer
e2e_wait_for 30 "the backup at $destination to match the source" backup_matches
run_idle() {
    grab_button "$run_x" "$E2E_WORK/run-now.png"
    e2e_same_picture "$E2E_WORK/run-idle.png" "$E2E_WORK/run-now.png"
}
e2e_wait_for 15 "the Run button to look idle again after the run" run_idle
e2e_shot "after-run" >/dev/null
if ! report="$(backup_matches)"; then
    e2e_fail "after the run: $report"
fi
[[ ! -e "$destination$source_root/empty-folder" ]] || e2e_fail "a source folder without files was created at the destination"
error_log_clean || e2e_fail "the error log is not empty after a clean run: $(cat "$E2E_APP"/[Ee][Rr][Rr][Oo][Rr].[Ll][Oo][Gg])"
e2e_log "first run: $(find "$destination" -type f | wc -l) files backed up"

# --- A second Run copies only the file that changed -------------------------------------------
changed="$source_root/letters/2019/letter.txt"
declare -A inode_before
while IFS= read -r -d '' file; do
    inode_before[$file]=$(stat -c %i "$destination$file")
done < <(find "$source_root" -type f -print0)
printf 'Dear Ana,\nthe backup works, and it sees changes.\n' >"$changed"
touch -d '2025-01-20 08:30:44' "$changed"
e2e_click "$run_x" "$TOOLBAR_Y"
e2e_rest_pointer
e2e_wait_for 30 "the changed file to be copied again" cmp -s "$changed" "$destination$changed"
e2e_wait_for 15 "the Run button to look idle again after the second run" run_idle
if ! report="$(backup_matches)"; then
    e2e_fail "after the second run: $report"
fi
while IFS= read -r -d '' file; do
    [[ $file == "$changed" ]] && continue
    [[ $(stat -c %i "$destination$file") -eq ${inode_before[$file]} ]] \
        || e2e_fail "the second run copied an unchanged file again: $file"
done < <(find "$source_root" -type f -print0)
error_log_clean || e2e_fail "the error log is not empty after the second run"
e2e_shot "after-second-run" >/dev/null

# --- The Language menu relabels the window ----------------------------------------------------
e2e_rest_pointer
menu_bar_h=$((TOOLBAR_Y - 24 - MAIN_Y))
import -window root "$E2E_WORK/menu-bar.png"
mapfile -t entries < <(e2e_text_clusters "$E2E_WORK/menu-bar.png" "$MAIN_X" $((MAIN_Y + 2)) "$MAIN_W" $((menu_bar_h - 4)))
((${#entries[@]} >= 3)) || e2e_fail "the menu bar shows ${#entries[@]} entries, not at least 3: ${entries[*]}"
read -r from to <<<"${entries[2]}"
before="$(e2e_visible_toplevels "$pid" | tr '\n' ' ')"
e2e_click $((MAIN_X + (from + to) / 2)) $((MAIN_Y + menu_bar_h / 2))
e2e_wait_for 5 "the Language menu to open" e2e_new_toplevel "$pid" "$before"
menu="$(e2e_new_toplevel "$pid" "$before")"
read -r mx my mw mh < <(e2e_geometry "$menu")
e2e_shot "language-menu" >/dev/null
# At the first start Test.lang was the only language file, so the menu holds the one item "Test".
e2e_click $((mx + mw / 2)) $((my + (mh < 40 ? mh / 2 : 12)))
e2e_wait_for 5 "Dupliqa.ini to name the language Test" grep -q $'^Language=Test\r$' "$E2E_APP/Dupliqa.ini"
e2e_rest_pointer
create_relabelled() {
    grab_button "$create_x" "$E2E_WORK/create-now.png"
    ! e2e_same_picture "$E2E_WORK/create-greek.png" "$E2E_WORK/create-now.png"
}
e2e_wait_for 5 "the Create button's caption to change" create_relabelled
grab_button "$delete_x" "$E2E_WORK/delete-now.png"
e2e_same_picture "$E2E_WORK/delete-greek.png" "$E2E_WORK/delete-now.png" \
    || e2e_fail "the Delete button changed, although Test.lang has no text of its own for it"
e2e_shot "language-test" >/dev/null
keys=$(LC_ALL=C grep -a -c '^[A-Za-z0-9]*=' "$E2E_APP/Test.lang" || true)
[[ $keys -eq 48 ]] || e2e_fail "Test.lang holds $keys keys after the switch instead of 48"
LC_ALL=C grep -a -q $'^Bcreate=NewOne\r$' "$E2E_APP/Test.lang" || e2e_fail "Test.lang lost its own text for Bcreate"

# --- The tray menu's Exit ends the program and removes the icon -------------------------------
before="$(e2e_visible_toplevels "$pid" | tr '\n' ' ')"
e2e_click "$icon_cx" "$icon_cy" 3
e2e_wait_for 5 "the tray menu to open" e2e_new_toplevel "$pid" "$before"
menu="$(e2e_new_toplevel "$pid" "$before")"
read -r mx my mw mh < <(e2e_geometry "$menu")
e2e_shot "tray-menu" >/dev/null
e2e_click $((mx + mw / 2)) $((my + mh - 13))                   # the last item, Exit
e2e_expect_program_end 5
e2e_rest_pointer
e2e_wait_for 5 "the tray to look empty again after Exit" e2e_tray_empty "$E2E_WORK/tray-empty.png"
e2e_shot "after-exit" >/dev/null
[[ -z "$(ls -A "$E2E_WORK/cwd")" ]] || e2e_fail "the program wrote into its working folder: $(ls -A "$E2E_WORK/cwd")"
e2e_log "PASS"
