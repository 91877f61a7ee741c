#!/bin/bash
# The window comes back from the tray. "Close Window" only hides it: the program keeps
# running and writes no config.kv; a left click on the tray icon shows the window again,
# in front, as it was. Minimize hides it too; a real left click on the icon brings it back,
# normal size and in front, and so does a double-click, which must not hide it again. A
# click while the About box is open shows the main window and brings the About box to the
# front, so Enter reaches it; it opens no second About box. Nothing is saved.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app
drv set-text prgToRun 'C:\kv test\not saved.bat'

# expect_shown HOW: the window is back, in front and normal-sized after HOW.
expect_shown() {
    wait_for 5 "the window shown after $1" drv_is "visible=1 iconic=0" state
    wait_for 5 "the window in front after $1" fg_is "$KV_MAIN_HWND"
    # A double-click brings further events; once the program has handled them, look again.
    drv sync
    drv state
    assert_eq "visible=1 iconic=0" "$DRV_OUT" "window state a moment after $1"
    drv client
    assert_eq "322 172" "$DRV_OUT" "client size after $1"
}

hide_window
drv sync
kv_alive "$KV_APP_PID" || fail "kelvarion ended after Close Window"
assert_eq "" "$(config_files)" "config.kv files after Close Window"
click_desktop
tray_click 1
mouse_away
expect_shown "a click on the tray icon, after Close Window"
drv get-text prgToRun
assert_eq 'C:\kv test\not saved.bat' "$DRV_OUT" "program box after hiding and showing"

for how in single double; do
    drv minimize
    drv state
    assert_eq "visible=0 iconic=1" "$DRV_OUT" "window state after minimize"
    click_desktop
    tray_click 1 $how
    mouse_away
    expect_shown "a $how click on the tray icon, after minimize"
done

# The About box opened while the window is hidden, then while it is shown; the desktop
# in front either way.
hide_window
for how in single double; do
    about_open
    click_desktop
    tray_click 1 $how
    mouse_away
    wait_for 5 "the window shown after a $how click" drv_is "visible=1 iconic=0" state
    wait_for 5 "the About box in front after a $how click" fg_is "$ABOUT"
    drv sync
    drv count-top '#32770' 'About Kelvarion'
    assert_eq 1 "$DRV_OUT" "About boxes after a $how click on the tray icon"
    drv enabled
    assert_eq "enabled=0" "$DRV_OUT" "main window while the About box is open"
    xdotool key Return
    about_closed "Enter"
done
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
assert_eq "" "$(config_files)" "config.kv files after hiding and showing"
kv_log "ok"
