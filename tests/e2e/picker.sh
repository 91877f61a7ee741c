#!/bin/bash
# "Browse..." opens the Open dialog "Select..." with the .exe filter chosen and the program
# text as its file name, in that file's folder: Enter at once chooses that very file. Esc,
# even after typing another path, and Cancel leave the program box as it was; a command
# line with arguments in the box does not keep the dialog from opening. A full path typed
# into it (Enter) lands verbatim in the program box. Choosing a file in another folder
# leaves the working folder alone: Exit writes config.kv there, and nowhere else.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
mkdir -p "$KV_C/kv tools" "$KV_C/kv other" "$KV_C/kv test"
cp "$KV_DRIVER" "$KV_C/kv tools/start here.exe"
cp "$KV_DRIVER" "$KV_C/kv tools/other one.exe"
cp "$KV_DRIVER" "$KV_C/kv other/pick me.exe"
printf '@echo off\r\n' >"$KV_C/kv test/run me.bat"
kv_start_app
mouse_away

picker_open() { dialog_open BrowseBut 'Select...'; }

picker_closed() {
    wait_for 5 "the Open dialog closed $1" drv_is 0 count-top '#32770' 'Select...'
}

# type_path PATH: types PATH over the dialog's file name.
type_path() {
    xdotool key ctrl+a
    xdotool type --delay 15 "$1"
    wait_for 5 "the typed path in the file name box" drv_is "$1" item-text '#32770' 'Select...' cmb13
}

start='C:\kv tools\start here.exe'
drv set-text prgToRun "$start"
picker_open
drv item-text '#32770' 'Select...' cmb1
assert_eq 'Executables (*.exe)' "$DRV_OUT" "file type chosen in the Open dialog"
# The dialog shows the name in the box and opens the folder of the initial file.
drv item-text '#32770' 'Select...' cmb13
assert_eq 'start here.exe' "$DRV_OUT" "file name box of the Open dialog"
xdotool key Return
picker_closed "by Enter"
drv get-text prgToRun
assert_eq "$start" "$DRV_OUT" "program box after Enter on the initial file name"

picker_open
type_path 'C:\kv tools\other one.exe'
xdotool key Escape
picker_closed "by Esc"
drv get-text prgToRun
assert_eq "$start" "$DRV_OUT" "program box after Esc"

command='C:\kv test\run me.bat -q'
drv set-text prgToRun "$command"
picker_open
drv press '#32770' 'Select...' IDCANCEL
picker_closed "by Cancel"
drv get-text prgToRun
assert_eq "$command" "$DRV_OUT" "program box after Cancel"
assert_eq "" "$(config_files)" "config.kv files"

chosen='C:\kv other\pick me.exe'
drv set-text prgToRun "$start"
picker_open
type_path "$chosen"
xdotool key Return
picker_closed "by Enter on a typed path"
drv get-text prgToRun
assert_eq "$chosen" "$DRV_OUT" "program box after choosing a file"

drv click butExit
expect_clean_exit 10
assert_eq "$KV_WORK/config.kv" "$(config_files)" "config.kv files after Exit"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$chosen" 5
kv_log "ok"
