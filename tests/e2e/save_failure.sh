#!/bin/bash
# A folder named config.kv, holding a file of that name: the program starts with its
# defaults and keeps working, and no way out can save. By Exit or the title-bar close, one
# message box says what failed and where; once it is dismissed no other comes and the
# program ends. Once the user has chosen to leave nothing more starts: due ticks posted
# while the message is up start nothing, and nothing starts after it. At a log-off, and at
# the Restart Manager's close, the same failed save shows nothing (a box would hold up the
# sign-out) and the program ends at once. The folder and what is in it stay as they were.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
mkdir "$KV_WORK/config.kv"
printf 'C:\\kv\\inside.bat\r\n3\r\n' >"$KV_WORK/config.kv/config.kv"
cp "$KV_WORK/config.kv/config.kv" "$KV_DIR/inside.before"
program='C:\kv\leaving\tick.exe'
rb_install_runmark "$program"

runs=0
for way in exit-button close; do
    kv_start_app
    drv get-text prgToRun
    assert_eq "" "$DRV_OUT" "program box with a folder for config.kv"
    drv get-text everyNMins
    assert_eq "5" "$DRV_OUT" "minutes box with a folder for config.kv"
    drv set-text prgToRun "$program"
    drv set-text everyNMins 2
    rb_watch_starts
    rb_tick 4 2
    runs=$((runs + 2))
    assert_eq "$runs" "$(rb_runs_when "$program" "$runs" 10)" "launches in 4 ticks at 2 minutes"

    drv set-text everyNMins 1
    case $way in
    exit-button) drv click butExit ;;
    close) drv close ;;
    esac
    drv wait-top '#32770' Kelvarion 10000
    drv tick 3 --watch 1500
    assert_eq "launched 0" "$(head -n1 <<<"$DRV_OUT")" "programs started by ticks while the message is up ($way)"
    rb_expect_save_failure "$KV_WORK_WIN\\config.kv"
    sleep 1
    assert_eq "$runs" "$(rb_runs "$program")" "runs of $program after the way out began ($way)"
done

for how in log-off --closeapp; do
    kv_start_app
    # A message box would keep WM_ENDSESSION from returning within the 5 s.
    drv end-session 5000 ${how/log-off/}
    assert_eq "endsession done" "$(tail -n1 <<<"$DRV_OUT")" "WM_ENDSESSION ($how) answered"
    deadline=$((SECONDS + 10))
    while kv_alive "$KV_APP_PID"; do
        drv_try count-top '#32770' '*'
        [ "$DRV_OUT" == 0 ] || fail "a dialog came up at the session end ($how)"
        [ $SECONDS -lt $deadline ] || fail "kelvarion still runs 10 s after the session end ($how)"
        sleep 0.1
    done
    wait "$KV_APP_PID"
    assert_eq 0 $? "kelvarion's exit code after the session end ($how)"
    KV_APP_PID=""
    kv_log "$how: ended with no dialog"
done

[ -d "$KV_WORK/config.kv" ] || fail "the config.kv folder is gone"
assert_eq "config.kv" "$(ls -A "$KV_WORK/config.kv")" "what the config.kv folder holds"
cmp -s "$KV_DIR/inside.before" "$KV_WORK/config.kv/config.kv" || fail "the file in the folder changed"
rb_no_temp_files "$KV_WORK"
kv_log "ok"
