#!/bin/bash
# A program text with a character the ANSI code page lacks (U+4E2D in a Western code page):
# Exit writes config.kv as UTF-8 with a byte-order mark, without a word, and the path comes
# back after a restart; the next save keeps that encoding. No temporary file is left.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
kv_start_app

program='C:\kv\中\tool.exe'
drv set-text prgToRun "$program"
drv set-text everyNMins '12'
drv click butExit
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
assert_file_bytes "$KV_WORK/config.kv" '\357\273\277%s\r\n%s\r\n' "$program" 12

kv_start_app
drv get-text prgToRun
assert_eq "$program" "$DRV_OUT" "program box after a restart"
drv get-text everyNMins
assert_eq 12 "$DRV_OUT" "minutes box after a restart"
drv set-text everyNMins '13'
drv click butExit
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after the second Exit"
assert_file_bytes "$KV_WORK/config.kv" '\357\273\277%s\r\n%s\r\n' "$program" 13
rb_no_temp_files "$KV_WORK"
kv_log "ok"
