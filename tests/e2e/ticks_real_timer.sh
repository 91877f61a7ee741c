#!/bin/bash
# The real one-minute timer, with nothing posted: with "1" the program starts about a minute
# after the window appears (55-75 s), and again a minute after that (55-65 s). Every other
# case posts its ticks on a clock they move, so this is the one that sees Timer1's own
# interval counted on GetTickCount64.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
unset KV_E2E_TICK_CLOCK
program='C:\kv\timer\tick.exe'
rb_install_runmark "$program"
crlf_file "$KV_WORK/config.kv" "$program" 1
kv_start_app
shown=$EPOCHREALTIME

# Waits up to $2 seconds for run number $1; prints the seconds since the window appeared.
run_at() {
    local deadline=$((SECONDS + $2))
    until [ "$(rb_runs "$program")" -ge "$1" ]; do
        [ $SECONDS -lt $deadline ] || fail "run $1 did not come within $2 s"
        sleep 0.2
    done
    awk -v now="$EPOCHREALTIME" -v from="$shown" 'BEGIN { printf "%.1f", now - from }'
}

# within LOW HIGH SECONDS WHAT
within() {
    awk -v l="$1" -v h="$2" -v s="$3" 'BEGIN { exit !(s >= l && s <= h) }' ||
        fail "$4 came after $3 s, not within $1-$2 s"
}

first=$(run_at 1 90)
kv_log "first start $first s after the window appeared"
within 55 75 "$first" "the first start"
assert_eq 1 "$(rb_runs "$program")" "runs at the first minute"
second=$(run_at 2 80)
gap=$(awk -v a="$first" -v b="$second" 'BEGIN { printf "%.1f", b - a }')
kv_log "second start $second s after the window appeared, $gap s after the first"
within 55 65 "$gap" "the second start"
assert_eq 2 "$(rb_runs "$program")" "runs at the second minute"
kv_log "ok"
