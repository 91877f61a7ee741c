# Helpers for the window, tray, picker and About cases. Source after lib.sh.
#
# The real mouse and keyboard come from xdotool on the case's own display; they reach
# whatever Wine thinks is in front, so the cases wait for the window they type into.

# shellcheck disable=SC2034  # some variables are set here for the case scripts

# The first tray slot of Wine's virtual desktop taskbar at 1024x768.
KV_TRAY_X=1013
KV_TRAY_Y=757
# A spot of bare desktop, away from the program's windows and the taskbar.
KV_DESKTOP_X=900
KV_DESKTOP_Y=150

# Starts the program (with the arguments given) and remembers its main window's handle in
# KV_MAIN_HWND.
ui_start_app() {
    kv_start_app "$@"
    KV_MAIN_HWND=${DRV_OUT%% *}
}

# wait_for SECONDS WHAT COMMAND...: polls COMMAND (quietly) until it succeeds.
wait_for() {
    local seconds=$1 what=$2 deadline
    shift 2
    deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || fail "waited ${seconds} s for: $what"
        sleep 0.1
    done
}

# True when the driver's output for the command is exactly EXPECTED: drv_is EXPECTED ARGS...
drv_is() {
    local expected=$1
    shift
    drv_try "$@" && [ "$DRV_OUT" == "$expected" ]
}

# True when the foreground window is the given hwnd.
fg_is() {
    drv_try foreground && [ "${DRV_OUT%% *}" == "$1" ]
}

# Moves the mouse to the bare desktop, so no hover tip of the tray is shown.
mouse_away() {
    xdotool mousemove "$KV_DESKTOP_X" "$KV_DESKTOP_Y"
}

# Clicks the bare desktop: the desktop window takes the foreground from the program.
click_desktop() {
    xdotool mousemove "$KV_DESKTOP_X" "$KV_DESKTOP_Y" click 1
    wait_for 5 "the desktop in front" desktop_in_front
}

desktop_in_front() {
    drv_try foreground && [[ $DRV_OUT == *" #32769 "* ]]
}

# tray_click 1|3 [single|double]: a real click on the tray icon.
tray_click() {
    if [ "${2:-}" == double ]; then
        xdotool mousemove "$KV_TRAY_X" "$KV_TRAY_Y" click --repeat 2 --delay 80 "$1"
    else
        xdotool mousemove "$KV_TRAY_X" "$KV_TRAY_Y" click "$1"
    fi
}

# Right-clicks the tray icon and waits for the program's popup menu; the mouse then moves
# onto the bare desktop (no click), so the icon's hover tip does not cover the menu.
tray_menu_open() {
    tray_click 3
    drv wait-top '#32768' '*' 5000
    assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the popup menu's owner"
    mouse_away
}

# Prints the program's visible top-level windows, one a line: hwnd pid class "title".
app_windows() {
    drv windows
    awk -v pid="$KV_APP_WINPID" '$2 == pid' <<<"$DRV_OUT"
}

# tray_menu_pick 1|2: a real click on the first (Configuration...) or second (Exit) item of
# the open tray menu, whose two items are of equal height. (The keyboard cannot be used
# while the main window is hidden: Wine then delivers no keys to the menu.)
tray_menu_pick() {
    local x y w h
    drv rect '#32768' '*'
    read -r x y w h <<<"$DRV_OUT"
    if [ "$h" -lt 20 ] || [ "$w" -lt 40 ]; then
        fail "menu too small for two items: $DRV_OUT"
    fi
    xdotool mousemove $((x + w / 2)) $((y + h * (2 * $1 - 1) / 4)) click 1
}

no_menu() {
    drv_is 0 count-top '#32768' '*'
}

# Waits for the program to end by itself within $1 seconds; its exit code must be 0.
expect_clean_exit() {
    local rc
    kv_wait_exit "$KV_APP_PID" "$1" || fail "kelvarion still runs $1 s later"
    wait "$KV_APP_PID"
    rc=$?
    KV_APP_PID=""
    # A crash ends a Wine process with a non-zero code.
    assert_eq 0 "$rc" "kelvarion's exit code"
}

# The config.kv files anywhere on C: (one a line), to catch a save in the wrong folder.
config_files() {
    find "$KV_C" -name config.kv -printf '%p\n' | sort
}

# shot NAME CLASS TITLE [caption]: saves the real screen, cropped to the window, as NAME.png
# in KV_SCREENSHOTS (when set). With "caption", it first waits until the window's title bar
# is drawn active: Wine repaints it a little after the activation. With "tray", the crop
# reaches down to the screen's bottom right corner, so the tray icon is in the picture.
shot() {
    local name=$1 rect x y w h active deadline
    [ -n "${KV_SCREENSHOTS:-}" ] || return 0
    drv rect "$2" "$3"
    rect=$DRV_OUT
    read -r x y w h <<<"$rect"
    if [ "${4:-}" == caption ]; then
        drv syscolor 2 # COLOR_ACTIVECAPTION
        active=$DRV_OUT
        deadline=$((SECONDS + 5))
        until [ "#$(screen_pixel $((x + w / 2)) $((y + 6)))" == "$active" ]; do
            [ $SECONDS -lt $deadline ] || fail "the title bar of [$3] is not drawn active ($active)"
            sleep 0.1
        done
    fi
    if [ "${4:-}" == tray ]; then
        x=$((x - 40)) y=$((y - 20))
        w=$((1024 - x)) h=$((768 - y))
    fi
    mkdir -p "$KV_SCREENSHOTS"
    import -window root "$KV_DIR/shot.png" || fail "no screenshot of $DISPLAY"
    convert "$KV_DIR/shot.png" -crop "${w}x${h}+${x}+${y}" +repage "PNG24:$KV_SCREENSHOTS/$name.png" ||
        fail "could not crop the screenshot to $rect"
    kv_log "screenshot $KV_SCREENSHOTS/$name.png ($rect)"
}

# screen_pixel X Y: the colour of one pixel of the screen, RRGGBB.
screen_pixel() {
    import -window root "$KV_DIR/pixel.png" || fail "no screenshot of $DISPLAY"
    convert "$KV_DIR/pixel.png" -format "%[hex:p{$1,$2}]" info:
}

# colour_counts X Y W H: "count #RRGGBB" lines of the screen area's colours.
colour_counts() {
    import -window root "$KV_DIR/screen.png" || fail "no screenshot of $DISPLAY"
    convert "$KV_DIR/screen.png" -crop "${3}x${4}+${1}+${2}" +repage -format %c histogram:info:- |
        awk '{ n = $1 + 0; print n, substr($3, 1, 7) }'
}

# count_of COLOUR COUNTS: how many pixels of COLOUR the colour_counts output holds.
count_of() {
    awk -v c="$1" '$2 == c { n += $1 } END { print n + 0 }' <<<"$2"
}

# expect_waiting_bolt WHAT X Y W H: the area shows the waiting bolt (yellow, black outline,
# olive shading) and nothing of the running icon (lime disc, red mark).
expect_waiting_bolt() {
    local what=$1 counts yellow black olive lime red
    shift
    counts=$(colour_counts "$@")
    yellow=$(count_of '#FFFF00' "$counts")
    black=$(count_of '#000000' "$counts")
    olive=$(count_of '#808000' "$counts")
    lime=$(count_of '#00FF00' "$counts")
    red=$(count_of '#FF0000' "$counts")
    kv_log "$what: yellow $yellow black $black olive $olive lime $lime red $red"
    if [ "$lime" -ne 0 ] || [ "$red" -ne 0 ]; then
        fail "$what: the running icon shows (lime $lime, red $red)"
    fi
    if [ "$yellow" -lt 20 ] || [ "$black" -lt 20 ] || [ "$olive" -lt 4 ]; then
        fail "$what: no waiting bolt (yellow $yellow, black $black, olive $olive)"
    fi
}
