#!/bin/bash
# Paths without ".exe" and with arguments run as the system would run them, next to a
# decoy C:\kv\Program.exe that never runs: the unquoted path goes on into
# "C:\kv\Program Files", so it is not what the text names.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
decoy='C:\kv\Program.exe'
spaced='C:\kv\Program Files\Tool\run.exe'
plain='C:\kv\tools\mark.exe'
for exe in "$decoy" "$spaced" "$plain"; do rb_install_runmark "$exe"; done
kv_start_app
drv set-text everyNMins 1

drv set-text prgToRun 'C:\kv\Program Files\Tool\run -q'
drv tick 1
assert_eq 1 "$(rb_runs_when "$spaced" 1 10)" "runs of $spaced"
drv set-text prgToRun 'C:\kv\tools\mark -n 1 C:\kv\x'
drv tick 1
assert_eq 1 "$(rb_runs_when "$plain" 1 10)" "runs of $plain"
# With the program gone, the decoy still does not run, and the failure is told.
rm "$(rb_unix_path "$spaced")"
drv set-text prgToRun 'C:\kv\Program Files\Tool\run -q'
drv tick 1
deadline=$((SECONDS + 8))
until rb_balloons && [ -n "$RB_BALLOONS" ]; do
    [ $SECONDS -lt $deadline ] || fail "no balloon within 8 s of a start that failed"
    sleep 0.1
done
assert_eq 0 "$(rb_runs "$decoy")" "runs of the decoy $decoy"
assert_eq 1 "$(rb_runs "$plain")" "runs of $plain in the end"
kv_log "ok"
