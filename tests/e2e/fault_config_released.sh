#!/bin/bash
# config.kv locked by another process while the program starts, released soon after (a
# scanner at log-on). The program says once that it could not read it, and at Exit
# leaves it as it is, unless a setting was changed meanwhile. VARIANT: kept, changed.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
rb_lock_config
kv_start_app
drv get-text prgToRun
assert_eq "" "$DRV_OUT" "program box while config.kv is locked"

deadline=$((SECONDS + 8))
until rb_balloons && [ -n "$RB_BALLOONS" ]; do
    [ $SECONDS -lt $deadline ] || fail "no balloon within 8 s of a start with config.kv unreadable"
    sleep 0.1
done
rb_balloon_stays "$RB_BALLOONS" 3

touch "$RB_RELEASE"
kv_wait_exit "$RB_LOCKER" 10 || fail "the locker did not let go"
rm "$RB_RELEASE"
case $KV_VARIANT in
kept) ;;
changed) drv set-text everyNMins 9 ;;
*) fail "unknown variant [$KV_VARIANT]" ;;
esac
drv click butExit
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
if [ "$KV_VARIANT" = kept ]; then
    cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" ||
        fail "config.kv replaced though no setting changed: $(od -c "$KV_WORK/config.kv" | head -3)"
else
    assert_file_bytes "$KV_WORK/config.kv" '\r\n9\r\n'
fi
rb_no_temp_files "$KV_WORK"
kv_log "ok"
