#!/bin/bash
# Minutes texts that are no usable whole number >= 1 start nothing and leave the count
# alone, and the program keeps running. Each text is saved byte for byte at exit and shown
# again at the next start, as read (a number in range is shown rounded, half to even; any
# other text as it is). In one run, 12 ticks each of more such texts start nothing either,
# and " 2 " and "2.0" count as 2. What starts, starts hidden, in the working folder.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
kv_make_tick_batch
crlf_file "$KV_WORK/config.kv" "$KV_BAT_WIN" 7

digits300=$(printf '9%.0s' $(seq 300))
# "text|shown at the next start"
cases=(
    'abc|abc'
    '0|0'
    '-5|-5'
    '4.5|4'
    '1e9|1e9'
    '99999|99999'
    "$digits300|$digits300"
)

start() {
    kv_start_app
    tr '\0' ' ' <"/proc/$KV_APP_PID/cmdline" | grep -q 'kelvarion\.exe' || fail "not kelvarion.exe"
}
start
shown=7
for c in "${cases[@]}"; do
    text=${c%%|*}
    next=${c#*|}
    what="minutes [${text:0:20}$([ ${#text} -gt 20 ] && echo ...)]"
    drv get-text everyNMins
    assert_eq "$shown" "$DRV_OUT" "minutes box at start"
    # Checked a restart later, so a late start has had time to show.
    assert_eq "$KV_LAUNCHES" "$(kv_lines "$KV_TICK_LOG")" "launches so far"

    drv set-text everyNMins "$text"
    tick_expect "40 ticks with $what" 40 0
    drv state
    assert_eq "visible=1 iconic=0" "$DRV_OUT" "window after 40 ticks with $what"
    # 3 ticks at 2 start the program once from a count left alone (at the 2nd), twice
    # had the 40 ticks counted (at the 1st and the 3rd).
    drv set-text everyNMins 2
    tick_expect "40 ticks with $what and 3 at 2" 3 1

    drv set-text everyNMins "$text"
    drv click butExit
    kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit with $what"
    assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$KV_BAT_WIN" "$text"
    kv_log "$what saved"
    start
    shown=$next
done
drv get-text everyNMins
assert_eq "$shown" "$DRV_OUT" "minutes box at the last start"
drv get-text prgToRun
assert_eq "$KV_BAT_WIN" "$DRV_OUT" "program box at the last start"
assert_eq "$KV_LAUNCHES" "$(kv_lines "$KV_TICK_LOG")" "launches at the last start"

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
