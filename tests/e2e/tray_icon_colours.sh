#!/bin/bash
# The tray icon shows the waiting bolt at start, and again after ticks that launched a
# program (the running icon is up only around each start); so does the window's title
# bar, and the icon's tip reads "Kelvarion: Waiting".
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_make_tick_batch
crlf_file "$KV_WORK/config.kv" "$KV_BAT_WIN" 1
ui_start_app
# The first tray slot, as kv_tray_icon_pixels looks at it.
tray_area=(1004 749 18 18)
expect_waiting_bolt "tray icon at start" "${tray_area[@]}"

# One at a time: batches started together could trip over each other's log writes.
for i in 1 2 3; do
    tick_expect "tick $i at 1 minute" 1 1
done
drv rect KelvarionForm1 Kelvarion
read -r left top _ _ <<<"$DRV_OUT"
expect_waiting_bolt "tray icon after the launches" "${tray_area[@]}"
# The small icon at the left end of the caption.
expect_waiting_bolt "title bar icon after the launches" $((left + 4)) $((top + 2)) 18 18

xdotool mousemove "$KV_TRAY_X" "$KV_TRAY_Y"
drv wait-top tooltips_class32 'Kelvarion: Waiting' 5000
mouse_away
tick_settle
kv_log "ok"
