#!/bin/bash
# config.kv locked by another process while the program starts, released soon after (a
# scanner at log-on). The program says once that it could not read it, and reads it at the
# first tick after the release, into the boxes not changed meanwhile; no second notice.
# VARIANT kept: Exit before that tick leaves the file as it is. VARIANT changed: the
# minutes changed before the tick stay, and Exit saves them with the program read.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
rb_lock_config
kv_start_app
drv get-text prgToRun
assert_eq "" "$DRV_OUT" "program box while config.kv is locked"

rb_wait_balloon 8 "a start with config.kv unreadable"
rb_balloon_stays "$RB_BALLOONS" 3

touch "$RB_RELEASE"
kv_wait_exit "$RB_LOCKER" 10 || fail "the locker did not let go"
rm "$RB_RELEASE"
if [ "$KV_VARIANT" = kept ]; then
    # Released, but Exit comes before a tick reads it: it is left as it is.
    drv click butExit
    kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
    cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" ||
        fail "config.kv replaced though no setting changed: $(od -c "$KV_WORK/config.kv" | head -3)"
    rb_no_temp_files "$KV_WORK"
    kv_log "ok"
    exit 0
fi
[ "$KV_VARIANT" = changed ] || fail "unknown variant [$KV_VARIANT]"
drv set-text everyNMins 9
drv tick 1
drv get-text prgToRun
assert_eq 'C:\kv\old program.bat' "$DRV_OUT" "program box after the tick"
drv get-text everyNMins
assert_eq 9 "$DRV_OUT" "minutes box, changed before the tick"
rb_balloon_stays "$RB_BALLOONS" 3
drv click butExit
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' 'C:\kv\old program.bat' 9
rb_no_temp_files "$KV_WORK"
kv_log "ok"
