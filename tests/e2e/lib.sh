# Shared helpers for the end-to-end tests: a private X display, a private Wine prefix,
# the program under test, the driver, and asserts. Source it, then call kv_init "$@".
#
# Every case script is called as:  case.sh KELVARION_EXE KVDRIVER_EXE SCRATCH_DIR [VARIANT]
# (VARIANT, when a script covers several ways of one thing, lands in KV_VARIANT).
# SCRATCH_DIR holds the template prefix (made once per run by setup_prefix.sh) and one
# folder per case; a case's folder is kept when it fails (logs, screenshot, prefix).

# shellcheck disable=SC2034  # some variables are set here for the case scripts
set -u

KV_XVFB_PID=""
KV_APP_PID=""
KV_APP_WINPID=""
KV_DIR=""
DRV_OUT=""

kv_log() { printf '[%s %s] %s\n' "$(date +%T.%3N)" "${KV_CASE:-e2e}" "$*"; }

fail() {
    printf 'FAIL (%s): %s\n' "${KV_CASE:-e2e}" "$*" >&2
    exit 1
}

# --- setup and teardown --------------------------------------------------------

kv_init() {
    [ $# -eq 3 ] || [ $# -eq 4 ] || fail "usage: $0 KELVARION_EXE KVDRIVER_EXE SCRATCH_DIR [VARIANT]"
    KV_EXE=$(realpath "$1") || fail "no program at $1"
    KV_DRIVER=$(realpath "$2") || fail "no driver at $2"
    KV_SCRATCH=$(realpath -m "$3")
    KV_TEMPLATE=$KV_SCRATCH/template-prefix
    KV_VARIANT=${4:-}
    KV_CASE=$(basename "$0" .sh)${KV_VARIANT:+-$KV_VARIANT}
    KV_DIR=$KV_SCRATCH/$KV_CASE
    [ -f "$KV_EXE" ] || fail "kelvarion.exe not built: $KV_EXE"
    [ -f "$KV_DRIVER" ] || fail "kvdriver.exe not built: $KV_DRIVER"

    rm -rf "$KV_DIR"
    mkdir -p "$KV_DIR"
    export WINEDEBUG=-all
    # No Mono or Gecko install prompts.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset WINEPREFIX
    trap kv_cleanup EXIT
    # A signal must end the script through exit, so the EXIT trap cleans up.
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

kv_alive() {
    local state
    # The state is the field after the ")" that closes the command name.
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

kv_cleanup() {
    local rc=$?
    trap - EXIT
    if [ $rc -ne 0 ] && [ -n "$KV_XVFB_PID" ]; then
        import -display "$DISPLAY" -window root "$KV_DIR/failure.png" 2>/dev/null &&
            echo "screenshot at failure: $KV_DIR/failure.png" >&2
    fi
    if [ -n "$KV_APP_PID" ] && kv_alive "$KV_APP_PID"; then
        kv_kill_app
    fi
    if [ -n "${WINEPREFIX:-}" ]; then
        # Ends the wineserver of this case's prefix only, and every process in it.
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    if [ -n "$KV_XVFB_PID" ]; then
        kill "$KV_XVFB_PID" 2>/dev/null
        wait "$KV_XVFB_PID" 2>/dev/null
    fi
    if [ $rc -eq 0 ]; then
        rm -rf "$KV_DIR"
    else
        echo "left for inspection: $KV_DIR" >&2
    fi
    exit $rc
}

# Starts a private Xvfb on a display number it picks itself, so parallel cases never meet.
kv_start_xvfb() {
    local numfile=$KV_DIR/xvfb.display n=""
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" \
        >"$KV_DIR/xvfb.log" 2>&1 &
    KV_XVFB_PID=$!
    for _ in $(seq 200); do
        n=$(head -n1 "$numfile" 2>/dev/null)
        [ -n "$n" ] && break
        kv_alive "$KV_XVFB_PID" || fail "Xvfb did not start: $(cat "$KV_DIR/xvfb.log")"
        sleep 0.05
    done
    [ -n "$n" ] || fail "Xvfb gave no display number"
    export DISPLAY=:$n
    for _ in $(seq 200); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    fail "display $DISPLAY does not answer"
}

# Makes the template prefix: 32-bit, with Wine's virtual desktop as the default desktop
# (real frames, a taskbar with the tray, and fast hides).
kv_make_template() {
    rm -rf "$KV_TEMPLATE"
    export WINEPREFIX=$KV_TEMPLATE WINEARCH=win32
    wineboot -i >"$KV_DIR/wineboot.log" 2>&1 || fail "wineboot failed: $(cat "$KV_DIR/wineboot.log")"
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f \
        >>"$KV_DIR/wineboot.log" 2>&1 || fail "could not set the virtual desktop"
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f \
        >>"$KV_DIR/wineboot.log" 2>&1 || fail "could not set the desktop size"
    wineserver -k
    wineserver -w
    unset WINEARCH
    [ -d "$KV_TEMPLATE/drive_c" ] || fail "template prefix has no drive_c"
}

# Copies the template into this case's folder and starts the display.
# Sets KV_C (the Linux path of C:\) and KV_WORK (C:\kv\work, the program's working folder).
kv_setup() {
    [ -d "$KV_TEMPLATE/drive_c" ] || fail "no template prefix at $KV_TEMPLATE (run the e2e_prefix fixture)"
    cp -a "$KV_TEMPLATE" "$KV_DIR/prefix" || fail "could not copy the template prefix"
    export WINEPREFIX=$KV_DIR/prefix
    KV_C=$WINEPREFIX/drive_c
    KV_WORK=$KV_C/kv/work
    KV_WORK_WIN='C:\kv\work'
    mkdir -p "$KV_WORK"
    kv_start_xvfb
}

# Starts kelvarion.exe in KV_WORK and waits until it is ready for input. Sets KV_APP_PID
# (Linux) and KV_APP_WINPID (Windows).
kv_start_app() {
    (cd "$KV_WORK" && exec wine "$KV_EXE") >"$KV_DIR/app.log" 2>&1 &
    KV_APP_PID=$!
    drv wait-window 20000
    KV_APP_WINPID=${DRV_OUT#* }
    kv_log "kelvarion running: linux pid $KV_APP_PID, window and windows pid: $DRV_OUT"
}

# Ends the program the way Windows does at the end of a session: without asking.
kv_kill_app() {
    kill -KILL "$KV_APP_PID" 2>/dev/null
    wait "$KV_APP_PID" 2>/dev/null
}

# Waits up to $2 seconds for the Linux process $1 to end.
kv_wait_exit() {
    local deadline=$((SECONDS + $2))
    while kv_alive "$1"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
    return 0
}

# Prints how many pixels of the first tray slot (bottom right of the virtual desktop's
# taskbar) are neither the taskbar's white nor the desktop's colour: an icon makes many.
kv_tray_icon_pixels() {
    local shot=$KV_DIR/screen.png desktop
    import -window root "$shot" || fail "no screenshot of $DISPLAY"
    desktop=$(convert "$shot" -format '%[hex:p{1023,0}]' info:)
    convert "$shot" -crop 18x18+1004+749 +repage -format %c histogram:info:- |
        awk -v d="#$desktop" '$3 != "#FFFFFF" && substr($3, 1, 7) != substr(d, 1, 7) \
            { n += $1 + 0 } END { print n + 0 }'
}

# Waits up to $1 seconds for an icon in the first tray slot.
kv_wait_tray_icon() {
    local deadline=$((SECONDS + $1))
    until [ "$(kv_tray_icon_pixels)" -ge 20 ]; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

# --- the driver ----------------------------------------------------------------

# Runs kvdriver.exe with the arguments; its stdout lands in DRV_OUT. A failing
# driver fails the case, with the driver's reason.
drv() {
    local rc
    DRV_OUT=$(wine "$KV_DRIVER" "$@" 2>"$KV_DIR/driver.err")
    rc=$?
    [ $rc -eq 0 ] || fail "kvdriver $* exited $rc: $(cat "$KV_DIR/driver.err")"
}

# The same, but the caller looks at the exit code; sets DRV_RC too.
drv_try() {
    DRV_OUT=$(wine "$KV_DRIVER" "$@" 2>"$KV_DIR/driver.err")
    DRV_RC=$?
    return $DRV_RC
}

# --- asserts -------------------------------------------------------------------

# assert_eq EXPECTED ACTUAL WHAT
assert_eq() {
    [ "$1" == "$2" ] || fail "$3: expected [$1], got [$2]"
}

# assert_file_bytes FILE PRINTF_FORMAT [ARGS...]: FILE holds exactly what printf makes.
assert_file_bytes() {
    local file=$1 expected=$KV_DIR/expected.bin
    shift
    [ -f "$file" ] || fail "$file does not exist"
    # shellcheck disable=SC2059
    printf "$@" >"$expected"
    cmp -s "$expected" "$file" ||
        fail "$file differs; expected:
$(od -c "$expected")
got:
$(od -c "$file")"
}

# Polls up to $2 seconds until the file $1 has at least $3 lines; prints the count.
line_count_when() {
    local deadline=$((SECONDS + $2)) n
    while :; do
        n=$(kv_lines "$1")
        if [ "$n" -ge "$3" ] || [ $SECONDS -ge $deadline ]; then
            echo "$n"
            return
        fi
        sleep 0.05
    done
}

kv_lines() {
    if [ -f "$1" ]; then wc -l <"$1"; else echo 0; fi
}

# Writes a file with CR LF line ends: crlf_file PATH LINE...
crlf_file() {
    local path=$1
    shift
    mkdir -p "$(dirname "$path")"
    printf '%s\r\n' "$@" >"$path"
}

# --- ticks and the launched batch ----------------------------------------------

# The batch the tick cases launch, at a path with spaces. It logs its working folder,
# then keeps running about two seconds, so a window it might show has time to be seen.
KV_BAT_WIN='C:\kv test\tick log.bat'

kv_make_tick_batch() {
    KV_TICK_LOG=$KV_WORK/ticks.log
    KV_LAUNCHES=0
    mkdir -p "$KV_C/kv test"
    printf '@echo off\r\necho %%CD%%>>"C:\\kv\\work\\ticks.log"\r\nping -n 3 127.0.0.1 >nul\r\n' \
        >"$KV_C/kv test/tick log.bat"
}

# tick_expect WHAT N LAUNCHES [WATCH_MS]: posts N ticks, after which exactly LAUNCHES
# programs must have been started (watched for WATCH_MS), the batch must have logged
# that many more lines, and no new visible window may have appeared.
tick_expect() {
    local what=$1 n=$2 want=$3 watch=${4:-250} got windows lines report
    drv tick "$n" --watch "$watch"
    got=$(sed -n 's/^launched //p' <<<"$DRV_OUT")
    windows=$(sed -n 's/^new-windows //p' <<<"$DRV_OUT")
    report=$(tr -s ' \n' ' ' <<<"$DRV_OUT")
    assert_eq "$want" "$got" "programs started by $what (driver: $report)"
    assert_eq 0 "$windows" "new visible windows after $what, the batch must run hidden (driver: $report)"
    KV_LAUNCHES=$((KV_LAUNCHES + want))
    lines=$(line_count_when "$KV_TICK_LOG" 5 "$KV_LAUNCHES")
    assert_eq "$KV_LAUNCHES" "$lines" "lines the batch logged after $what"
    kv_log "$what: launched $got, log lines $lines"
}

# After the last tick: no late launches, and every run started in the working folder.
tick_settle() {
    sleep 1
    assert_eq "$KV_LAUNCHES" "$(kv_lines "$KV_TICK_LOG")" "lines the batch logged in the end"
    if [ "$KV_LAUNCHES" -gt 0 ]; then
        assert_eq "$KV_WORK_WIN" "$(tr -d '\r' <"$KV_TICK_LOG" | sort -u)" \
            "working folders the batch ran in"
    fi
}
