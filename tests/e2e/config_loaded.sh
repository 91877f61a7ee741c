#!/bin/bash
# A config.kv with a path that has spaces and 10 minutes shows both texts exactly.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv test\tick log.bat' '10'
kv_start_app

drv get-text prgToRun
assert_eq 'C:\kv test\tick log.bat' "$DRV_OUT" "program box after loading config.kv"
drv get-text everyNMins
assert_eq "10" "$DRV_OUT" "minutes box after loading config.kv"
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "main window state"
kv_log "ok"
