#!/bin/bash
# A program text of 40 000 characters, more than a command line holds: the box takes it,
# Exit saves it, the next start shows it whole, and due ticks with it do no harm.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/rb_lib.sh"
kv_init "$@"
rb_init
kv_setup
program='C:\kv\long\tick.exe'
rb_install_runmark "$program"
crlf_file "$KV_WORK/config.kv" 'C:\kv\short.bat' 3

# The program and then arguments, so the start gets as far as the command line.
text=$KV_DIR/long.txt
{
    printf '%s' "$program"
    seq -f ' arg%05g' 5000 | tr -d '\n'
} | head -c 40000 >"$text"
assert_eq 40000 "$(stat -c %s "$text")" "length of the long text"
cp "$text" "$KV_C/kv/long.txt"

kv_start_app
rb set-text-ansi 103 'C:\kv\long.txt'
drv click 110
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
{
    cat "$text"
    printf '\r\n3\r\n'
} >"$KV_DIR/config.expected"
cmp -s "$KV_DIR/config.expected" "$KV_WORK/config.kv" ||
    fail "config.kv after Exit: $(cmp "$KV_DIR/config.expected" "$KV_WORK/config.kv" 2>&1), $(stat -c %s "$KV_WORK/config.kv") bytes"

kv_start_app
rb get-text-ansi 103 'C:\kv\long.shown'
cmp -s "$text" "$KV_C/kv/long.shown" ||
    fail "program box after a restart: $(cmp "$text" "$KV_C/kv/long.shown" 2>&1), $(stat -c %s "$KV_C/kv/long.shown") bytes"

# Windows refuses a command line this long; Wine 8 starts the program with the first
# 32 766 characters. Either way: no more starts than due ticks, a refusal told in one
# balloon, and the program answers afterwards with its text intact.
drv set-text 106 1
drv tick 1
deadline=$((SECONDS + 8))
while :; do
    rb_balloons
    [ -n "$RB_BALLOONS" ] || [ "$(rb_runs "$program")" -ge 1 ] && break
    [ $SECONDS -lt $deadline ] || fail "a due tick neither started the program nor told of a failure within 8 s"
    sleep 0.1
done
if [ -n "$RB_BALLOONS" ]; then
    first=$RB_BALLOONS
    kv_log "the start was refused: balloon $first"
    drv tick 2
    rb_balloon_stays "$first" 3
    assert_eq 0 "$(rb_runs "$program")" "runs of $program after refused starts"
else
    kv_log "the start went ahead (a command line cut short)"
    drv tick 2
    assert_eq 3 "$(rb_runs_when "$program" 3 10)" "runs of $program after 3 due ticks"
    rb_balloons
    assert_eq "" "$RB_BALLOONS" "balloons after starts that went ahead"
fi
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "window after the due ticks"
rb get-text-ansi 103 'C:\kv\long.shown'
cmp -s "$text" "$KV_C/kv/long.shown" || fail "program box changed by the ticks"
kv_log "ok"
