#!/bin/bash
# One copy per config.kv. Started again on the same folder, named in another letter case or
# through another drive letter (K:, as subst makes one), the new copy ends at once, without
# a window, an icon or a save of its own, and the running copy shows its window, in front;
# started with /tray, the new copy only ends. A copy in another folder runs beside it.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
# Made before the first start: Wine takes a folder's volume serial number from the drive
# letter that names it most closely, so K: changes it for copies started after it.
ln -s ../drive_c/kv/work "$WINEPREFIX/dosdevices/k:" || fail "could not make drive K:"
kv_start_app
first_win=$KV_APP_WINPID
drv click Close
drv state
assert_eq "visible=0 iconic=0" "$DRV_OUT" "first copy after Close Window"

# start_again FOLDER [ARGS]: starts the program in FOLDER and expects it to end within 10 s.
start_again() {
    local pid folder=$1
    shift
    (cd "$KV_WORK" && exec "$KV_WINE" cmd /c "cd /d $folder && Z:${KV_EXE//\//\\} $*") \
        >"$KV_DIR/app2.log" 2>&1 &
    pid=$!
    kv_wait_exit "$pid" 10 || fail "a second copy ($*) still runs 10 s after its start"
    wait "$pid"
    assert_eq 0 "$?" "exit code of a second copy ($*)"
    drv mains
    assert_eq "$first_win" "${DRV_OUT#* }" "main windows after a second copy ($*) ended"
}
start_again 'C:\KV\WORK' /tray
drv state
assert_eq "visible=0 iconic=0" "$DRV_OUT" "first copy after a second one started into the tray"
start_again 'K:\'
drv state
assert_eq "visible=1 iconic=0" "$DRV_OUT" "first copy after a second one started on K:"
drv foreground
assert_eq "$first_win KelvarionForm1" "$(cut -d' ' -f2,3 <<<"$DRV_OUT")" "window in front"
cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" || fail "config.kv changed by a second copy"

mkdir -p "$KV_C/kv/other"
(cd "$KV_C/kv/other" && exec "$KV_WINE" "$KV_EXE") >"$KV_DIR/app3.log" 2>&1 &
other_pid=$!
deadline=$((SECONDS + 20))
until drv mains && [ "$(wc -l <<<"$DRV_OUT")" -eq 2 ]; do
    kv_alive "$other_pid" || fail "the copy in another folder ended at once"
    [ $SECONDS -lt $deadline ] || fail "no second main window within 20 s: [$DRV_OUT]"
    sleep 0.1
done
other_win=$(awk -v first="$first_win" '$2 != first { print $2 }' <<<"$DRV_OUT")
drv --pid "$other_win" wait-window 20000
drv --pid "$other_win" click butExit
kv_wait_exit "$other_pid" 10 || fail "the copy in another folder still runs 10 s after Exit"
assert_file_bytes "$KV_C/kv/other/config.kv" '\r\n5\r\n'
drv click butExit
kv_wait_exit "$KV_APP_PID" 10 || fail "kelvarion still runs 10 s after Exit"
assert_file_bytes "$KV_WORK/config.kv" '%s\r\n%s\r\n' 'C:\kv\old program.bat' 7
kv_log "ok"
