#!/bin/bash
# At log-on the taskbar may not take the icon yet. A notice sent meanwhile (config.kv
# held by another process, so the settings cannot be read) waits, and shows once a
# retry (every 5 s) gets the icon in.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
rb_lock_config

drv_background refuse-tray refusing refuse-tray "$KV_WORK_WIN\\tray.release"
refuser=$DRV_BACKGROUND

kv_start_app
mouse_away
# Refused: no icon, and so no balloon, for longer than a retry takes.
deadline=$((SECONDS + 7))
while [ $SECONDS -lt $deadline ]; do
    no_tray_icon || fail "a tray icon while the notification area refuses it"
    rb_balloons
    assert_eq "" "$RB_BALLOONS" "balloons while the icon is refused"
    sleep 0.5
done

touch "$KV_WORK/tray.release"
kv_wait_exit "$refuser" 10 || fail "the stand-in notification area did not go"
wait_for 15 "the tray icon once the notification area takes icons" tray_icon
rb_wait_balloon 10 "the icon's add"
assert_eq "$KV_WORK_WIN\\config.kv" "$(head -n1 <<<"$RB_BALLOON_TEXT" | tr -d '\r')" \
    "first line of the balloon"
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
kv_log "ok"
