#!/bin/bash
# A "TaskbarCreated" broadcast (Explorer restarted) puts the icon back in its current
# state. Under Wine the old icon survives, so the add is refused and a modify follows:
# afterwards the icon is still shown as the waiting bolt, both clicks still work, and
# the program runs on.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app
drv click Close
wait_for 5 "the window hidden by Close Window" drv_is "visible=0 iconic=0" state

for round in 1 2; do
    drv taskbar-created
    drv sync
    kv_alive "$KV_APP_PID" || fail "kelvarion ended after TaskbarCreated $round"
    wait_for 5 "the tray icon after TaskbarCreated $round" tray_icon
    expect_waiting_bolt "tray icon after TaskbarCreated $round" 1004 749 18 18
done

tray_menu_open
xdotool mousemove "$KV_DESKTOP_X" "$KV_DESKTOP_Y" click 1
wait_for 5 "the menu closed by a click elsewhere" no_menu
tray_click 1
mouse_away
wait_for 5 "the window shown by the tray icon" drv_is "visible=1 iconic=0" state
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
assert_eq "" "$(config_files)" "config.kv files"
kv_log "ok"
