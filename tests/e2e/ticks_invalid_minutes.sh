#!/bin/bash
# Minutes that are not a whole number >= 1 launch nothing and leave the count alone;
# " 2 " and "2.0" count as 2.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_make_tick_batch
crlf_file "$KV_WORK/config.kv" "$KV_BAT_WIN" 'abc'
kv_start_app

for bad in 'abc' '0' '4.5' '' '-2' '2x'; do
    drv set-text everyNMins "$bad"
    tick_expect "12 ticks with minutes [$bad]" 12 0
done
# Had the invalid ticks counted, the first tick here would launch.
drv set-text everyNMins ' 2 '
tick_expect "first tick with minutes [ 2 ]" 1 0
tick_expect "second tick with minutes [ 2 ]" 1 1
drv set-text everyNMins '2.0'
tick_expect "first tick with minutes [2.0]" 1 0
tick_expect "second tick with minutes [2.0]" 1 1
tick_settle
kv_log "ok"
