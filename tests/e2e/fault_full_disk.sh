#!/bin/bash
# The working folder is on a full 64 KB file system: first not a byte is free, then 8 KB
# are, less than the long program text needs, so the new file is cut short. Either way
# Exit shows one message that blames the disk or the write, and the program ends; the old
# config.kv keeps every byte, and the temporary file is gone.
. "$(dirname "$0")/lib.sh"
kv_case "$@"

disk=$KV_DIR/disk
# A run killed by a timeout could not unmount: do it now.
if mountpoint -q "$disk"; then
    umount -l "$disk" || fail "a stale mount at $disk cannot be removed"
fi
mkdir -p "$disk"
mount -t tmpfs -o size=64k,mode=0755 kv-full-disk "$disk" || fail "could not mount a tmpfs at $disk (needs root)"
# Unmounted first thing on the way out; what it held is kept when the case fails.
on_exit() {
    local rc=$?
    if [ $rc -ne 0 ]; then
        cp -a "$disk/." "$KV_DIR/disk-contents" 2>/dev/null
    fi
    # Lazily: a Wine process may still have the folder open.
    umount -l "$disk"
    (exit $rc)
    kv_cleanup
}
trap on_exit EXIT

KV_WORK=$disk
KV_WORK_WIN="Z:${disk//\//\\}"
crlf_file "$KV_WORK/config.kv" 'C:\kv\old program.bat' '7'
cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
dd if=/dev/zero of="$disk/room" bs=4k count=2 2>/dev/null || fail "no room for 8 KB on $disk"
dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null
[ "$(df --output=avail -k "$disk" | tail -1)" -eq 0 ] || fail "the disk is not full: $(df -k "$disk")"
printf 'C:\\kv\\long\\run.exe %s' "$(head -c 40000 /dev/zero | tr '\0' 'x')" >"$KV_C/kv/long.txt"

for free in none some; do
    [ $free = some ] && rm "$disk/room"
    kv_log "free on the disk: $(df --output=avail -k "$disk" | tail -1) kB"
    kv_start_app
    drv get-text prgToRun
    assert_eq 'C:\kv\old program.bat' "$DRV_OUT" "program box read from the full disk"
    drv set-text-ansi prgToRun 'C:\kv\long.txt'
    drv click butExit
    rb_expect_save_failure "$KV_WORK_WIN\\config.kv"
    cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" ||
        fail "the old config.kv changed ($free free): $(od -c "$KV_WORK/config.kv" | head)"
    rb_no_temp_files "$KV_WORK"
    # The reason, after the blank line, is the system's text for the error: it has to be
    # about the disk or the write.
    reason=$(sed '1,/^$/d' <<<"$RB_SAVE_MESSAGE")
    grep -qiE 'disk|space|write' <<<"$reason" || fail "the message gives a wrong reason ($free free): [$reason]"
done
kv_log "ok"
