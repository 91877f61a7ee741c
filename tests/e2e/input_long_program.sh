#!/bin/bash
# A program text of 40 000 characters, more than a command line holds: the box takes it,
# Exit saves it, the next start shows it whole, and due ticks with it are refused at once,
# told in one balloon, and start nothing.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
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
drv set-text-ansi prgToRun 'C:\kv\long.txt'
drv click butExit
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
{
    cat "$text"
    printf '\r\n3\r\n'
} >"$KV_DIR/config.expected"
cmp -s "$KV_DIR/config.expected" "$KV_WORK/config.kv" ||
    fail "config.kv after Exit: $(cmp "$KV_DIR/config.expected" "$KV_WORK/config.kv" 2>&1), $(stat -c %s "$KV_WORK/config.kv") bytes"

kv_start_app
drv get-text-ansi prgToRun 'C:\kv\long.shown'
cmp -s "$text" "$KV_C/kv/long.shown" ||
    fail "program box after a restart: $(cmp "$text" "$KV_C/kv/long.shown" 2>&1), $(stat -c %s "$KV_C/kv/long.shown") bytes"

# Windows refuses a command line this long (Wine 8 would start the program with the first
# 32 766 characters): the start is refused before any look-up, so the tick is quick.
drv set-text everyNMins 1
started=$(date +%s%N)
drv tick 1
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
kv_log "a due tick with the long text took $elapsed_ms ms"
[ "$elapsed_ms" -lt 5000 ] || fail "a due tick with the long text took $elapsed_ms ms"
rb_wait_balloon 8 "a start that was refused"
first=$RB_BALLOONS
# The text loses its middle to an ellipsis, never the reason, on the line after it.
subject=$(head -n1 <<<"$RB_BALLOON_TEXT")
reason=$(sed -n 2p <<<"$RB_BALLOON_TEXT")
kv_log "balloon: [$subject] [$reason]"
case $subject in
"${program} arg00001 arg00002"*…*"$(tail -c 24 "$text")") ;;
*) fail "the balloon's first line is not the text's start, an ellipsis and its end: [$subject]" ;;
esac
[ ${#subject} -lt 255 ] || fail "the balloon's first line has ${#subject} characters"
[ -n "$reason" ] && [ "${reason#*arg}" = "$reason" ] ||
    fail "the balloon's second line is not the reason: [$reason]"
drv tick 2
rb_balloon_stays "$first" 3
assert_eq 0 "$(rb_runs "$program")" "runs of $program after refused starts"
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "window after the due ticks"
drv get-text-ansi prgToRun 'C:\kv\long.shown'
cmp -s "$text" "$KV_C/kv/long.shown" || fail "program box changed by the ticks"
kv_log "ok"
