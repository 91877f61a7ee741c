#!/bin/bash
# Minutes texts that are no usable whole number: 40 ticks start nothing and leave the count
# alone, and the program keeps running; the text is saved byte for byte at exit and shown again at the next start, as read
# (a number in range is shown rounded, half to even; any other text as it is).
. "$(dirname "$0")/lib.sh"
kv_case "$@"
program='C:\kv\minutes\tick.exe'
rb_install_runmark "$program"
crlf_file "$KV_WORK/config.kv" "$program" 7

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
launches=0
for c in "${cases[@]}"; do
    text=${c%%|*}
    next=${c#*|}
    what="minutes [${text:0:20}$([ ${#text} -gt 20 ] && echo ...)]"
    drv get-text everyNMins
    assert_eq "$shown" "$DRV_OUT" "minutes box at start"
    # Checked a restart later, so a late start has had time to show.
    assert_eq "$launches" "$(rb_runs "$program")" "launches so far"

    drv set-text everyNMins "$text"
    drv tick 40
    drv state
    assert_eq "visible=1 iconic=0" "$DRV_OUT" "window after 40 ticks with $what"
    # 3 ticks at 2 start the program once from a count left alone (at the 2nd), twice
    # had the 40 ticks counted (at the 1st and the 3rd).
    drv set-text everyNMins 2
    drv tick 3
    launches=$((launches + 1))
    assert_eq "$launches" "$(rb_runs_when "$program" "$launches" 10)" \
        "launches after 40 ticks with $what and 3 at 2"

    drv set-text everyNMins "$text"
    drv click butExit
    kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit with $what"
    assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" "$text"
    kv_log "$what saved"
    start
    shown=$next
done
drv get-text everyNMins
assert_eq "$shown" "$DRV_OUT" "minutes box at the last start"
drv get-text prgToRun
assert_eq "$program" "$DRV_OUT" "program box at the last start"
assert_eq "$launches" "$(rb_runs "$program")" "launches in the end"
kv_log "ok"
