#!/bin/bash
# A quiet start lands in the tray with the whole start-up run: started with "/tray", as a
# scheduled task would, and started with SW_SHOWMINNOACTIVE in its STARTUPINFO, as by a
# shortcut set to "Run: Minimized". Once the icon is there and the settings are read, no
# window shows; a left click on the icon shows the window normal-sized, in front, with the
# settings read.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
program='C:\kv\quiet\job.bat'
crlf_file "$KV_WORK/config.kv" "$program" 7

expect_settings() {
    drv get-text prgToRun
    assert_eq "$program" "$DRV_OUT" "program box $1"
    drv get-text everyNMins
    assert_eq 7 "$DRV_OUT" "minutes box $1"
}

for how in /tray minimized; do
    if [ $how = /tray ]; then ui_start_app /tray; else ui_start_app --shown 7; fi
    expect_settings "once started ($how)"
    drv state
    assert_eq "visible=0 iconic=0" "$DRV_OUT" "window state once started ($how)"
    assert_eq "" "$(app_windows)" "visible windows of the program once started ($how)"

    tray_click 1
    mouse_away
    wait_for 5 "the window shown by a click on the tray icon" drv_is "visible=1 iconic=0" state
    wait_for 5 "the window in front" fg_is "$KV_MAIN_HWND"
    drv sync
    drv state
    assert_eq "visible=1 iconic=0" "$DRV_OUT" "window state a moment after the click ($how)"
    drv client
    assert_eq "322 172" "$DRV_OUT" "client size after the click ($how)"
    expect_settings "when shown ($how)"
    kv_alive "$KV_APP_PID" || fail "kelvarion ended ($how)"
    # Out the way it came, so the next start's icon is a new one.
    drv click butExit
    expect_clean_exit 10
    wait_for 5 "the tray icon gone after Exit" no_tray_icon
done
kv_log "ok"
