#!/bin/bash
# Two copies in one working folder both run. Each writes config.kv when it ends, so the one
# that ends last decides what it holds, whichever started first; neither crashes, and no
# temporary file is left.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
kv_start_app
first_pid=$KV_APP_PID first_win=$KV_APP_WINPID
(cd "$KV_WORK" && exec "$KV_WINE" "$KV_EXE") >"$KV_DIR/app2.log" 2>&1 &
second_pid=$!
deadline=$((SECONDS + 20))
while :; do
    drv mains
    [ "$(wc -l <<<"$DRV_OUT")" -eq 2 ] && break
    kv_alive "$second_pid" || fail "the second copy ended at once"
    [ $SECONDS -lt $deadline ] || fail "no second main window within 20 s: [$DRV_OUT]"
    sleep 0.1
done
second_win=$(awk -v first="$first_win" '$2 != first { print $2 }' <<<"$DRV_OUT")
[ -n "$second_win" ] || fail "both main windows belong to process $first_win: [$DRV_OUT]"
drv count-top KelvarionForm1 Kelvarion
assert_eq 2 "$DRV_OUT" "visible Kelvarion windows"

# kv_start_app waited for the first copy to be ready; this waits for the second.
drv --pid "$second_win" wait-window 20000
for copy in "$first_win" "$second_win"; do
    drv --pid "$copy" get-text prgToRun
    assert_eq 'C:\kv\old program.bat' "$DRV_OUT" "program box of process $copy"
    drv --pid "$copy" get-text everyNMins
    assert_eq 7 "$DRV_OUT" "minutes box of process $copy"
done
drv --pid "$first_win" set-text prgToRun 'C:\kv\first copy.bat'
drv --pid "$first_win" set-text everyNMins '11'
drv --pid "$second_win" set-text prgToRun 'C:\kv\second copy.bat'
drv --pid "$second_win" set-text everyNMins '22'

# The one started last ends first; then the first one.
drv --pid "$second_win" click butExit
kv_wait_exit "$second_pid" 10 || fail "the second copy still runs 10 s after Exit"
wait "$second_pid"
assert_eq 0 "$?" "exit code of the second copy"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' 'C:\kv\second copy.bat' 22
drv count-top '#32770' '*'
assert_eq 0 "$DRV_OUT" "dialogs after the second copy ended"
drv --pid "$first_win" click butExit
kv_wait_exit "$first_pid" 10 || fail "the first copy still runs 10 s after Exit"
wait "$first_pid"
assert_eq 0 "$?" "exit code of the first copy"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' 'C:\kv\first copy.bat' 11
rb_no_temp_files "$KV_WORK"
kv_log "ok"
