#!/bin/bash
# "About..." opens the modal "About Kelvarion" box with its texts, OK as the default
# button and "System Info..."; the main window is disabled while it is open. Enter closes
# it, and so does Esc; then the main window takes input again. Saves about.png to
# KV_SCREENSHOTS when set.
# "System Info..." starts the system-information tool, shown normally, and the About box
# stays open. The registry names the tool, read at each click: by its full path
# (HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO, value PATH), by its folder holding
# MSINFO32.EXE (HKLM\SOFTWARE\Microsoft\Shared Tools Location, value MSINFO), or not at
# all: then a message box "Kelvarion" says the tool is unavailable, with only an OK button,
# and once it is dismissed the About box is still open.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
sysinfo_keys_clear
kv_start_app
mouse_away

not_focus() {
    drv_try focus && [ "$DRV_OUT" != "$1" ]
}

about_open
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
assert_eq $'IDOK default OK\ncmdSysInfo push &System Info...' "$DRV_OUT" "buttons of the About box"
shot about '#32770' 'About Kelvarion' caption

xdotool key Return
about_closed "Enter"
about_open
xdotool key Escape
about_closed "Esc"
# The window takes input again: Tab moves its focus.
wait_for 5 "the main window in front" fg_is "$KV_MAIN_HWND"
drv focus
before=$DRV_OUT
xdotool key Tab
wait_for 5 "the focus moved by Tab from $before" not_focus "$before"

path_tool='C:\Program Files\kv sysinfo\fake info.exe'
rb_install_runmark "$path_tool"
kv_reg add "$KV_SYSINFO_PATH_KEY" /v PATH /t REG_SZ /d "$path_tool" /f ||
    fail "could not set $KV_SYSINFO_PATH_KEY"
about_open
sysinfo_expect "$path_tool"

sysinfo_keys_clear
folder_tool='C:\Program Files\kv info folder\MSINFO32.EXE'
rb_install_runmark "$folder_tool"
kv_reg add "$KV_SYSINFO_FOLDER_KEY" /v MSINFO /t REG_SZ /d 'C:\Program Files\kv info folder' /f ||
    fail "could not set $KV_SYSINFO_FOLDER_KEY"
about_open
sysinfo_expect "$folder_tool"

sysinfo_keys_clear
about_open
sysinfo_expect
assert_eq "1 1" "$(rb_runs "$path_tool") $(rb_runs "$folder_tool")" "runs of the two tools in the end"
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
kv_log "ok"
