#!/bin/bash
# A program text with a character the ANSI code page lacks (U+4E2D in a Western code page):
# Exit shows one message naming config.kv, the program ends, and the old file keeps its
# bytes; no temporary file is left.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/rb_lib.sh"
kv_init "$@"
rb_init
kv_setup
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
kv_start_app

drv set-text 103 'C:\kv\中\tool.exe'
drv set-text 106 '12'
drv click 110
rb_expect_save_failure "$KV_WORK_WIN\\config.kv"
cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" ||
    fail "config.kv changed: $(od -c "$KV_WORK/config.kv" | head)"
rb_no_temp_files "$KV_WORK"
kv_log "ok"
