#!/bin/bash
# Every way out writes config.kv in the working folder, and nowhere else: exactly the two
# texts from the boxes, verbatim, each line ending CR LF, and a hidden config.kv stays
# hidden; the program takes its tray icon away. One start each: the Exit button, the
# title-bar close, the end of the session, where the file is there once WM_ENDSESSION
# returns and the icon is gone, and a real click on Exit in the tray menu (opened by a
# right click on the icon), which ends the program cleanly even while a modal window of it
# is open: the About box, the Open dialog, or the About box's "System Information Is
# Unavailable" message box on top of it. Saves tray-menu.png (the open menu) to
# KV_SCREENSHOTS when set.
# Then the Restart Manager's close. A session end that is cancelled (WM_ENDSESSION FALSE)
# changes nothing: the program goes on starting its program. WM_ENDSESSION TRUE with
# ENDSESSION_CLOSEAPP, as installers send it: the program saves, and ends by itself, and a
# tick queued right behind it starts nothing.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
sysinfo_keys_clear
program='C:\Program Files\My Tools\run it now.bat'
minutes=' 7 '

for way in exit-button close session-end tray-menu tray-menu-about tray-menu-picker tray-menu-msgbox; do
    rm -f "$KV_WORK/config.kv"
    crlf_file "$KV_WORK/config.kv" 'C:\old\before.bat' '10'
    "$KV_WINE" attrib +h "$KV_WORK_WIN\\config.kv"
    [[ $(kv_attributes "$KV_WORK_WIN\\config.kv") == *H* ]] || fail "attrib could not hide config.kv"
    ui_start_app
    drv set-text prgToRun "$program"
    drv set-text everyNMins "$minutes"
    case $way in
    exit-button) drv click butExit ;;
    close) drv close ;;
    session-end)
        drv end-session 10000
        assert_eq "queryendsession 1" "$(head -n1 <<<"$DRV_OUT")" "answer to WM_QUERYENDSESSION"
        # Windows may end the process as soon as WM_ENDSESSION returns: the file must be there.
        assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" "$minutes"
        # While the process still runs, only the program itself can remove its icon.
        wait_for 2 "the tray icon gone after WM_ENDSESSION" no_tray_icon
        if kv_alive "$KV_APP_PID"; then
            kv_kill_app
        else
            kv_log "kelvarion ended by itself after WM_ENDSESSION"
        fi
        ;;
    tray-menu)
        tray_menu_open
        wait_for 5 "the tray icon's hover tip gone" drv_is 0 count-top tooltips_class32 '*'
        shot tray-menu '#32768' '*' tray
        tray_menu_pick 2
        ;;
    tray-menu-*)
        title='About Kelvarion'
        if [ $way = tray-menu-picker ]; then
            drv click BrowseBut
            title='Select...'
        else
            drv click AboutBut
        fi
        drv wait-top '#32770' "$title" 10000
        if [ $way = tray-menu-msgbox ]; then
            drv post-click '#32770' 'About Kelvarion' cmdSysInfo
            title='Kelvarion'
            drv wait-top '#32770' "$title" 10000
        fi
        assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the window [$title]"
        tray_menu_open
        xdotool key e
        ;;
    esac
    if [ $way = session-end ]; then
        kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after $way"
    else
        expect_clean_exit 10
    fi
    assert_eq "$KV_WORK/config.kv" "$(config_files)" "config.kv files after $way"
    assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" "$minutes"
    attributes=$(kv_attributes "$KV_WORK_WIN\\config.kv")
    [[ $attributes == *H* ]] || fail "config.kv is no longer hidden after the save ($way): [$attributes]"
    wait_for 5 "the tray icon gone after $way" no_tray_icon
    kv_log "$way: saved"
done

rm "$KV_WORK/config.kv"
program='C:\kv\session\tick.exe'
rb_install_runmark "$program"
kv_start_app
drv set-text prgToRun "$program"
drv set-text everyNMins 1
drv end-session 10000 --cancel
assert_eq "queryendsession 1" "$(head -n1 <<<"$DRV_OUT")" "answer to WM_QUERYENDSESSION"
drv tick 1
assert_eq 1 "$(rb_runs_when "$program" 1 10)" "runs after a cancelled session end and a due tick"
kv_alive "$KV_APP_PID" || fail "kelvarion ended after a cancelled session end"
[ ! -f "$KV_WORK/config.kv" ] || fail "config.kv written by a cancelled session end"

# Still due at every tick; saved as typed.
drv set-text everyNMins ' 1 '
drv end-session 10000 --closeapp --tick-queued
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after WM_ENDSESSION with ENDSESSION_CLOSEAPP"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" ' 1 '
# A start would have left its mark well within this.
sleep 2
assert_eq 1 "$(rb_runs "$program")" "runs in the end, with a due tick queued behind the session end"
kv_log "ok"
