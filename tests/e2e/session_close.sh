#!/bin/bash
# The Restart Manager's close. A session end that is cancelled (WM_ENDSESSION FALSE)
# changes nothing: the program goes on starting its program. WM_ENDSESSION TRUE with
# ENDSESSION_CLOSEAPP, as installers send it: the program saves, and ends by itself, and a
# tick queued right behind it starts nothing.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
program='C:\kv\session\tick.exe'
rb_install_runmark "$program"
kv_start_app
drv set-text prgToRun "$program"
drv set-text everyNMins 1

drv end-session 10000 --cancel
assert_eq "queryendsession 1" "$(head -n1 <<<"$DRV_OUT")" "answer to WM_QUERYENDSESSION"
drv tick 1
assert_eq 1 "$(rb_runs_when "$program" 1 10)" "runs after a cancelled session end and a due tick"
kv_alive "$KV_APP_PID" || fail "kelvarion ended after a cancelled session end"
[ ! -f "$KV_WORK/config.kv" ] || fail "config.kv written by a cancelled session end"

# Still due at every tick; saved as typed.
drv set-text everyNMins ' 1 '
drv end-session 10000 --closeapp --tick-queued
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after WM_ENDSESSION with ENDSESSION_CLOSEAPP"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" ' 1 '
# A start would have left its mark well within this.
sleep 2
assert_eq 1 "$(rb_runs "$program")" "runs in the end, with a due tick queued behind the session end"
kv_log "ok"
