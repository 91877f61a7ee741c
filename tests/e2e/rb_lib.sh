# Helpers of the fault, bad-input and soak cases. Source after lib.sh, call rb_init after
# kv_init. The helper programs come from the e2e_rb_helpers fixture (rb_build_helpers.sh).

# shellcheck disable=SC2034  # some variables are set here for the case scripts
RB_BIN=""
RB_OUT=""
RB_SAVE_MESSAGE=""
RB_BALLOONS=""
RB_BALLOON_TEXT=""
RB_LOCKER=""
RB_RELEASE=""

rb_init() {
    RB_BIN=$KV_SCRATCH/rb-bin
    local exe
    for exe in runmark.exe locker.exe kvrb.exe; do
        [ -f "$RB_BIN/$exe" ] || fail "$RB_BIN/$exe not built (the e2e_rb_helpers fixture makes it)"
    done
}

# Runs kvrb.exe; its stdout lands in RB_OUT. A failing kvrb fails the case, with its reason.
rb() {
    local rc
    RB_OUT=$("$KV_WINE" "$RB_BIN/kvrb.exe" "$@" 2>"$KV_DIR/kvrb.err")
    rc=$?
    [ $rc -eq 0 ] || fail "kvrb $* exited $rc: $(cat "$KV_DIR/kvrb.err")"
}

# The Linux path of a path on C:, e.g. 'C:\kv\x.exe'.
rb_unix_path() {
    local rest=${1#[Cc]:\\}
    printf '%s/%s\n' "$KV_C" "${rest//\\//}"
}

# Puts a copy of runmark.exe at the Windows path $1. Each run of it leaves one file in
# the folder of the same name with ".runs" for ".exe".
rb_install_runmark() {
    local target
    target=$(rb_unix_path "$1")
    mkdir -p "$(dirname "$target")"
    cp "$RB_BIN/runmark.exe" "$target"
}

# How many times the runmark copy at the Windows path $1 has run.
rb_runs() {
    local folder
    folder=$(rb_unix_path "$1")
    folder=${folder%.exe}.runs
    if [ -d "$folder" ]; then
        find "$folder" -type f | wc -l
    else
        echo 0
    fi
}

# Polls up to $3 seconds until the runmark copy $1 has run at least $2 times; prints the count.
rb_runs_when() {
    local deadline=$((SECONDS + $3)) n
    while :; do
        n=$(rb_runs "$1")
        if [ "$n" -ge "$2" ] || [ $SECONDS -ge $deadline ]; then
            echo "$n"
            return
        fi
        sleep 0.05
    done
}

# kB of the process $1 from /proc/PID/status: "VMRSS SHMEM". The shared part is the X11
# images of windows Wine has drawn: it swings by a megabyte or more with which windows
# were shown last, while the program's own memory (anonymous and file pages) does not.
rb_memory() {
    awk '$1 == "VmRSS:" { r = $2 } $1 == "RssShmem:" { s = $2 } END { print r + 0, s + 0 }' \
        "/proc/$1/status"
}

# Sets RB_BALLOONS to the handles of the balloons shown, one a line, and RB_BALLOON_TEXT to
# the text of the first (its lines as shown). Wine's explorer shows a tray balloon as a
# tooltips_class32 window about 2 s after it is asked for; the icon's own hover tip is one
# too, but its text is the tip ("Kelvarion: ..."), and the program's own tooltips are not
# the explorer's: neither counts.
rb_balloons() {
    drv windows
    RB_BALLOONS=$(awk -v pid="$KV_APP_WINPID" -v textfile="$KV_DIR/balloon.txt" '
        function flush() {
            sub(/"$/, "", text)
            if (hwnd != "" && class == "tooltips_class32" && owner != pid && text !~ /^Kelvarion: /) {
                print hwnd
                if (!found) printf "%s", text >textfile
                found = 1
            }
            hwnd = ""
        }
        BEGIN { printf "" >textfile }
        # "hwnd pid class "title"": a title may run over several lines.
        /^0x[0-9a-fA-F]+ [0-9]+ / {
            flush(); hwnd = $1; owner = $2; class = $3
            text = substr($0, index($0, "\"") + 1)
            next
        }
        { text = text "\n" $0 }
        END { flush() }' <<<"$DRV_OUT")
    RB_BALLOON_TEXT=$(cat "$KV_DIR/balloon.txt")
}

# For $2 seconds, the only balloon shown is $1, and it stays up. A balloon asked for again
# replaces the one shown at once, and its successor shows 2 s later: hence the fixed watch.
rb_balloon_stays() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        rb_balloons
        assert_eq "$1" "$RB_BALLOONS" "balloons shown (the first one was $1)"
        sleep 0.2
    done
}

# Starts locker.exe on config.kv in the working folder and waits until it holds the file
# with no sharing. Sets RB_LOCKER (its Linux pid) and RB_RELEASE: touch it to let go.
rb_lock_config() {
    local deadline=$((SECONDS + 20))
    RB_RELEASE=$KV_WORK/release.lock
    (cd "$KV_WORK" && exec "$KV_WINE" "$RB_BIN/locker.exe" "$KV_WORK_WIN\\config.kv" \
        "$KV_WORK_WIN\\release.lock") >"$KV_DIR/locker.log" 2>&1 &
    RB_LOCKER=$!
    until grep -q '^locked' "$KV_DIR/locker.log"; do
        kv_alive "$RB_LOCKER" || fail "the locker ended: $(cat "$KV_DIR/locker.log")"
        [ $SECONDS -lt $deadline ] || fail "the locker did not lock config.kv within 20 s"
        sleep 0.05
    done
}

# No temporary file of a save (config.kv.<pid>.tmp) is left in the folder $1.
rb_no_temp_files() {
    local left
    left=$(find "$1" -maxdepth 1 -iname '*.tmp')
    [ -z "$left" ] || fail "temporary files left behind: $left"
}

# After a save failed: exactly one message box of the program, saying what failed and
# where ($1: the full Windows path of config.kv); once dismissed, no other one comes and
# the program ends within 10 s. The text lands in RB_SAVE_MESSAGE.
rb_expect_save_failure() {
    local text deadline
    drv wait-top '#32770' Kelvarion 10000
    assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the message box's owner"
    drv count-top '#32770' '*'
    assert_eq 1 "$DRV_OUT" "dialogs shown at once"
    drv dialog-text '#32770' Kelvarion
    text=$(tr -d '\r' <<<"$DRV_OUT")
    case $text in
    "Kelvarion could not save its settings to"*) ;;
    *) fail "message box text: [$text]" ;;
    esac
    grep -qiF -- "$1" <<<"$text" || fail "the message does not name $1: [$text]"
    RB_SAVE_MESSAGE=$text
    kv_log "message: $(tr '\n' ' ' <<<"$text")"
    drv press '#32770' Kelvarion 1
    deadline=$((SECONDS + 10))
    while kv_alive "$KV_APP_PID"; do
        drv count-top '#32770' '*'
        assert_eq 0 "$DRV_OUT" "dialogs after the message box was dismissed"
        [ $SECONDS -lt $deadline ] || fail "kelvarion still runs 10 s after the message box was dismissed"
        sleep 0.1
    done
}
