#!/bin/bash
# Real mouse movement over the whole window, frame included, does nothing: the tray
# callback is a private message, so no pointer position can pass for a tray event. The
# window stays as it was (shown, not in front), no menu opens, nothing is saved.
# Positions that would read as a click or a right click on the icon (x = 0x201 to 0x205)
# lie beyond this window's right edge, so they are posted too, as moves on a wider
# screen would come.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
ui_start_app
click_desktop

drv rect KelvarionForm1 Kelvarion
read -r left top width height <<<"$DRV_OUT"
# One xdotool run: rows 4 px apart, points 6 px apart, each row there and back.
moves=()
for ((y = top; y < top + height; y += 4)); do
    for ((x = left; x < left + width; x += 6)); do
        moves+=(mousemove "$x" "$y")
    done
    moves+=(mousemove "$((left + width - 1))" "$y")
    for ((x = left + width - 1; x >= left; x -= 6)); do
        moves+=(mousemove "$x" "$((y + 2))")
    done
done
kv_log "sweeping the window ($DRV_OUT) with $((${#moves[@]} / 3)) moves"
xdotool "${moves[@]}"
mouse_away
drv sync

drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "window state after the sweep"
desktop_in_front || fail "the foreground changed during the sweep: $DRV_OUT"
assert_eq "$KV_MAIN_HWND $KV_APP_WINPID KelvarionForm1 \"Kelvarion\"" "$(app_windows)" \
    "the program's visible windows after the sweep"
kv_alive "$KV_APP_PID" || fail "kelvarion ended during the sweep"
assert_eq "" "$(config_files)" "config.kv files after the sweep"

# Hidden, so that a move read as a click would show the window again.
drv minimize
drv mouse-moves 0 1100 10
drv state
case $DRV_OUT in visible=0*) ;; *) fail "window state after posted moves at x = 0 to 1100: $DRV_OUT" ;; esac
drv count-top '#32768' '*'
assert_eq 0 "$DRV_OUT" "menus open after posted moves"
kv_alive "$KV_APP_PID" || fail "kelvarion ended during the posted moves"
kv_log "ok"
