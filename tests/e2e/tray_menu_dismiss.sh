#!/bin/bash
# A "TaskbarCreated" broadcast (Explorer restarted) puts the icon back in its current
# state. Under Wine the old icon survives, so the add is refused and a modify follows:
# afterwards the icon is still shown as the waiting bolt, both clicks still work, and the
# program runs on. A click elsewhere closes the tray menu and does nothing else: the
# hidden window stays hidden, the program runs on, no config.kv; no control of the hidden
# window has the focus meanwhile. Its "Configuration..." item shows the window, and so
# does a left click on the icon.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app
hide_window

for round in 1 2; do
    drv taskbar-created
    drv sync
    kv_alive "$KV_APP_PID" || fail "kelvarion ended after TaskbarCreated $round"
    wait_for 5 "the tray icon after TaskbarCreated $round" tray_icon
    expect_waiting_bolt "tray icon after TaskbarCreated $round" 1004 749 18 18
done

tray_menu_open
# The menu made the hidden window the foreground one, as it stays after Esc: what is
# typed next must not land in its boxes or press its buttons.
drv focus
[[ $DRV_OUT == other* ]] || fail "control $DRV_OUT of the hidden window has the focus"
xdotool mousemove "$KV_DESKTOP_X" "$KV_DESKTOP_Y" click 1
wait_for 5 "the menu closed by a click elsewhere" no_menu
drv sync
drv state
assert_eq "visible=0 iconic=0" "$DRV_OUT" "window state after the menu was dismissed"
assert_eq "" "$(app_windows)" "the program's visible windows after the menu was dismissed"
kv_alive "$KV_APP_PID" || fail "kelvarion ended after the menu was dismissed"
assert_eq "" "$(config_files)" "config.kv files after the menu was dismissed"

tray_menu_open
tray_menu_pick 1
wait_for 5 "the window shown by Configuration..." drv_is "visible=1 iconic=0" state
wait_for 5 "the window in front" fg_is "$KV_MAIN_HWND"
no_menu || fail "the menu is still open after Configuration..."
assert_eq "" "$(config_files)" "config.kv files after Configuration..."

hide_window
tray_click 1
mouse_away
wait_for 5 "the window shown by the tray icon" drv_is "visible=1 iconic=0" state
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
assert_eq "" "$(config_files)" "config.kv files"
kv_log "ok"
