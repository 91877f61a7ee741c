#!/bin/bash
# The focus starts in the program box; real Tab presses walk the tab stops in order and
# wrap around, Shift+Tab walks them back. Labels are never focused.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_start_app
mouse_away
wait_for 5 "the main window in front" fg_is "$KV_MAIN_HWND"

drv focus
assert_eq prgToRun "$DRV_OUT" "control focused at start"

# Each press must move the focus to the next stop. The key reaches the program a little
# after xdotool returns, so the focus is polled for a while.
walk() {
    local key=$1 want
    shift
    for want in "$@"; do
        xdotool key "$key"
        if ! wait_until_focus "$want"; then
            fail "after $key the focus is on [$DRV_OUT], expected $want"
        fi
    done
}

wait_until_focus() {
    local deadline=$((SECONDS + 5))
    while :; do
        drv focus
        [ "$DRV_OUT" == "$1" ] && break
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

walk Tab BrowseBut everyNMins AboutBut Close butExit prgToRun
walk shift+Tab butExit Close AboutBut everyNMins BrowseBut prgToRun
kv_log "ok"
