#!/bin/bash
# Two copies in one working folder both run. Each writes config.kv when it ends, so the one
# that ends last decides what it holds, whichever started first; neither crashes, and no
# temporary file is left.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/rb_lib.sh"
kv_init "$@"
rb_init
kv_setup
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
kv_start_app
first_pid=$KV_APP_PID first_win=$KV_APP_WINPID
(cd "$KV_WORK" && exec "$KV_WINE" "$KV_EXE") >"$KV_DIR/app2.log" 2>&1 &
second_pid=$!
deadline=$((SECONDS + 20))
while :; do
    rb mains
    [ "$(wc -l <<<"$RB_OUT")" -eq 2 ] && break
    kv_alive "$second_pid" || fail "the second copy ended at once"
    [ $SECONDS -lt $deadline ] || fail "no second main window within 20 s: [$RB_OUT]"
    sleep 0.1
done
second_win=$(awk -v first="$first_win" '$2 != first { print $2 }' <<<"$RB_OUT")
[ -n "$second_win" ] || fail "both main windows belong to process $first_win: [$RB_OUT]"
drv count-top KelvarionForm1 Kelvarion
assert_eq 2 "$DRV_OUT" "visible Kelvarion windows"

# kvdriver waited for the first copy to be ready; this waits for the second.
rb wait-ready "$second_win"
for copy in "$first_win" "$second_win"; do
    rb get-text-pid "$copy" 103
    assert_eq 'C:\kv\old program.bat' "$RB_OUT" "program box of process $copy"
    rb get-text-pid "$copy" 106
    assert_eq 7 "$RB_OUT" "minutes box of process $copy"
done
rb set-text-pid "$first_win" 103 'C:\kv\first copy.bat'
rb set-text-pid "$first_win" 106 '11'
rb set-text-pid "$second_win" 103 'C:\kv\second copy.bat'
rb set-text-pid "$second_win" 106 '22'

# The one started last ends first; then the first one.
rb click-pid "$second_win" 110
kv_wait_exit "$second_pid" 10 || fail "the second copy still runs 10 s after Exit"
wait "$second_pid"
assert_eq 0 "$?" "exit code of the second copy"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' 'C:\kv\second copy.bat' 22
drv count-top '#32770' '*'
assert_eq 0 "$DRV_OUT" "dialogs after the second copy ended"
rb click-pid "$first_win" 110
kv_wait_exit "$first_pid" 10 || fail "the first copy still runs 10 s after Exit"
wait "$first_pid"
assert_eq 0 "$?" "exit code of the first copy"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' 'C:\kv\first copy.bat' 11
rb_no_temp_files "$KV_WORK"
kv_log "ok"
