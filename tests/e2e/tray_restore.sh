#!/bin/bash
# Minimize hides the window; a real left click on the tray icon brings it back, normal
# size and in front. The same after a double-click, which must not hide it again.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app

for how in single double; do
    drv minimize
    drv state
    assert_eq "visible=0 iconic=1" "$DRV_OUT" "window state after minimize"
    click_desktop
    tray_click 1 $how
    mouse_away
    wait_for 5 "the window shown after a $how click on the tray icon" \
        drv_is "visible=1 iconic=0" state
    wait_for 5 "the window in front after a $how click" fg_is "$KV_MAIN_HWND"
    # A double-click brings further events; once the program has handled them, look again.
    drv sync
    drv state
    assert_eq "visible=1 iconic=0" "$DRV_OUT" "window state a moment after the $how click"
    drv client
    assert_eq "322 172" "$DRV_OUT" "client size after the $how click"
    kv_log "$how click: shown and in front"
done
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
[ ! -e "$KV_WORK/config.kv" ] || fail "config.kv written by minimize or restore"
kv_log "ok"
