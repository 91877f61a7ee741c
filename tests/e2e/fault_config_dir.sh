#!/bin/bash
# A folder named config.kv: the program starts with its defaults and keeps working;
# closing it shows one message, it ends, and the folder and what is in it stay as they were.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
mkdir "$KV_WORK/config.kv"
printf 'C:\\kv\\inside.bat\r\n3\r\n' >"$KV_WORK/config.kv/config.kv"
cp "$KV_WORK/config.kv/config.kv" "$KV_DIR/inside.before"
kv_start_app

drv get-text prgToRun
assert_eq "" "$DRV_OUT" "program box with a folder for config.kv"
drv get-text everyNMins
assert_eq "5" "$DRV_OUT" "minutes box with a folder for config.kv"
program='C:\kv\dir case\tick.exe'
rb_install_runmark "$program"
drv set-text prgToRun "$program"
drv set-text everyNMins 2
drv tick 4
assert_eq 2 "$(rb_runs_when "$program" 2 10)" "launches in 4 ticks at 2 minutes"

# The title-bar close, a way out the other save-failure case does not take.
drv close
rb_expect_save_failure "$KV_WORK_WIN\\config.kv"
[ -d "$KV_WORK/config.kv" ] || fail "the config.kv folder is gone"
assert_eq "config.kv" "$(ls -A "$KV_WORK/config.kv")" "what the config.kv folder holds"
cmp -s "$KV_DIR/inside.before" "$KV_WORK/config.kv/config.kv" || fail "the file in the folder changed"
rb_no_temp_files "$KV_WORK"
kv_log "ok"
