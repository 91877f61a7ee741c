#!/bin/bash
# A config.kv with a path that has spaces and 3 minutes shows both texts exactly, in the
# window as it opens. With 3 minutes the batch starts at ticks 3, 6 and 9 only, hidden, in
# the working folder. A variable and a Path the user sets after start-up reach it once
# Windows says the environment changed, and not before. A new minutes value counts from
# the current tick: 10 minutes and 6 ticks gone, then 5 minutes: the next tick launches;
# after that every 5th tick does. Then a start that waits (a share that does not answer)
# holds neither the window nor Exit: the minutes box takes a new value, a start falling due
# meanwhile is dropped, and Exit saves and ends the program at once while the start waits.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_make_tick_batch
crlf_file "$KV_WORK/config.kv" "$KV_BAT_WIN" '3'
kv_start_app

drv get-text prgToRun
assert_eq 'C:\kv test\tick log.bat' "$DRV_OUT" "program box after loading config.kv"
drv get-text everyNMins
assert_eq "3" "$DRV_OUT" "minutes box after loading config.kv"
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "main window state"

for t in 1 2 3 4 5 6 7 8 9; do
    if [ $t -eq 4 ]; then
        for value in 'KV_LATE late' 'Path C:\kv\user bin'; do
            "$KV_WINE" reg add 'HKCU\Environment' /v "${value%% *}" /d "${value#* }" /f >/dev/null ||
                fail "could not set ${value%% *} in HKCU\Environment"
        done
    elif [ $t -eq 7 ]; then
        drv setting-change Environment
    fi
    if [ $t -eq 3 ]; then
        # Watch one whole run of the batch for windows.
        tick_expect "tick $t with minutes 3" 1 1 1800
    elif [ $((t % 3)) -eq 0 ]; then
        tick_expect "tick $t with minutes 3" 1 1 400
    else
        tick_expect "tick $t with minutes 3" 1 0
    fi
done

drv set-text everyNMins '10'
tick_expect "6 ticks with minutes 10" 6 0
drv set-text everyNMins '5'
tick_expect "the 7th tick, minutes changed from 10 to 5" 1 1
tick_expect "4 ticks after that launch with minutes 5" 4 0
tick_expect "the 5th tick after that launch" 1 1
tick_settle
mapfile -t seen <"$KV_WORK/environment.log"
kv_log "environment seen by the batch: ${seen[*]}"
assert_eq "[] [] [late] [late] [late]" "${seen[*]%% *}" \
    "KV_LATE in the runs before the change, before and after the broadcast"
case ${seen[2]%$'\r'} in
*'\system32;'*';C:\kv\user bin') ;;
*) fail "PATH after the broadcast is not the system's then the user's: ${seen[2]}" ;;
esac

rb_watch_starts --hold
drv set-text everyNMins '1'
drv tick 1
wait_for 5 "the start held inside CreateProcessW" drv_is "calls 1 outcomes 0" starts
drv set-text everyNMins '1.0'
drv tick 2
drv starts
assert_eq "calls 1 outcomes 0" "$DRV_OUT" "starts made while one waits"
drv set-text everyNMins '7'
drv get-text everyNMins
assert_eq 7 "$DRV_OUT" "minutes box while the start waits"
drv click butExit
expect_clean_exit 5
assert_eq "7" "$(sed -n 2p "$KV_WORK/config.kv" | tr -d '\r')" \
    "minutes saved while the start waited"
kv_log "ok"
