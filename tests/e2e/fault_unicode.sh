#!/bin/bash
# A program text with a character the ANSI code page lacks (U+4E2D in a Western code page):
# Exit shows one message naming config.kv, the program ends, and the old file keeps its
# bytes; no temporary file is left.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
kv_start_app

drv set-text prgToRun 'C:\kv\中\tool.exe'
drv set-text everyNMins '12'
drv click butExit
rb_expect_save_failure "$KV_WORK_WIN\\config.kv"
cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" ||
    fail "config.kv changed: $(od -c "$KV_WORK/config.kv" | head)"
rb_no_temp_files "$KV_WORK"
kv_log "ok"
