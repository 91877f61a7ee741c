#!/bin/bash
# A program that cannot be started is told once, in a tray balloon naming it: more
# failing ticks with the same text neither replace that balloon nor, once it has gone,
# show another. Another failing program text gets a balloon of its own.
# (Wine's explorer shows a balloon ~2 s after the request, for ~10 s, as a tooltip
# window; a new request destroys it and makes a new window.)
. "$(dirname "$0")/lib.sh"
kv_case "$@"
missing='C:\kv test\not there.exe'
crlf_file "$KV_WORK/config.kv" "$missing" 1
ui_start_app

# Prints the balloons shown: visible tooltip windows of the explorer, each as its hwnd and
# the first line of its text. The icon's hover tip (its text the tip) does not count.
balloons() {
    drv windows
    awk -v pid="$KV_APP_WINPID" '$2 != pid && $3 == "tooltips_class32" {
        text = substr($0, index($0, "\"") + 1)
        if (text !~ /^Kelvarion: /) print $1, text }' <<<"$DRV_OUT"
}

some_balloon() {
    [ -n "$(balloons)" ]
}

no_balloon() {
    [ -z "$(balloons)" ]
}

# expect_balloons_for SECONDS WANT WHAT: the balloons stay exactly WANT all along.
expect_balloons_for() {
    local deadline=$((SECONDS + $1))
    while [ $SECONDS -lt $deadline ]; do
        assert_eq "$2" "$(balloons)" "balloons $3"
        sleep 0.2
    done
}

drv tick 1
wait_for 8 "a balloon after the first failed start" some_balloon
first=$(balloons)
# The balloon's text starts with the program text, on a line of its own.
assert_eq "$missing" "${first#* }" "first line of the balloon"
kv_log "balloon: $first"
for _ in 1 2 3; do
    drv tick 1
done
drv sync
# A repeated request would replace the window well within 3 s.
expect_balloons_for 3 "$first" "after 3 more failing ticks"

wait_for 15 "the balloon gone by itself" no_balloon
for _ in 1 2 3; do
    drv tick 1
done
expect_balloons_for 3 "" "after 3 more failing ticks once the balloon had gone"

other='C:\kv test\not there either.bat'
drv set-text prgToRun "$other"
drv tick 1
wait_for 8 "a balloon for another failing program" some_balloon
second=$(balloons)
assert_eq "$other" "${second#* }" "first line of the second balloon"
kv_alive "$KV_APP_PID" || fail "kelvarion ended"
kv_log "ok"
