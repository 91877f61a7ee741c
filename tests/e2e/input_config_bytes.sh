#!/bin/bash
# config.kv as Notepad saves it, "Unicode" (UTF-16 LE) and "UTF-8 with BOM", with text the
# ANSI code page lacks: read as written, left as it came. Then config.kv that no editor
# wrote: random bytes, NULs among them, and 6 MB on one line without a line end. Either
# way the program starts, shows what it could read, keeps working, and Exit writes the two
# texts back as two lines.
. "$(dirname "$0")/lib.sh"
kv_case "$@"

program='C:\kv\über ☃\tool.bat'
for encoding in UTF-16LE UTF-8; do
    mark='\xef\xbb\xbf'
    [ $encoding = UTF-8 ] || mark='\xff\xfe'
    { printf "$mark"; printf '%s\r\n7\r\n' "$program" | iconv -f UTF-8 -t $encoding; } \
        >"$KV_WORK/config.kv"
    cp "$KV_WORK/config.kv" "$KV_DIR/config.before"
    kv_start_app
    drv get-text prgToRun
    assert_eq "$program" "$DRV_OUT" "program box from $encoding"
    drv get-text everyNMins
    assert_eq 7 "$DRV_OUT" "minutes box from $encoding"
    drv click butExit
    kv_wait_exit "$KV_APP_PID" 20 || fail "kelvarion still runs 20 s after Exit ($encoding)"
    cmp -s "$KV_DIR/config.before" "$KV_WORK/config.kv" ||
        fail "config.kv in $encoding changed: $(od -c "$KV_WORK/config.kv" | head -4)"
done

# Reproducible random bytes: $1 bytes from stream number $2.
random_bytes() {
    openssl enc -aes-128-ctr -nosalt -K "$(printf '%032x' "$2")" -iv 0 -in /dev/zero 2>/dev/null |
        head -c "$1"
}

program_bytes=$KV_DIR/program.expected
for kind in binary huge; do
    minutes_text=5
    if [ $kind = binary ]; then
        # Line 1 and 2: random bytes up to a NUL (a text ends there), random bytes after it;
        # then 64 KB of random bytes of every kind, which are extra lines.
        random_bytes 400 1 | tr -d '\000\r\n' | head -c 300 >"$program_bytes"
        random_bytes 60 2 | tr -d '\000\r\n' | head -c 40 >"$KV_DIR/minutes.expected"
        minutes_text=$(cat "$KV_DIR/minutes.expected")
        {
            cat "$program_bytes"
            printf '\0'
            random_bytes 100 3 | tr -d '\r\n'
            printf '\r\n'
            cat "$KV_DIR/minutes.expected"
            printf '\0'
            random_bytes 20 4 | tr -d '\r\n'
            printf '\n'
            random_bytes 65536 5
        } >"$KV_WORK/config.kv"
        [ "$(tr -cd '\0' <"$KV_WORK/config.kv" | wc -c)" -ge 2 ] || fail "the test file has too few NULs"
    else
        # A path-like line, so the start attempt has something to look for.
        yes 'C:\kv\huge\0123456789abcdef' | tr -d '\n' | head -c $((6 * 1024 * 1024)) >"$program_bytes"
        cp "$program_bytes" "$KV_WORK/config.kv"
    fi
    kv_log "$kind config.kv: $(stat -c %s "$KV_WORK/config.kv") bytes"
    kv_start_app

    drv get-text-ansi prgToRun 'C:\kv\program.shown'
    cmp -s "$program_bytes" "$KV_C/kv/program.shown" ||
        fail "program box differs from the first line (up to a NUL) of the $kind file: $(cmp "$program_bytes" "$KV_C/kv/program.shown" 2>&1)"
    drv get-text-ansi everyNMins 'C:\kv\minutes.shown'
    printf '%s' "$minutes_text" | cmp -s - "$KV_C/kv/minutes.shown" ||
        fail "minutes box from the $kind file: $(od -c "$KV_C/kv/minutes.shown" | head -5)"

    # Still working: due ticks are handled, whatever the start attempt makes of the text.
    drv set-text everyNMins 1
    drv tick 3
    drv state
    assert_eq "visible=1 iconic=0" "$DRV_OUT" "window state after the ticks ($kind file)"
    # Back to the minutes as read, through a file: the command line would take them as UTF-8.
    printf '%s' "$minutes_text" >"$KV_C/kv/minutes.text"
    drv set-text-ansi everyNMins 'C:\kv\minutes.text'

    drv click butExit
    kv_wait_exit "$KV_APP_PID" 20 || fail "kelvarion still runs 20 s after Exit ($kind file)"
    {
        cat "$program_bytes"
        printf '\r\n%s\r\n' "$minutes_text"
    } >"$KV_DIR/config.expected"
    cmp -s "$KV_DIR/config.expected" "$KV_WORK/config.kv" ||
        fail "config.kv after Exit is not the two texts of the $kind file as two lines: $(cmp "$KV_DIR/config.expected" "$KV_WORK/config.kv" 2>&1)"
    rb_no_temp_files "$KV_WORK"
done
kv_log "ok"
