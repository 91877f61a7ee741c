#!/bin/bash
# Every way out writes config.kv: exactly the two texts from the boxes, verbatim, each
# line ending CR LF, and a hidden config.kv stays hidden. VARIANT: exit-button, close or
# session-end.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\old\before.bat' '10'
"$KV_WINE" attrib +h "$KV_WORK_WIN\\config.kv"
[[ $(kv_attributes "$KV_WORK_WIN\\config.kv") == *H* ]] || fail "attrib could not hide config.kv"
kv_start_app

program='C:\Program Files\My Tools\run it now.bat'
minutes=' 7 '
drv set-text prgToRun "$program"
drv set-text everyNMins "$minutes"

case $KV_VARIANT in
exit-button)
    drv click butExit
    ;;
close)
    drv close
    ;;
session-end)
    wait_for 5 "the tray icon before the session ended" tray_icon
    drv end-session 10000
    assert_eq "queryendsession 1" "$(head -n1 <<<"$DRV_OUT")" "answer to WM_QUERYENDSESSION"
    # Windows may end the process as soon as WM_ENDSESSION returns: the file must be there.
    assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" "$minutes"
    # While the process still runs, only the program itself can remove its icon.
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        pixels=$(kv_tray_icon_pixels)
        [ "$pixels" -lt 20 ] && break
        sleep 0.2
    done
    [ "$pixels" -lt 20 ] || fail "the tray icon is still shown after WM_ENDSESSION"
    if kv_alive "$KV_APP_PID"; then
        kv_kill_app
    else
        kv_log "kelvarion ended by itself after WM_ENDSESSION"
    fi
    ;;
*)
    fail "unknown variant [$KV_VARIANT]"
    ;;
esac

kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after $KV_VARIANT"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" "$minutes"
attributes=$(kv_attributes "$KV_WORK_WIN\\config.kv")
[[ $attributes == *H* ]] || fail "config.kv is no longer hidden after the save: [$attributes]"
kv_log "ok"
