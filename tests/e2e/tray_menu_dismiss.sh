#!/bin/bash
# A click elsewhere closes the tray menu and does nothing else: the hidden window stays
# hidden, the program runs on, no config.kv; no control of the hidden window has the
# focus meanwhile. Its "Configuration..." item shows the window.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app
drv click Close
wait_for 5 "the window hidden by Close Window" drv_is "visible=0 iconic=0" state

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
kv_log "ok"
