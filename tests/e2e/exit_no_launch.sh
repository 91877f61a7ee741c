#!/bin/bash
# Once the user has chosen to leave, nothing more starts. config.kv cannot be written (a
# folder is in the way), so the failed-save message holds the way out open; due ticks
# posted meanwhile start nothing, and nothing starts after it. VARIANT: exit-button, close.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
mkdir "$KV_WORK/config.kv"
program='C:\kv\leaving\tick.exe'
rb_install_runmark "$program"
kv_start_app
drv set-text prgToRun "$program"
drv set-text everyNMins 1

case $KV_VARIANT in
exit-button) drv click butExit ;;
close) drv close ;;
*) fail "unknown variant [$KV_VARIANT]" ;;
esac
drv wait-top '#32770' Kelvarion 10000
drv tick 3 --watch 1500
assert_eq "launched 0" "$(head -n1 <<<"$DRV_OUT")" "programs started by ticks while the message is up"
rb_expect_save_failure "$KV_WORK_WIN\\config.kv"
sleep 1
assert_eq 0 "$(rb_runs "$program")" "runs of $program after the way out began"
kv_log "ok"
