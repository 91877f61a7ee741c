#!/bin/bash
# At log-on the taskbar may not take the icon yet. A notice sent meanwhile (config.kv
# held by another process, so the settings cannot be read) waits, and shows once a
# retry (every 5 s) gets the icon in.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/rb_lib.sh"
kv_init "$@"
rb_init
kv_setup
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
rb_lock_config

release=$KV_WORK/tray.release
(cd "$KV_WORK" && exec "$KV_WINE" "$RB_BIN/kvrb.exe" refuse-tray "$KV_WORK_WIN\\tray.release") \
    >"$KV_DIR/refuse-tray.log" 2>&1 &
refuser=$!
deadline=$((SECONDS + 20))
until grep -q '^refusing' "$KV_DIR/refuse-tray.log"; do
    kv_alive "$refuser" || fail "the stand-in notification area ended: $(cat "$KV_DIR/refuse-tray.log")"
    [ $SECONDS -lt $deadline ] || fail "the stand-in notification area was not in place within 20 s"
    sleep 0.05
done

kv_start_app
xdotool mousemove 900 150
# Refused: no icon, and so no balloon, for longer than a retry takes.
deadline=$((SECONDS + 7))
while [ $SECONDS -lt $deadline ]; do
    [ "$(kv_tray_icon_pixels)" -lt 20 ] || fail "a tray icon while the notification area refuses it"
    rb_balloons
    assert_eq "" "$RB_BALLOONS" "balloons while the icon is refused"
    sleep 0.5
done

touch "$release"
kv_wait_exit "$refuser" 10 || fail "the stand-in notification area did not go"
kv_wait_tray_icon 15 || fail "no tray icon 15 s after the notification area takes icons"
deadline=$((SECONDS + 10))
until rb_balloons && [ -n "$RB_BALLOONS" ]; do
    [ $SECONDS -lt $deadline ] || fail "no balloon within 10 s of the icon's add"
    sleep 0.2
done
kv_log "balloon: $RB_BALLOON_TEXT"
assert_eq "$KV_WORK_WIN\\config.kv" "$(head -n1 <<<"$RB_BALLOON_TEXT" | tr -d '\r')" \
    "first line of the balloon"
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
kv_log "ok"
