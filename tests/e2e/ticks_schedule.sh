#!/bin/bash
# With 3 minutes the batch starts at ticks 3, 6 and 9 only, hidden, in the working folder.
. "$(dirname "$0")/lib.sh"
kv_init "$@"
kv_setup
kv_make_tick_batch
crlf_file "$KV_WORK/config.kv" "$KV_BAT_WIN" '3'
kv_start_app

for t in 1 2 3 4 5 6 7 8 9; do
    if [ $t -eq 3 ]; then
        # Watch one whole run of the batch for windows.
        tick_expect "tick $t with minutes 3" 1 1 1800
    elif [ $((t % 3)) -eq 0 ]; then
        tick_expect "tick $t with minutes 3" 1 1 400
    else
        tick_expect "tick $t with minutes 3" 1 0
    fi
done
tick_settle
kv_log "ok"
