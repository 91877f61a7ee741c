#!/bin/bash
# config.kv held open by another process that shares nothing. Under Wine, as on Windows,
# the program cannot read it and starts with its defaults; at the end it cannot replace
# it, so it says so once, ends, and the file keeps its bytes, then and after the lock goes.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
rb_lock_config
kv_start_app

drv get-text prgToRun
assert_eq "" "$DRV_OUT" "program box while config.kv is locked"
drv get-text everyNMins
assert_eq "5" "$DRV_OUT" "minutes box while config.kv is locked"
drv set-text prgToRun 'C:\kv\new program.bat'
drv set-text everyNMins '9'

drv click butExit
drv wait-top '#32770' Kelvarion 10000
cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" || fail "config.kv changed while the message is up"
rb_expect_save_failure "$KV_WORK_WIN\\config.kv"
cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" || fail "config.kv changed by the failed save"

touch "$RB_RELEASE"
kv_wait_exit "$RB_LOCKER" 10 || fail "the locker did not let go"
grep -q '^released' "$KV_DIR/locker.log" || fail "the locker did not hold the file to the end: $(cat "$KV_DIR/locker.log")"
cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" || fail "config.kv changed after the lock went"
rm "$RB_RELEASE"
rb_no_temp_files "$KV_WORK"
kv_log "ok"
