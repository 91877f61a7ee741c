#!/bin/bash
# A right click on the tray icon opens the program's menu; a real click on its Exit item
# writes config.kv (exactly the two texts, CR LF) in the working folder and ends the
# program cleanly. Saves tray-menu.png (the open menu) to KV_SCREENSHOTS when set.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app
program='C:\kv test\menu exit.bat'
drv set-text prgToRun "$program"
drv set-text everyNMins 3

tray_menu_open
wait_for 5 "the tray icon's hover tip gone" drv_is 0 count-top tooltips_class32 '*'
shot tray-menu '#32768' '*' tray
tray_menu_pick 2
expect_clean_exit 10
assert_eq "$KV_WORK/config.kv" "$(config_files)" "config.kv files after Exit"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" 3
kv_log "ok"
