#!/bin/bash
# First start, without config.kv: the window shows, not minimized, with an empty program box
# and 5 minutes. At 96 DPI every control sits at its twips rectangle turned into pixels,
# with its exact text; the caption, a fixed frame with a minimize box, and a 322 x 172
# client area. Saves window.png (the window as drawn) to KV_SCREENSHOTS when that is set.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_start_app

drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "main window state at first start"
# control class left top width height (twips) text
layout=$(
    cat <<'EOF'
Label1 Static 120 0 3015 615 This program will run a specified .exe or .bat file at regular intervals while hiding in the system tray.
Label2 Static 120 840 1215 255 Program to run:
prgToRun Edit 1320 840 2175 285 
BrowseBut Button 3600 840 1095 375 Browse...
Label3 Static 480 1440 855 255 Run every:
everyNMins Edit 1320 1440 2175 285 5
Label4 Static 3600 1440 1215 255 minutes.
AboutBut Button 120 2040 1455 375 About...
Close Button 1680 2040 1455 375 Close Window
butExit Button 3240 2040 1455 375 Exit
EOF
)
# px = round(twips * 96 / 1440)
expected_rects=$(awk '{ printf "%s %s", $1, $2
    for (i = 3; i <= 6; i++) printf " %d", int($i * 96 / 1440 + 0.5); print "" }' <<<"$layout" | sort)
expected_texts=$(awk '{ t = $0; for (i = 1; i <= 6; i++) sub(/^[^ ]* /, "", t); print $1 " " t }' \
    <<<"$layout" | sort)

drv rects
assert_eq "$expected_rects" "$(sort <<<"$DRV_OUT")" "control rectangles in client pixels"
# The boxes at first start among them: no program, 5 minutes.
drv texts
assert_eq "$expected_texts" "$(sort <<<"$DRV_OUT")" "control texts"
drv client
assert_eq "322 172" "$DRV_OUT" "client area size"
drv count-top KelvarionForm1 Kelvarion
assert_eq 1 "$DRV_OUT" "visible windows of class KelvarionForm1 captioned Kelvarion"
drv style
assert_eq "sizable=0 minimizebox=1 maximizebox=0" "$DRV_OUT" "frame of the main window"

mouse_away
wait_for 5 "the main window in front" fg_is "$KV_MAIN_HWND"
shot window KelvarionForm1 Kelvarion caption
kv_log "ok"
