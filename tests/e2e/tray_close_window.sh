#!/bin/bash
# "Close Window" only hides the window: the program keeps running and writes no
# config.kv; a left click on the tray icon shows the window again.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app
drv set-text prgToRun 'C:\kv test\not saved.bat'

drv click Close
wait_for 5 "the window hidden by Close Window" drv_is "visible=0 iconic=0" state
drv sync
kv_alive "$KV_APP_PID" || fail "kelvarion ended after Close Window"
assert_eq "" "$(config_files)" "config.kv files after Close Window"

click_desktop
tray_click 1
mouse_away
wait_for 5 "the window shown by the tray icon" drv_is "visible=1 iconic=0" state
wait_for 5 "the window in front" fg_is "$KV_MAIN_HWND"
drv get-text prgToRun
assert_eq 'C:\kv test\not saved.bat' "$DRV_OUT" "program box after hiding and showing"
assert_eq "" "$(config_files)" "config.kv files after showing the window again"
kv_log "ok"
