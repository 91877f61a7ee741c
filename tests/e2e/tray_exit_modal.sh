#!/bin/bash
# "Exit" in the tray menu ends the program even while a modal window of it is open: the
# window closes, config.kv is written, and the process ends with code 0.
# VARIANT: about (the About box), picker (the Open dialog), msgbox (the About box's
# "System Information Is Unavailable" message box on top of it).
. "$(dirname "$0")/lib.sh"
kv_case "$@"
if [ "$KV_VARIANT" == msgbox ]; then
    # Wine's prefix may name its own msinfo32.
    "$KV_WINE" reg delete 'HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO' /f >/dev/null 2>&1
    "$KV_WINE" reg delete 'HKLM\SOFTWARE\Microsoft\Shared Tools Location' /f >/dev/null 2>&1
fi
ui_start_app
program='C:\kv test\exit while modal.bat'
drv set-text prgToRun "$program"
drv set-text everyNMins 7

case $KV_VARIANT in
about)
    drv click AboutBut
    drv wait-top '#32770' 'About Kelvarion' 10000
    title='About Kelvarion'
    ;;
picker)
    drv click BrowseBut
    drv wait-top '#32770' 'Select...' 10000
    title='Select...'
    ;;
msgbox)
    drv click AboutBut
    drv wait-top '#32770' 'About Kelvarion' 10000
    drv post-click '#32770' 'About Kelvarion' cmdSysInfo
    drv wait-top '#32770' 'Kelvarion' 10000
    title='Kelvarion'
    ;;
*)
    fail "unknown variant [$KV_VARIANT]"
    ;;
esac
assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the window [$title]"

tray_menu_open
xdotool key e
expect_clean_exit 10
assert_eq "$KV_WORK/config.kv" "$(config_files)" "config.kv files after Exit"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" 7
kv_log "ok"
