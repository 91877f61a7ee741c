#!/bin/bash
# "Browse..." opens the Open dialog "Select..." with the .exe filter chosen and the program
# text as its file name; a full path typed into it (Enter) lands verbatim in the program
# box. Choosing a file in another folder leaves the working folder alone: Exit still
# writes config.kv there, and nowhere else.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
mkdir -p "$KV_C/kv tools" "$KV_C/kv other"
cp "$KV_DRIVER" "$KV_C/kv tools/start here.exe"
cp "$KV_DRIVER" "$KV_C/kv other/pick me.exe"
kv_start_app
mouse_away
start='C:\kv tools\start here.exe'
chosen='C:\kv other\pick me.exe'
drv set-text prgToRun "$start"

drv click BrowseBut
drv wait-top '#32770' 'Select...' 10000
dialog=${DRV_OUT%% *}
assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the Open dialog's owner"
drv item-text '#32770' 'Select...' cmb1
assert_eq 'Executables (*.exe)' "$DRV_OUT" "file type chosen in the Open dialog"
# The dialog shows the name in the box and opens the folder of the initial file.
drv item-text '#32770' 'Select...' cmb13
assert_eq 'start here.exe' "$DRV_OUT" "file name box of the Open dialog"

wait_for 5 "the Open dialog in front" fg_is "$dialog"
xdotool key ctrl+a
xdotool type --delay 15 "$chosen"
wait_for 5 "the typed path in the file name box" drv_is "$chosen" item-text '#32770' 'Select...' cmb13
xdotool key Return
wait_for 5 "the Open dialog closed" drv_is 0 count-top '#32770' 'Select...'
drv get-text prgToRun
assert_eq "$chosen" "$DRV_OUT" "program box after choosing a file"

drv click butExit
expect_clean_exit 10
assert_eq "$KV_WORK/config.kv" "$(config_files)" "config.kv files after Exit"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$chosen" 5
kv_log "ok"
