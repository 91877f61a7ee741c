#!/bin/bash
# An unquoted program path with spaces, next to a decoy C:\Program.exe that leaves a mark
# when run. The batch file runs while it is there; while it is missing nothing runs and one
# balloon says so, however many ticks fail; once it is back the next due tick starts it.
# After that success a new failure is told again. The decoy never runs.
. "$(dirname "$0")/lib.sh"
kv_case "$@"

decoy='C:\Program.exe'
rb_install_runmark "$decoy"
program='C:\Program Files\kv tool\run me.bat'
batch=$(rb_unix_path "$program")
mkdir -p "$(dirname "$batch")"
printf '@echo off\r\necho ran>>"C:\\kv\\work\\run me.log"\r\n' >"$KV_DIR/run me.bat"
cp "$KV_DIR/run me.bat" "$batch"
log=$KV_WORK/run\ me.log
crlf_file "$KV_WORK/config.kv" "$program" 1
kv_start_app

runs=0
expect_run() {
    runs=$((runs + 1))
    drv tick 1
    assert_eq "$runs" "$(line_count_when "$log" 10 "$runs")" "runs of the batch file after $1"
}
expect_no_run() {
    drv tick 1
    assert_eq "$runs" "$(kv_lines "$log")" "runs of the batch file after $1"
}

expect_run "the first tick"
expect_run "the second tick"
rb_balloons
assert_eq "" "$RB_BALLOONS" "balloons while the batch file starts"

rm "$batch"
expect_no_run "a tick with the batch file missing"
deadline=$((SECONDS + 8))
while :; do
    assert_eq 0 "$(rb_runs "$decoy")" "runs of the decoy $decoy"
    rb_balloons
    [ -n "$RB_BALLOONS" ] && break
    [ $SECONDS -lt $deadline ] || fail "no balloon within 8 s of a start that failed"
    sleep 0.1
done
first=$RB_BALLOONS
kv_log "balloon $first"
for t in 2 3 4; do
    expect_no_run "failing tick $t"
done
rb_balloon_stays "$first" 3
assert_eq "$runs" "$(kv_lines "$log")" "runs of the batch file while it is missing"

cp "$KV_DIR/run me.bat" "$batch"
expect_run "the first tick with the batch file back"
expect_run "the next tick"

# A success in between: the next failure is news again.
rm "$batch"
expect_no_run "a tick with the batch file gone again"
deadline=$((SECONDS + 8))
while :; do
    rb_balloons
    [ -n "$RB_BALLOONS" ] && [ "$RB_BALLOONS" != "$first" ] && break
    [ $SECONDS -lt $deadline ] || fail "no new balloon for a failure after a success (shown: [$RB_BALLOONS])"
    sleep 0.1
done
kv_log "balloon $RB_BALLOONS"

assert_eq 0 "$(rb_runs "$decoy")" "runs of the decoy $decoy"
assert_eq "$runs" "$(kv_lines "$log")" "runs of the batch file in the end"
drv get-text prgToRun
assert_eq "$program" "$DRV_OUT" "program box in the end"
kv_log "ok"
