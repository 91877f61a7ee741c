#!/bin/bash
# A new minutes value counts from the current tick: 10 minutes and 6 ticks gone, then
# 5 minutes: the next tick launches; after that every 5th tick does.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_make_tick_batch
crlf_file "$KV_WORK/config.kv" "$KV_BAT_WIN" '10'
kv_start_app

tick_expect "ticks 1-6 with minutes 10" 6 0
drv set-text everyNMins '5'
tick_expect "tick 7, minutes changed from 10 to 5" 1 1
tick_expect "4 ticks after that launch with minutes 5" 4 0
tick_expect "the 5th tick after that launch" 1 1
tick_settle
kv_log "ok"
