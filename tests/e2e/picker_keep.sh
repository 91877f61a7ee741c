#!/bin/bash
# The Open dialog starts from the program text: Enter at once chooses that very file.
# Esc, even after typing another path, and Cancel leave the program box as it was. A
# command line with arguments in the box does not keep the dialog from opening.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
mkdir -p "$KV_C/kv tools" "$KV_C/kv test"
cp "$KV_DRIVER" "$KV_C/kv tools/start here.exe"
cp "$KV_DRIVER" "$KV_C/kv tools/other one.exe"
printf '@echo off\r\n' >"$KV_C/kv test/run me.bat"
kv_start_app
mouse_away

# open_picker: clicks Browse..., waits for the dialog, and sets DIALOG to it once in front.
open_picker() {
    drv click BrowseBut
    drv wait-top '#32770' 'Select...' 10000
    DIALOG=${DRV_OUT%% *}
    wait_for 5 "the Open dialog in front" fg_is "$DIALOG"
}

picker_closed() {
    wait_for 5 "the Open dialog closed $1" drv_is 0 count-top '#32770' 'Select...'
}

start='C:\kv tools\start here.exe'
drv set-text prgToRun "$start"
open_picker
xdotool key Return
picker_closed "by Enter"
drv get-text prgToRun
assert_eq "$start" "$DRV_OUT" "program box after Enter on the initial file name"

open_picker
xdotool key ctrl+a
xdotool type --delay 15 'C:\kv tools\other one.exe'
wait_for 5 "the typed path in the file name box" \
    drv_is 'C:\kv tools\other one.exe' item-text '#32770' 'Select...' cmb13
xdotool key Escape
picker_closed "by Esc"
drv get-text prgToRun
assert_eq "$start" "$DRV_OUT" "program box after Esc"

command='C:\kv test\run me.bat -q'
drv set-text prgToRun "$command"
open_picker
drv press '#32770' 'Select...' IDCANCEL
picker_closed "by Cancel"
drv get-text prgToRun
assert_eq "$command" "$DRV_OUT" "program box after Cancel"
assert_eq "" "$(config_files)" "config.kv files"
kv_log "ok"
