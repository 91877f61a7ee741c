#!/bin/bash
# When config.kv cannot be written (a folder of that name is in the way), Exit shows
# one message box, and once it is dismissed the program ends.
# VARIANT session-end: at a log-off, and at the Restart Manager's close, the same failed
# save shows nothing (a box would hold up the sign-out) and the program ends at once.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
mkdir "$KV_WORK/config.kv"

if [ "$KV_VARIANT" == session-end ]; then
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
    kv_log "ok"
    exit 0
fi

kv_start_app
drv click butExit
drv wait-top '#32770' Kelvarion 10000
kv_log "message box: $DRV_OUT"
assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the message box's owner"
drv dialog-text '#32770' Kelvarion
text=$DRV_OUT
case $text in
"Kelvarion could not save its settings"*) ;;
*) fail "message box text: [$text]" ;;
esac
drv count-top '#32770' Kelvarion
assert_eq 1 "$DRV_OUT" "message boxes shown at once"
drv press '#32770' Kelvarion IDOK

# Until the program has ended, no further message box may appear.
deadline=$((SECONDS + 10))
while kv_alive "$KV_APP_PID"; do
    drv count-top '#32770' '*'
    assert_eq 0 "$DRV_OUT" "message boxes after the first was dismissed"
    [ $SECONDS -lt $deadline ] || fail "kelvarion still runs 10 s after the message box was dismissed"
    sleep 0.1
done
[ -d "$KV_WORK/config.kv" ] || fail "the config.kv folder is gone"
kv_log "ok"
