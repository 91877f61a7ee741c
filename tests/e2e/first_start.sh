#!/bin/bash
# First start without config.kv: empty program box, 5 minutes, the window visible.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_start_app

drv get-text prgToRun
assert_eq "" "$DRV_OUT" "program box at first start"
drv get-text everyNMins
assert_eq "5" "$DRV_OUT" "minutes box at first start"
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "main window state at first start"
kv_log "ok"
