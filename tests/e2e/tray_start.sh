#!/bin/bash
# A quiet start lands in the tray with the whole start-up run. VARIANT switch: started with
# "/tray", as a scheduled task would. VARIANT minimized: started with SW_SHOWMINNOACTIVE in
# its STARTUPINFO, as by a shortcut set to "Run: Minimized". Once the icon is there and the
# settings are read, no window shows; a left click on the icon shows the window
# normal-sized, in front, with the settings read.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/rb_lib.sh"
. "$(dirname "$0")/ui_lib.sh"
kv_init "$@"
rb_init
kv_setup
program='C:\kv\quiet\job.bat'
crlf_file "$KV_WORK/config.kv" "$program" 7

case $KV_VARIANT in
switch) ui_start_app /tray ;;
minimized)
    # kvrb waits for the program and ends with its exit code, so it stands for it.
    (cd "$KV_WORK" && WINEDEBUG=${KV_WINEDEBUG:--all,err+all} \
        exec "$KV_WINE" "$RB_BIN/kvrb.exe" start-shown 7 "Z:${KV_EXE//\//\\}") \
        >"$KV_DIR/app.log" 2>&1 &
    KV_APP_PID=$!
    kv_wait_window "$KV_APP_PID" "$KV_DIR/app.log"
    KV_APP_WINPID=${DRV_OUT#* }
    KV_MAIN_HWND=${DRV_OUT%% *}
    ;;
*) fail "unknown variant [$KV_VARIANT]" ;;
esac
kv_wait_tray_icon 10 || fail "no tray icon"
mouse_away

expect_settings() {
    drv get-text 103
    assert_eq "$program" "$DRV_OUT" "program box $1"
    drv get-text 106
    assert_eq 7 "$DRV_OUT" "minutes box $1"
}
expect_settings "once started"
drv state
assert_eq "visible=0 iconic=0" "$DRV_OUT" "window state once started"
assert_eq "" "$(app_windows)" "visible windows of the program once started"

tray_click 1
mouse_away
wait_for 5 "the window shown by a click on the tray icon" drv_is "visible=1 iconic=0" state
wait_for 5 "the window in front" fg_is "$KV_MAIN_HWND"
drv sync
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "window state a moment after the click"
drv client
assert_eq "322 172" "$DRV_OUT" "client size after the click"
expect_settings "when shown"
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
kv_log "ok"
