#!/bin/bash
# An unquoted program path with spaces, next to a decoy C:\Program.exe that leaves a mark
# when run; the decoy never runs. The batch file runs while it is there. While it is
# missing nothing runs, and it is told once, in a tray balloon whose first line is the
# program text: more failing ticks neither replace that balloon nor, once it has gone,
# show another. Another failing program text gets a balloon of its own; once the batch
# file is back the next due tick starts it, and after that success a new failure is told
# again. Paths without ".exe" and with arguments run as the system would run them, next
# to a decoy C:\kv\Program.exe that never runs either: the unquoted path goes on into
# "C:\kv\Program Files", so it is not what the text names.
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
ui_start_app

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
rb_wait_balloon 8 "a start that failed"
first=$RB_BALLOONS
assert_eq 0 "$(rb_runs "$decoy")" "runs of the decoy $decoy"
assert_eq "$program" "$(head -n1 <<<"$RB_BALLOON_TEXT")" "first line of the balloon"
for t in 2 3 4; do
    expect_no_run "failing tick $t"
done
drv sync
# A repeated request would replace the window well within 3 s.
rb_balloon_stays "$first" 3
assert_eq "$runs" "$(kv_lines "$log")" "runs of the batch file while it is missing"
wait_for 15 "the balloon gone by itself" rb_no_balloon
for t in 5 6 7; do
    expect_no_run "failing tick $t"
done
# None after 3 more failing ticks once the balloon had gone.
rb_balloon_stays "" 3

other='C:\kv test\not there either.bat'
drv set-text prgToRun "$other"
drv tick 1
rb_wait_balloon 8 "a start of another program that failed"
assert_eq "$other" "$(head -n1 <<<"$RB_BALLOON_TEXT")" "first line of the balloon for another program"
second=$RB_BALLOONS

cp "$KV_DIR/run me.bat" "$batch"
drv set-text prgToRun "$program"
expect_run "the first tick with the batch file back"
expect_run "the next tick"

# A success in between: the next failure is news again.
rm "$batch"
expect_no_run "a tick with the batch file gone again"
rb_wait_balloon 8 "a failure after a success" "$second"

assert_eq 0 "$(rb_runs "$decoy")" "runs of the decoy $decoy"
assert_eq "$runs" "$(kv_lines "$log")" "runs of the batch file in the end"
drv get-text prgToRun
assert_eq "$program" "$DRV_OUT" "program box in the end"

decoy2='C:\kv\Program.exe'
spaced='C:\kv\Program Files\Tool\run.exe'
plain='C:\kv\tools\mark.exe'
for exe in "$decoy2" "$spaced" "$plain"; do rb_install_runmark "$exe"; done
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
rb_wait_balloon 8 "a start of a path without .exe that failed" "$RB_BALLOONS"
assert_eq 0 "$(rb_runs "$decoy2")" "runs of the decoy $decoy2"
assert_eq 1 "$(rb_runs "$plain")" "runs of $plain in the end"
assert_eq 0 "$(rb_runs "$decoy")" "runs of the decoy $decoy in the end"
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
kv_log "ok"
