#!/bin/bash
# "About..." opens the modal "About Kelvarion" box with its texts, OK as the default
# button and "System Info..."; the main window is disabled while it is open. Enter closes
# it, and so does Esc; then the main window takes input again. Saves about.png to
# KV_SCREENSHOTS when set.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/ui_lib.sh"
kv_init "$@"
kv_setup
ui_start_app
mouse_away

# open_about: clicks About..., waits for the box, and sets ABOUT to it once in front.
open_about() {
    drv click 108
    drv wait-top '#32770' 'About Kelvarion' 10000
    ABOUT=${DRV_OUT%% *}
    assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the About box's owner"
    wait_for 5 "the About box in front" fg_is "$ABOUT"
}

not_focus() {
    drv_try focus && [ "$DRV_OUT" != "$1" ]
}

about_closed() {
    wait_for 5 "the About box closed $1" drv_is 0 count-top '#32770' 'About Kelvarion'
    wait_for 5 "the main window enabled after $1" drv_is "enabled=1" enabled
}

open_about
drv enabled
assert_eq "enabled=0" "$DRV_OUT" "main window while the About box is open"
drv count-top '#32770' 'About Kelvarion'
assert_eq 1 "$DRV_OUT" "About boxes open"
drv dialog-text '#32770' 'About Kelvarion'
texts=$DRV_OUT
expect_line() {
    grep -qxF -- "$1" <<<"$texts" || fail "the About box lacks the text [$1]; it shows:
$texts"
}
expect_line 'Kelvarion'
expect_line 'Version 1.0'
expect_line 'This program stays in your system tray and will run a specified program (hidden) at specified intervals.'
grep -q '^Copyright ©' <<<"$texts" || fail "no copyright notice in the About box: $texts"
grep -qi 'without warranty' <<<"$texts" || fail "no warranty disclaimer in the About box: $texts"
drv buttons '#32770' 'About Kelvarion'
assert_eq $'1 default OK\n303 push &System Info...' "$DRV_OUT" "buttons of the About box"
shot about '#32770' 'About Kelvarion' caption

xdotool key Return
about_closed "Enter"
open_about
xdotool key Escape
about_closed "Esc"
# The window takes input again: Tab moves its focus.
wait_for 5 "the main window in front" fg_is "$KV_MAIN_HWND"
drv focus
before=$DRV_OUT
xdotool key Tab
wait_for 5 "the focus moved by Tab from $before" not_focus "$before"
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
kv_log "ok"
