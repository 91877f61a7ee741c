#!/bin/bash
# A click on the tray icon while the About box is open shows the main window and brings
# the About box to the front, so Enter reaches it; it opens no second About box. First
# with the main window hidden when the box was opened (Close Window, then About...),
# then with it shown.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app

# open_about_behind: opens the About box, then puts the desktop in front.
open_about_behind() {
    drv click AboutBut
    drv wait-top '#32770' 'About Kelvarion' 10000
    ABOUT=${DRV_OUT%% *}
    wait_for 5 "the About box in front" fg_is "$ABOUT"
    click_desktop
}

expect_one_about() {
    drv sync
    drv count-top '#32770' 'About Kelvarion'
    assert_eq 1 "$DRV_OUT" "About boxes after a $1 click on the tray icon"
    drv enabled
    assert_eq "enabled=0" "$DRV_OUT" "main window while the About box is open"
}

drv click Close
wait_for 5 "the window hidden by Close Window" drv_is "visible=0 iconic=0" state
open_about_behind
tray_click 1 single
mouse_away
wait_for 5 "the hidden window shown by a click" drv_is "visible=1 iconic=0" state
wait_for 5 "the About box in front after a click" fg_is "$ABOUT"
expect_one_about single
xdotool key Return
wait_for 5 "the About box closed by Enter" drv_is 0 count-top '#32770' 'About Kelvarion'
wait_for 5 "the main window enabled" drv_is "enabled=1" enabled

open_about_behind
tray_click 1 double
mouse_away
wait_for 5 "the window still shown after a double-click" drv_is "visible=1 iconic=0" state
wait_for 5 "the About box in front after a double-click" fg_is "$ABOUT"
expect_one_about double
xdotool key Return
wait_for 5 "the About box closed by Enter" drv_is 0 count-top '#32770' 'About Kelvarion'
wait_for 5 "the main window enabled" drv_is "enabled=1" enabled
kv_log "ok"
