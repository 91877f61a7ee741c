#!/bin/bash
# 10 000 ticks at 10 minutes start a program that exits at once 1 000 times, in batches
# (each start done before the next falls due),
# while the window is hidden, minimized and brought back and the About box and the tray
# menu are opened and closed 300 times each. Afterwards the program holds no more kernel
# handles and barely more memory than after the first batch, still answers and still
# saves, and every start happened: the program leaves a file per run, counted per batch.
. "$(dirname "$0")/lib.sh"
kv_case "$@"

BATCHES=100
TICKS=100
MINUTES=10
CYCLES=3           # About, menu and a hide per batch
HANDLE_MARGIN=10
MEMORY_MARGIN_KB=1024  # a clean run grows by ~30 kB; 300 leaked About icons by ~1.4 MB
program='C:\kv\soak\tick.exe'

rb_install_runmark "$program"
crlf_file "$KV_WORK/config.kv" "$program" "$MINUTES"
kv_start_app
# The Linux process is Wine's loader turned into the program: measure that one.
tr '\0' ' ' <"/proc/$KV_APP_PID/cmdline" | grep -q 'kelvarion\.exe' ||
    fail "process $KV_APP_PID is not kelvarion.exe: $(tr '\0' ' ' <"/proc/$KV_APP_PID/cmdline")"

# Memory is counted as the program's own: VmRSS less the X11 window images (see rb_memory).
sample() {
    drv handles
    handles=$DRV_OUT
    read -r rss shmem < <(rb_memory "$KV_APP_PID")
    own=$((rss - shmem))
    kv_log "after batch $1: launches $(rb_runs "$program"), handles $handles, VmRSS $rss kB" \
        "(X11 images $shmem kB, own $own kB)"
}

per_batch=$((TICKS / MINUTES))
rb_watch_starts
for batch in $(seq "$BATCHES"); do
    rb_tick "$TICKS" "$MINUTES"
    want=$((batch * per_batch))
    got=$(rb_runs_when "$program" "$want" 60)
    assert_eq "$want" "$got" "launches after batch $batch ($((batch * TICKS)) ticks)"
    drv ui-cycles "$CYCLES"
    if [ "$batch" -eq 1 ]; then
        sample "$batch"
        handles0=$handles own0=$own
    elif [ $((batch % 25)) -eq 0 ]; then
        sample "$batch"
    fi
done

# A late start would show up here.
sleep 1
assert_eq $((BATCHES * per_batch)) "$(rb_runs "$program")" "launches in the end"
sample end
drift=$((handles - handles0))
[ ${drift#-} -le $HANDLE_MARGIN ] ||
    fail "kernel handles went from $handles0 after the first batch to $handles"
[ $((own - own0)) -lt $MEMORY_MARGIN_KB ] ||
    fail "memory grew by $((own - own0)) kB (from $own0 to $own kB) after the first batch"

# Still answers: the texts, the state, a due tick, and a save on the way out.
drv get-text prgToRun
assert_eq "$program" "$DRV_OUT" "program box after the soak"
drv get-text everyNMins
assert_eq "$MINUTES" "$DRV_OUT" "minutes box after the soak"
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "window state after the soak"
drv tick "$MINUTES"
assert_eq $((BATCHES * per_batch + 1)) "$(rb_runs_when "$program" $((BATCHES * per_batch + 1)) 60)" \
    "launches after one more round of ticks"
drv set-text everyNMins ' 9 '
drv click butExit
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' "$program" ' 9 '
rb_no_temp_files "$KV_WORK"
kv_log "ok"
