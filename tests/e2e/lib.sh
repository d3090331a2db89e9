# shellcheck shell=bash
# Shared helpers of the end-to-end tests and of scripts/screenshot-tray.sh; sourced, never run.
#
# A private X server (Xvfb picks a free display itself), an optional system tray (trayer), the
# program copied alone into a fresh folder, waits that poll with a deadline, window lookups by
# process id, real mouse and keyboard input through xdotool, and screenshots. Every process
# started here is ended by e2e_cleanup, which the EXIT trap runs, by its own process id.
#
# Before sourcing, a caller may set E2E_NAME (used in messages), E2E_NUMBERED_SHOTS=0 (pictures
# named NAME.png instead of NN-NAME.png) and E2E_CLEAN_SHOTS=0 (keep what the screenshot folder
# already holds). After e2e_init it may use:
#   E2E_WORK   a fresh temporary folder, removed at exit unless E2E_KEEP_WORK=1
#   E2E_SHOTS  the screenshot folder
#   E2E_APP    the folder that holds the copied program

set -euo pipefail

E2E_NAME="${E2E_NAME:-e2e}"
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# 1: screenshots are named NN-NAME.png in the order taken; 0: NAME.png.
E2E_NUMBERED_SHOTS="${E2E_NUMBERED_SHOTS:-1}"
E2E_WORK=""
E2E_SHOTS=""
E2E_APP=""
E2E_XVFB_PID=""
E2E_TRAYER_PID=""
E2E_APP_PID=""
# Further helpers a test starts itself (a session bus, a notification service), ended like the rest.
E2E_OTHER_PIDS=()
E2E_PANEL=""
E2E_SHOT_COUNT=0
E2E_SCREEN_W=1024
E2E_SCREEN_H=768
# Where the pointer rests while a picture is compared: the black desktop, far from every window.
E2E_REST_X=700
E2E_REST_Y=700

# The script's own output and error streams, kept so that a message reaches them even from a
# check whose output a wait sends to /dev/null.
exec {E2E_OUT}>&1 {E2E_ERR}>&2

e2e_log() {
    echo "[$E2E_NAME $(date +%T)] $*" >&"$E2E_OUT"
}

e2e_skip() {
    echo "SKIP ($E2E_NAME): $*" >&"$E2E_OUT"
    exit 77
}

e2e_fail() {
    echo "FAIL ($E2E_NAME): $*" >&"$E2E_ERR"
    if [[ -n ${DISPLAY:-} && -n $E2E_SHOTS ]]; then
        e2e_shot "failure" >&"$E2E_ERR" || true
    fi
    if [[ -n $E2E_WORK && -f $E2E_WORK/app.log && -s $E2E_WORK/app.log ]]; then
        echo "--- the program's output:" >&"$E2E_ERR"
        tail -n 40 "$E2E_WORK/app.log" >&"$E2E_ERR" || true
    fi
    exit 1
}

# Milliseconds since the epoch.
e2e_now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# e2e_wait_for SECONDS DESCRIPTION COMMAND...: runs COMMAND every 100 ms until it succeeds; fails
# the test with DESCRIPTION when SECONDS have passed first.
e2e_wait_for() {
    local seconds=$1 description=$2
    shift 2
    local deadline=$(($(e2e_now_ms) + seconds * 1000))
    local output=/dev/null
    [[ -n $E2E_WORK ]] && output="$E2E_WORK/wait-output.txt"
    while true; do
        if "$@" >"$output" 2>&1; then
            return 0
        fi
        if (($(e2e_now_ms) > deadline)); then
            local last=""
            [[ -s $output ]] && last=" (last said: $(tail -n 3 "$output" | tr '\n' ' '))"
            e2e_fail "timed out after ${seconds}s waiting for: $description$last"
        fi
        sleep 0.1
    done
}

# e2e_holds SECONDS DESCRIPTION COMMAND...: COMMAND must keep succeeding for SECONDS (checked
# every 200 ms); fails the test with DESCRIPTION as soon as it does not.
e2e_holds() {
    local seconds=$1 description=$2
    shift 2
    local deadline=$(($(e2e_now_ms) + seconds * 1000))
    while (($(e2e_now_ms) <= deadline)); do
        "$@" >/dev/null 2>&1 || e2e_fail "$description"
        sleep 0.2
    done
}

# Ends one process that this script started: politely, then for good; reaps it.
e2e_stop_process() {
    local pid=$1
    [[ -n $pid ]] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        local _
        for _ in $(seq 30); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

e2e_cleanup() {
    local status=$?
    e2e_stop_process "$E2E_APP_PID"
    local other
    for other in "${E2E_OTHER_PIDS[@]}"; do
        e2e_stop_process "$other"
    done
    e2e_stop_process "$E2E_TRAYER_PID"
    e2e_stop_process "$E2E_XVFB_PID"
    if [[ -n $E2E_WORK && ${E2E_KEEP_WORK:-0} != 1 ]]; then
        rm -rf "$E2E_WORK"
    elif [[ -n $E2E_WORK ]]; then
        echo "Work folder kept: $E2E_WORK" >&"$E2E_OUT"
    fi
    if [[ -n $E2E_SHOTS ]]; then
        echo "Screenshots of $E2E_NAME: $E2E_SHOTS" >&"$E2E_OUT"
    fi
    exit "$status"
}

# e2e_init SHOT_FOLDER: checks the tools, makes the work and screenshot folders, sets the trap.
e2e_init() {
    local shots=$1
    local tool
    for tool in Xvfb xdotool xwininfo xprop import convert compare; do
        command -v "$tool" >/dev/null 2>&1 || e2e_skip "$tool is not installed (see scripts/debian-packages.txt)"
    done
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    E2E_WORK="$(mktemp -d "${TMPDIR:-/tmp}/dupliqa-e2e.XXXXXX")"
    E2E_SHOTS="$(realpath -m "$shots")"
    # A test owns its screenshot folder and starts it afresh; a script leaves other files alone.
    if [[ ${E2E_CLEAN_SHOTS:-1} == 1 ]]; then
        rm -rf "$E2E_SHOTS"
    fi
    mkdir -p "$E2E_SHOTS"
    e2e_log "screenshots go to $E2E_SHOTS"
    # The program and Qt see a quiet, private environment.
    mkdir -p "$E2E_WORK/home" "$E2E_WORK/runtime" "$E2E_WORK/cwd"
    chmod 700 "$E2E_WORK/runtime"
    export HOME="$E2E_WORK/home"
    export XDG_RUNTIME_DIR="$E2E_WORK/runtime"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
    export LANG="${LANG:-C.UTF-8}"
}

# Starts a private X server of 1024 x 768 at 24 bits and exports DISPLAY.
e2e_start_xvfb() {
    local number_file="$E2E_WORK/display-number"
    : >"$number_file"
    # -displayfd: the server chooses a free display and writes its number once it accepts clients.
    # -noreset: the server keeps its state (the pointer position) when its last client leaves.
    Xvfb -displayfd 9 -screen 0 "${E2E_SCREEN_W}x${E2E_SCREEN_H}x24" -nolisten tcp -noreset \
        9>"$number_file" >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local deadline=$(($(e2e_now_ms) + 15000))
    while ! grep -q '^[0-9][0-9]*$' "$number_file" 2>/dev/null; do
        if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
            e2e_skip "Xvfb refused to start: $(tail -n 3 "$E2E_WORK/xvfb.log" | tr '\n' ' ')"
        fi
        if (($(e2e_now_ms) > deadline)); then
            e2e_skip "Xvfb did not report a display within 15 s"
        fi
        sleep 0.1
    done
    DISPLAY=":$(head -n 1 "$number_file")"
    export DISPLAY
    e2e_wait_for 10 "the X server at $DISPLAY to answer" xwininfo -root
    e2e_log "Xvfb on $DISPLAY"
}

# Prints the top-level windows of process PID that are viewable: the children of the root and,
# under a window manager, the windows it manages inside frames of its own.
e2e_visible_toplevels() {
    local pid=$1 window
    for window in $( (xwininfo -root -children 2>/dev/null | sed -n 's/^ \{5\}\(0x[0-9a-f]*\) .*/\1/p'
        xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/^.*# //p' | tr -d ' ' | tr ',' '\n') | awk 'NF && !seen[$0]++'); do
        e2e_window_belongs "$window" "$pid" || continue
        xwininfo -id "$window" 2>/dev/null | grep 'Map State: IsViewable' >/dev/null || continue
        echo "$window"
    done
}

# Succeeds when WINDOW carries _NET_WM_PID = PID.
e2e_window_belongs() {
    local window=$1 pid=$2
    [[ "$(xprop -id "$window" _NET_WM_PID 2>/dev/null | sed -n 's/.* = \([0-9]*\)$/\1/p')" == "$pid" ]]
}

e2e_viewable() {
    xwininfo -id "$1" 2>/dev/null | grep 'Map State: IsViewable' >/dev/null
}

e2e_no_visible_toplevel() {
    [[ -z "$(e2e_visible_toplevels "$1")" ]]
}

# Prints "x y width height" of WINDOW: the absolute position of its own (client) area.
e2e_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { if (w == "") exit 1; print x, y, w, h }'
}

# Starts trayer at the top right of the screen, 120 x 32 pixels, and waits for its panel window.
e2e_start_trayer() {
    command -v trayer >/dev/null 2>&1 || e2e_skip "trayer is not installed (see scripts/debian-packages.txt)"
    trayer --edge top --align right --widthtype pixel --width 120 --height 32 --transparent false \
        >"$E2E_WORK/trayer.log" 2>&1 &
    E2E_TRAYER_PID=$!
    e2e_wait_for 10 "trayer's panel window" e2e_find_panel
    E2E_PANEL="$(e2e_find_panel)"
    # The tray is ready once it owns the system tray selection; its panel is mapped after that.
    e2e_log "trayer's panel is window $E2E_PANEL at $(e2e_geometry "$E2E_PANEL")"
}

e2e_find_panel() {
    local window
    for window in $(e2e_visible_toplevels "$E2E_TRAYER_PID"); do
        if xwininfo -id "$window" | grep '"panel"' >/dev/null; then
            echo "$window"
            return 0
        fi
    done
    return 1
}

# Starts openbox as the window manager, with its stock settings, and waits until it runs.
e2e_start_openbox() {
    command -v openbox >/dev/null 2>&1 || e2e_skip "openbox is not installed (see scripts/debian-packages.txt)"
    openbox --sm-disable >"$E2E_WORK/openbox.log" 2>&1 &
    E2E_OTHER_PIDS+=("$!")
    e2e_wait_for 10 "openbox to manage the screen" e2e_window_manager_runs
}

e2e_window_manager_runs() {
    [[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]]
}

# e2e_offers WINDOW ACTION: succeeds when the window manager lists _NET_WM_ACTION_<ACTION> among
# what the user may do with WINDOW.
e2e_offers() {
    [[ "$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>/dev/null)" =~ _NET_WM_ACTION_$2(,|$) ]]
}

# Prints the window of process PID that is embedded in trayer's panel and viewable: the tray icon.
e2e_tray_icon_window() {
    local pid=$1 window
    [[ -n $E2E_PANEL ]] || return 1
    for window in $(xwininfo -id "$E2E_PANEL" -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        [[ $window == "$E2E_PANEL" ]] && continue
        e2e_window_belongs "$window" "$pid" || continue
        xwininfo -id "$window" 2>/dev/null | grep 'Map State: IsViewable' >/dev/null || continue
        echo "$window"
        return 0
    done
    return 1
}

# e2e_grab_tray FILE: a picture of trayer's panel as it is now.
e2e_grab_tray() {
    local x y w h
    read -r x y w h < <(e2e_geometry "$E2E_PANEL")
    e2e_grab "$x" "$y" "$w" "$h" "$1"
}

# Succeeds when trayer's panel looks different from the picture EMPTY (taken before the program
# started) and has stopped changing: the icon has been drawn.
e2e_tray_drawn() {
    e2e_grab_tray "$E2E_WORK/tray-drawn-a.png"
    e2e_same_picture "$1" "$E2E_WORK/tray-drawn-a.png" && return 1
    sleep 0.15
    e2e_grab_tray "$E2E_WORK/tray-drawn-b.png"
    e2e_same_picture "$E2E_WORK/tray-drawn-a.png" "$E2E_WORK/tray-drawn-b.png"
}

# Succeeds when trayer's panel looks like the picture EMPTY again.
e2e_tray_empty() {
    e2e_grab_tray "$E2E_WORK/tray-now.png"
    e2e_same_picture "$1" "$E2E_WORK/tray-now.png"
}

# e2e_copy_program BINARY: copies the program alone into a fresh folder, E2E_APP.
e2e_copy_program() {
    local binary=$1
    [[ -x $binary ]] || e2e_fail "no program at $binary"
    E2E_APP="$E2E_WORK/app"
    mkdir -p "$E2E_APP"
    cp "$binary" "$E2E_APP/Dupliqa"
}

# Starts the copied program, from a working folder of its own so that nothing lands there unseen.
e2e_start_program() {
    (cd "$E2E_WORK/cwd" && exec "$E2E_APP/Dupliqa") >>"$E2E_WORK/app.log" 2>&1 &
    E2E_APP_PID=$!
    e2e_log "program started, process $E2E_APP_PID"
}

e2e_program_running() {
    kill -0 "$E2E_APP_PID" 2>/dev/null
}

# Waits until the program has ended (at most SECONDS) and fails unless its exit status is 0.
e2e_expect_program_end() {
    local seconds=$1
    local deadline=$(($(e2e_now_ms) + seconds * 1000))
    while kill -0 "$E2E_APP_PID" 2>/dev/null; do
        if (($(e2e_now_ms) > deadline)); then
            e2e_fail "the program still runs ${seconds}s after Exit"
        fi
        sleep 0.1
    done
    local status=0
    wait "$E2E_APP_PID" || status=$?
    E2E_APP_PID=""
    [[ $status -eq 0 ]] || e2e_fail "the program ended with exit status $status"
}

# e2e_shot NAME: a PNG of the whole screen in the screenshot folder; prints its path.
e2e_shot() {
    E2E_SHOT_COUNT=$((E2E_SHOT_COUNT + 1))
    local file="$E2E_SHOTS/$1.png"
    if [[ $E2E_NUMBERED_SHOTS == 1 ]]; then
        file="$E2E_SHOTS/$(printf '%02d' "$E2E_SHOT_COUNT")-$1.png"
    fi
    import -window root "$file"
    echo "$file"
}

# e2e_wait_stable WINDOW: waits until two pictures of WINDOW taken 150 ms apart are the same, so
# that it has been drawn and no effect is still playing.
e2e_wait_stable() {
    local x y w h
    read -r x y w h < <(e2e_geometry "$1")
    e2e_grab "$x" "$y" "$w" "$h" "$E2E_WORK/stable-a.png"
    local deadline=$(($(e2e_now_ms) + 10000))
    while true; do
        sleep 0.15
        e2e_grab "$x" "$y" "$w" "$h" "$E2E_WORK/stable-b.png"
        e2e_same_picture "$E2E_WORK/stable-a.png" "$E2E_WORK/stable-b.png" && return 0
        (($(e2e_now_ms) < deadline)) || e2e_fail "window $1 did not settle within 10 s"
        mv -f "$E2E_WORK/stable-b.png" "$E2E_WORK/stable-a.png"
    done
}

# e2e_send_close WINDOW: the close request of a title bar's close button, as a window manager
# sends it.
e2e_send_close() {
    command -v python3 >/dev/null 2>&1 || e2e_skip "python3 is not installed (see scripts/debian-packages.txt)"
    python3 "$E2E_DIR/send-close.py" "$1" || e2e_fail "could not send the close request to window $1"
}

# e2e_grab X Y W H TARGET: a region of the screen as it is now.
e2e_grab() {
    import -window root -crop "${3}x${4}+${1}+${2}" +repage "$5"
}

# Succeeds when two pictures of the same size have no pixel that differs; a comparison that
# cannot be made fails the test.
e2e_same_picture() {
    local count
    count="$(compare -metric AE "$1" "$2" null: 2>&1 >/dev/null || true)"
    [[ $count =~ ^[0-9]+$ ]] || e2e_fail "could not compare $1 with $2: $count"
    [[ $count -eq 0 ]]
}

# Moves the pointer to its resting place and waits until the server reports it there.
e2e_rest_pointer() {
    e2e_move_pointer "$E2E_REST_X" "$E2E_REST_Y"
}

e2e_pointer_at() {
    [[ "$(xdotool getmouselocation 2>/dev/null)" == "x:$1 y:$2 "* ]]
}

e2e_move_pointer() {
    xdotool mousemove "$1" "$2"
    e2e_wait_for 5 "the pointer to reach $1,$2" e2e_pointer_at "$1" "$2"
}

# e2e_click X Y [BUTTON]: moves the pointer there and clicks, as a person would.
e2e_click() {
    e2e_move_pointer "$1" "$2"
    xdotool click "${3:-1}"
}

e2e_double_click() {
    e2e_move_pointer "$1" "$2"
    xdotool click --repeat 2 --delay 120 1
}

# Succeeds when the keyboard focus is on WINDOW.
e2e_has_focus() {
    [[ "$(xdotool getwindowfocus 2>/dev/null)" -eq "$(($1))" ]]
}

# e2e_type TEXT: types TEXT into whatever has the keyboard focus.
e2e_type() {
    xdotool type --delay 25 -- "$1"
}

# Prints the window of process PID that is titled TITLE and viewable.
e2e_window_titled() {
    local pid=$1 title=$2 window
    for window in $(e2e_visible_toplevels "$pid"); do
        if [[ "$(xprop -id "$window" _NET_WM_NAME 2>/dev/null | sed -n 's/^[^"]*"\(.*\)"$/\1/p')" == "$title" ]]; then
            echo "$window"
            return 0
        fi
    done
    return 1
}

# Prints the program's main window once it is viewable: its one top-level window of at least
# 300 x 200 pixels.
e2e_main_window() {
    local pid=$1 window
    for window in $(e2e_visible_toplevels "$pid"); do
        read -r _ _ width height < <(e2e_geometry "$window")
        if ((width >= 300 && height >= 200)); then
            echo "$window"
            return 0
        fi
    done
    return 1
}

# Prints the program's viewable top-level windows that are not in the list EXCLUDED (a popup
# menu that has just opened, for instance).
e2e_new_toplevel() {
    local pid=$1 excluded=$2 window
    for window in $(e2e_visible_toplevels "$pid"); do
        [[ " $excluded " == *" $window "* ]] && continue
        echo "$window"
        return 0
    done
    return 1
}

# e2e_first_white_row PICTURE X Y HEIGHT: prints how many rows below Y, in column X, the first
# pure white pixel lies (the inside of the profile list), or fails.
e2e_first_white_row() {
    # awk reads to the end: under pipefail a reader that leaves early fails the pipeline by SIGPIPE.
    convert "$1" -crop "1x${4}+${2}+${3}" +repage -depth 8 txt:- |
        awk '!found && NR > 1 && $0 ~ /#FFFFFF/ { split($1, a, ","); sub(":", "", a[2]); print a[2]; found = 1 }
             END { if (!found) exit 1 }'
}

# e2e_text_clusters PICTURE X Y W H: prints "from to" for every run of columns of the region that
# hold dark pixels, runs closer than 9 pixels merged: the entries of a menu bar, left to right,
# relative to X.
e2e_text_clusters() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace gray -threshold 50% -negate \
        -scale "${4}x1!" -depth 8 txt:- |
        awk 'NR > 1 { split($1, a, ","); for (i = 2; i <= NF; i++) if ($i ~ /^#/) { if ($i != "#000000") print a[1]; break } }' |
        awk 'NR == 1 { start = $1; last = $1; next }
             { if ($1 - last > 8) { print start, last; start = $1 } last = $1 }
             END { if (NR > 0) print start, last }'
}

# The layout of the main window as the screen shows it; sets MAIN_X, MAIN_Y, MAIN_W, MAIN_H,
# TOOLBAR_Y (the middle of the toolbar's buttons) and LIST_TOP (the first row inside the list).
# shellcheck disable=SC2034 # the variables set here are read by the caller
e2e_measure_main_window() {
    local window=$1 picture="$E2E_WORK/measure.png" white
    read -r MAIN_X MAIN_Y MAIN_W MAIN_H < <(e2e_geometry "$window")
    e2e_rest_pointer
    local deadline=$(($(e2e_now_ms) + 10000))
    while true; do
        import -window root "$picture"
        if white="$(e2e_first_white_row "$picture" $((MAIN_X + MAIN_W * 3 / 4)) "$MAIN_Y" "$MAIN_H")" \
            && ((white >= 48 + 10 && white <= 48 + 60)); then
            break
        fi
        (($(e2e_now_ms) < deadline)) || e2e_fail "the main window ($MAIN_X,$MAIN_Y ${MAIN_W}x$MAIN_H) shows no toolbar above a white profile list (first white row: ${white:-none})"
        sleep 0.2
    done
    LIST_TOP=$((MAIN_Y + white))
    # The toolbar is 48 pixels high and ends where the list begins (its lower border included).
    TOOLBAR_Y=$((LIST_TOP - 25))
}

# The x coordinate of the middle of toolbar button N (0 for the first), on a toolbar that starts
# with a 5-pixel grip, has buttons 63 pixels wide and an 8-pixel separator before the fourth.
e2e_toolbar_button_x() {
    local n=$1 x=$((MAIN_X + 5 + 63 * $1 + 31))
    ((n >= 3)) && x=$((x + 8))
    echo "$x"
}
