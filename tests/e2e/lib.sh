# Shared helpers for the end-to-end tests: a private X display, a private Wine prefix,
# the program under test, the driver, the real mouse and keyboard, the helper programs of
# the fault cases, and asserts. A case sources it and starts with kv_case "$@".
#
# Every case script is called as:  case.sh KELVARION_EXE KVDRIVER_EXE SCRATCH_DIR [VARIANT]
# (VARIANT, when a script covers several ways of one thing, lands in KV_VARIANT), with
# KV_ARCH=x86 or x64 in the environment: the build the case runs, under Wine's loader of
# that width. A build this machine cannot run makes the case skip (exit 77), saying why.
# SCRATCH_DIR holds the template prefix (made once per run by setup_prefix.sh), the helper
# programs (rb-bin, made by rb_build_helpers.sh) and one folder per case; a case's folder
# is kept when it fails (logs, screenshot, its folders on C:).

# shellcheck disable=SC2034  # some variables are set here for the case scripts
set -u

KV_SKIP=77
KV_XVFB_PID=""
KV_WATCHDOG=""
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
    RB_BIN=$KV_SCRATCH/rb-bin
    kv_arch
    [ -f "$KV_EXE" ] || fail "kelvarion.exe not built: $KV_EXE"
    [ -f "$KV_DRIVER" ] || fail "kvdriver.exe not built: $KV_DRIVER"

    rm -rf "$KV_DIR"
    mkdir -p "$KV_DIR"
    export WINEDEBUG=${KV_WINEDEBUG:--all}
    # No Mono or Gecko install prompts.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # The driver posts WM_TIMER rather than wait a minute: each tick is a minute to the
    # program's clock (ticks_real_timer unsets it and waits for the real timer).
    export KV_E2E_TICK_CLOCK=1
    unset WINEPREFIX
    trap kv_cleanup EXIT
    # A signal must end the script through exit, so the EXIT trap cleans up.
    trap 'exit 130' INT
    trap 'exit 143' TERM
    [ -n "${KV_TIMEOUT:-}" ] && kv_watchdog $((KV_TIMEOUT - 15))
}

# ctest ends a case at its TIMEOUT with SIGKILL, which leaves its display, its Wine processes
# and its prefix behind. The case ends itself a little earlier instead, through its EXIT trap:
# TERM to the script, and KILL to whatever it waits on (a driver in a $(...), say: Wine's
# programs outlive a TERM), but not to the display, which the failure's screenshot needs.
kv_watchdog() {
    local main=$$
    (
        trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
        sleep "$1" &
        sleeper=$!
        wait "$sleeper" || exit 0
        echo "$1" >"$KV_DIR/timed-out"
        kill -TERM "$main"
        self=$BASHPID
        processes=$(kv_descendants "$main" "$self")
        while read -r pid command; do
            [ "$command" = Xvfb ] || kill -KILL "$pid"
        done <<<"$processes"
    ) </dev/null >/dev/null 2>&1 &
    KV_WATCHDOG=$!
}

# "pid command" of every process below $1, leaving out $2 and what is below it.
kv_descendants() {
    local child
    for child in $(pgrep -P "$1"); do
        [ "$child" = "$2" ] && continue
        echo "$child $(cat "/proc/$child/comm" 2>/dev/null)"
        kv_descendants "$child" "$2"
    done
}

# Prints why this machine cannot run the tests of the build $1 (x86 or x64); prints
# nothing and fails when it can. KV_E2E_ARCHES (say "x64" or "x86,x64") forces the choice.
kv_arch_unavailable() {
    local loader out
    if [ -n "${KV_E2E_ARCHES:-}" ]; then
        case ",${KV_E2E_ARCHES// /}," in
        *",$1,"*) return 1 ;;
        *) echo "KV_E2E_ARCHES=$KV_E2E_ARCHES leaves out the $1 build; add $1 to it to run these tests"
           return 0 ;;
        esac
    fi
    loader=$(kv_arch_loader "$1")
    [ "$1" = x86 ] || return 1 # the 64-bit build must run: a failure there is a failure
    if [ ! -x "$loader" ]; then
        echo "Wine's 32-bit loader $loader is not installed; scripts/setup.sh installs it"
        return 0
    fi
    if ! out=$("$loader" --version 2>&1); then
        echo "this kernel does not run 32-bit programs ($loader: ${out##*: });" \
            "the 32-bit build's tests need a kernel with 32-bit support (boot it with" \
            "ia32_emulation=on); KV_E2E_ARCHES=x86,x64 forces a try"
        return 0
    fi
    return 1
}

kv_arch_loader() {
    if [ "$1" = x64 ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi
}

# Picks Wine's loader, prefix kind and cross compiler for KV_ARCH, or skips the case.
kv_arch() {
    local why
    KV_ARCH=${KV_ARCH:-x86}
    case $KV_ARCH in
    x86) KV_WINEARCH=win32 KV_MINGW=i686-w64-mingw32 ;;
    x64) KV_WINEARCH=win64 KV_MINGW=x86_64-w64-mingw32 ;;
    *) fail "KV_ARCH must be x86 or x64, not $KV_ARCH" ;;
    esac
    if why=$(kv_arch_unavailable "$KV_ARCH"); then
        echo "SKIPPED ($KV_ARCH build): $why"
        exit $KV_SKIP
    fi
    KV_WINE=$(kv_arch_loader "$KV_ARCH")
    # Without it a Wine start fails now and then, silently (exit 1): a missed launch.
    [ -x "$KV_WINE-preloader" ] ||
        fail "no $KV_WINE-preloader: run scripts/setup.sh (it installs wine32-preloader and wine64-preloader)"
    # Every process Wine starts for us uses the same loader.
    export WINELOADER=$KV_WINE
}

kv_alive() {
    local state
    # The state is the field after the ")" that closes the command name.
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# kv_poll SECONDS COMMAND...: runs COMMAND (quietly) until it succeeds; false once SECONDS
# have gone by.
kv_poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

# wait_for SECONDS WHAT COMMAND...: the same, but the case fails, naming WHAT, at the end.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    kv_poll "$seconds" "$@" || fail "waited $seconds s for: $what"
}

# count_when SECONDS N COMMAND...: polls COMMAND, which prints a count, until it prints at
# least N or SECONDS have gone by; prints the last count.
count_when() {
    local deadline=$((SECONDS + $1)) want=$2 n
    shift 2
    while n=$("$@") && [ "$n" -lt "$want" ] && [ $SECONDS -lt $deadline ]; do
        sleep 0.05
    done
    echo "$n"
}

kv_cleanup() {
    local rc=$?
    trap - EXIT
    [ -n "$KV_WATCHDOG" ] && kill "$KV_WATCHDOG" 2>/dev/null
    [ -f "$KV_DIR/timed-out" ] && printf 'FAIL (%s): still running after %s s, ended before ctest kills it\n' \
        "$KV_CASE" "$(cat "$KV_DIR/timed-out")" >&2
    if [ $rc -ne 0 ] && [ $rc -ne $KV_SKIP ] && [ -n "$KV_XVFB_PID" ]; then
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
    if [ $rc -eq 0 ] || [ $rc -eq $KV_SKIP ]; then
        rm -rf "$KV_DIR"
    else
        kv_keep_evidence
        echo "left for inspection: $KV_DIR" >&2
    fi
    exit $rc
}

# A failed case keeps its logs, its screenshot and its own folders on C: (the working folder
# with config.kv, and what it started), not the prefix of about a gigabyte, unless
# KV_KEEP_PREFIX=1 asks for it. Files over 5 MB are listed instead of kept.
kv_keep_evidence() {
    local prefix=$KV_DIR/prefix
    if [ "${KV_KEEP_PREFIX:-0}" = 1 ]; then
        [ -d "$prefix" ] && echo "Wine prefix kept (KV_KEEP_PREFIX=1): $prefix" >&2
        return 0
    fi
    if [ -d "$prefix/drive_c" ]; then
        mkdir -p "$KV_DIR/drive_c"
        (cd "$prefix/drive_c" && find kv* -type f -size +5000k -printf '%s bytes %p\n' \
            >>"$KV_DIR/omitted.txt" 2>/dev/null
         find kv* -type f -size -5001k -exec cp --parents -t "$KV_DIR/drive_c" {} + 2>/dev/null)
    fi
    rm -rf "$prefix"
    find "$KV_DIR" -type f -size +5000k -printf '%s bytes %p\n' -delete >>"$KV_DIR/omitted.txt"
    [ -s "$KV_DIR/omitted.txt" ] || rm -f "$KV_DIR/omitted.txt"
    echo "kept: logs, screenshot and C:\\kv* as drive_c/ ($(du -sh "$KV_DIR" | cut -f1));" \
        "KV_KEEP_PREFIX=1 keeps the whole Wine prefix" >&2
}

# The start of every case: kv_init with the script's arguments, then its own copy of the
# prefix and a display. KV_WOW64=1 (set by CMakeLists.txt) runs the 32-bit build in the
# 64-bit prefix.
kv_case() {
    kv_init "$@"
    if [ "${KV_WOW64:-0}" = 1 ]; then kv_setup_wow64; else kv_setup; fi
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

# Makes the template prefix of the build's width, with Wine's virtual desktop as the
# default desktop (real frames, a taskbar with the tray, and fast hides), and Wine's own
# fonts where Wine finds them, Marlett for the caption buttons among them.
kv_make_template() {
    rm -rf "$KV_TEMPLATE"
    export WINEPREFIX=$KV_TEMPLATE WINEARCH=$KV_WINEARCH
    "$KV_WINE" wineboot -i >"$KV_DIR/wineboot.log" 2>&1 || fail "wineboot failed: $(cat "$KV_DIR/wineboot.log")"
    wineserver -w
    "$KV_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f \
        >>"$KV_DIR/wineboot.log" 2>&1 || fail "could not set the virtual desktop"
    "$KV_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f \
        >>"$KV_DIR/wineboot.log" 2>&1 || fail "could not set the desktop size"
    wineserver -k
    wineserver -w
    unset WINEARCH
    [ -d "$KV_TEMPLATE/drive_c" ] || fail "template prefix has no drive_c"
    kv_install_fonts "$KV_TEMPLATE"
    [ "$KV_WINEARCH" = win64 ] && kv_install_x86_assemblies "$KV_TEMPLATE"
}

# Every 64-bit Windows holds the x86 side-by-side assemblies (the 32-bit Common Controls
# among them) beside the amd64 ones, and so does a 64-bit prefix made where 32-bit programs
# run. Where they cannot run, the 32-bit half of wineboot never ran and the x86 assemblies
# are missing, which hides a 64-bit program that binds an x86 one: it would start here and
# fail on Windows. They are made from Wine's own 32-bit DLLs (package wine32, installed
# whatever the kernel) and the amd64 manifests, which differ only in the architecture.
kv_install_x86_assemblies() {
    local winsxs=$1/drive_c/windows/winsxs dlls=/usr/lib/i386-linux-gnu/wine/i386-windows
    local amd64 x86 file n=0
    [ -d "$winsxs/manifests" ] || fail "the 64-bit prefix has no winsxs/manifests"
    for amd64 in "$winsxs"/amd64_*; do
        [ -d "$amd64" ] || continue
        x86=$winsxs/x86_${amd64##*/amd64_}
        [ -d "$x86" ] && continue # made by the 32-bit wineboot
        [ -d "$dlls" ] || fail "no $dlls for the x86 assemblies: run scripts/setup.sh (wine32)"
        mkdir -p "$x86"
        for file in "$amd64"/*; do
            cp "$dlls/${file##*/}" "$x86/" || fail "no 32-bit ${file##*/} in $dlls"
        done
        sed 's/processorArchitecture="amd64"/processorArchitecture="x86"/' \
            "$winsxs/manifests/${amd64##*/}.manifest" >"$winsxs/manifests/${x86##*/}.manifest" ||
            fail "could not write the manifest of ${x86##*/}"
        n=$((n + 1))
    done
    compgen -G "$winsxs/x86_microsoft.windows.common-controls_*" >/dev/null ||
        fail "the 64-bit prefix has no x86 Common Controls assembly"
    kv_log "x86 side-by-side assemblies: $n made from Wine's 32-bit DLLs," \
        "$(compgen -G "$winsxs/x86_*" | wc -l) in all"
}

# Wine draws caption buttons with Marlett but does not look for it where Debian puts it.
kv_install_fonts() {
    local fonts=$1/drive_c/windows/Fonts
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/*.ttf "$fonts/" || fail "could not copy Wine's fonts into $fonts"
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

# Starts kelvarion.exe in KV_WORK, with ARGS if any, and waits until it is ready for input.
# Sets KV_APP_PID (Linux), KV_APP_WINPID (Windows) and KV_MAIN_HWND, and DRV_OUT to
# "hwnd pid". Wine's error channel stays on for the program (app.log), so a start that
# fails says why. With --shown SHOW, the driver starts it with that show state in its
# STARTUPINFO, as a shortcut does, and stands for it (it ends with its exit code).
kv_start_app() {
    local program=("$KV_EXE")
    [ "${1:-}" = --shown ] && program=("$KV_DRIVER" start-shown "$2" "Z:${KV_EXE//\//\\}") && shift 2
    (cd "$KV_WORK" && WINEDEBUG=${KV_WINEDEBUG:--all,err+all} exec "$KV_WINE" "${program[@]}" "$@") \
        >"$KV_DIR/app.log" 2>&1 &
    KV_APP_PID=$!
    kv_wait_window "$KV_APP_PID" "$KV_DIR/app.log"
    KV_APP_WINPID=${DRV_OUT#* }
    KV_MAIN_HWND=${DRV_OUT%% *}
    kv_log "kelvarion running: linux pid $KV_APP_PID, window and windows pid: $DRV_OUT"
}

# kv_start_app, then waits for its tray icon and moves the mouse onto the bare desktop, so
# the icon's hover tip covers nothing.
ui_start_app() {
    kv_start_app "$@"
    wait_for 10 "the tray icon" tray_icon
    mouse_away
}

# kv_wait_window PID LOG: waits up to 20 s for the main window and its message loop, like
# `drv wait-window`, but fails at once, with the exit code and Wine's errors from LOG, when
# the program (Linux PID, a child of this shell) ends first.
kv_wait_window() {
    local app=$1 log=$2 waiter rc code
    "$KV_WINE" "$KV_DRIVER" wait-window 20000 >"$KV_DIR/wait-window.out" 2>"$KV_DIR/driver.err" &
    waiter=$!
    while kv_alive "$waiter"; do
        if ! kv_alive "$app"; then
            kill "$waiter" 2>/dev/null
            wait "$waiter" 2>/dev/null
            wait "$app"
            code=$?
            fail "kelvarion.exe ended before its window appeared: exit code $code" \
                "$(kv_exit_meaning "$code"); Wine's errors ($log): $(kv_wine_errors "$log")"
        fi
        sleep 0.05
    done
    wait "$waiter"
    rc=$?
    DRV_OUT=$(cat "$KV_DIR/wait-window.out")
    [ $rc -eq 0 ] || fail "kvdriver wait-window exited $rc: $(cat "$KV_DIR/driver.err");" \
        "kelvarion.exe is still running; Wine's errors ($log): $(kv_wine_errors "$log")"
}

# The low byte of an NT status is all a Linux exit code keeps; name the usual ones.
kv_exit_meaning() {
    case $1 in
    53) echo "(0xC0000135: a DLL it needs could not be loaded)" ;;
    123) echo "(0xC000007B: a DLL or assembly of the wrong architecture)" ;;
    5) echo "(0xC0000005: access violation)" ;;
    *) echo "" ;;
    esac
}

# The first lines Wine's error channel wrote, on one line.
kv_wine_errors() {
    local lines
    lines=$(grep -m 8 'err:' "$1" 2>/dev/null | tr '\n' ' ')
    echo "${lines:-none}"
}

# Ends the program the way Windows does at the end of a session: without asking.
kv_kill_app() {
    kill -KILL "$KV_APP_PID" 2>/dev/null
    wait "$KV_APP_PID" 2>/dev/null
}

# Waits up to $2 seconds for the Linux process $1 to end.
kv_wait_exit() {
    kv_poll "$2" kv_gone "$1"
}

kv_gone() {
    ! kv_alive "$1"
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

tray_icon() {
    [ "$(kv_tray_icon_pixels)" -ge 20 ]
}

no_tray_icon() {
    [ "$(kv_tray_icon_pixels)" -lt 20 ]
}

# --- the driver ----------------------------------------------------------------

# Runs kvdriver.exe with the arguments; its stdout lands in DRV_OUT. A failing
# driver fails the case, with the driver's reason.
drv() {
    local rc
    DRV_OUT=$("$KV_WINE" "$KV_DRIVER" "$@" 2>"$KV_DIR/driver.err")
    rc=$?
    [ $rc -eq 0 ] || fail "kvdriver $* exited $rc: $(cat "$KV_DIR/driver.err")"
}

# The same, but the caller looks at the exit code; sets DRV_RC too.
drv_try() {
    DRV_OUT=$("$KV_WINE" "$KV_DRIVER" "$@" 2>"$KV_DIR/driver.err")
    DRV_RC=$?
    return $DRV_RC
}

# True when the driver's output for the command is exactly EXPECTED: drv_is EXPECTED ARGS...
drv_is() {
    local expected=$1
    shift
    drv_try "$@" && [ "$DRV_OUT" == "$expected" ]
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
    count_when "$2" "$3" kv_lines "$1"
}

kv_lines() {
    if [ -f "$1" ]; then wc -l <"$1"; else echo 0; fi
}

# The attribute letters of the Windows path $1, as attrib shows them ("A   H").
kv_attributes() {
    "$KV_WINE" attrib "$1" | tr -d '\r' | sed 's/ *[A-Za-z]:\\.*//'
}

# Writes a file with CR LF line ends: crlf_file PATH LINE...
crlf_file() {
    local path=$1
    shift
    mkdir -p "$(dirname "$path")"
    printf '%s\r\n' "$@" >"$path"
}

# --- ticks and the launched batch ----------------------------------------------

# The batch the tick cases launch, at a path with spaces. It logs its working folder, and
# KV_LATE and PATH as it got them (environment.log), then keeps running about two seconds,
# so a window it might show has time to be seen.
KV_BAT_WIN='C:\kv test\tick log.bat'

kv_make_tick_batch() {
    KV_TICK_LOG=$KV_WORK/ticks.log
    KV_LAUNCHES=0
    mkdir -p "$KV_C/kv test"
    printf '@echo off\r\necho %%CD%%>>"C:\\kv\\work\\ticks.log"\r\n%s\r\nping -n 3 127.0.0.1 >nul\r\n' \
        'echo [%KV_LATE%] %PATH%>>"C:\kv\work\environment.log"' \
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

# --- the 32-bit build on 64-bit Windows ----------------------------------------

# kv_setup for the 32-bit build on 64-bit Windows (WOW64): the case runs with KV_ARCH=x86
# and the 64-bit build's scratch folder, so it copies the 64-bit template prefix, where
# Wine redirects C:\Windows\System32 to syswow64 for a 32-bit process as Windows does.
# Skips, saying why, where the 64-bit build's tests are left out. Sets KV_SYSTEM32 and
# KV_SYSWOW64, the Linux paths of the 64-bit and the 32-bit system folder.
kv_setup_wow64() {
    local why
    if why=$(kv_arch_unavailable x64); then
        echo "SKIPPED (32-bit build in the 64-bit prefix): $why"
        trap - EXIT # nothing was started, nothing to keep
        rm -rf "$KV_DIR"
        exit $KV_SKIP
    fi
    kv_setup
    KV_SYSTEM32=$KV_C/windows/system32
    KV_SYSWOW64=$KV_C/windows/syswow64
    [ -d "$KV_SYSWOW64" ] || fail "the template $KV_TEMPLATE is not a 64-bit prefix with syswow64"
}

# --- the real mouse and keyboard, the tray and the program's windows -------------
#
# The real mouse and keyboard come from xdotool on the case's own display; they reach
# whatever Wine thinks is in front, so the cases wait for the window they type into.

# The first tray slot of Wine's virtual desktop taskbar at 1024x768.
KV_TRAY_X=1013
KV_TRAY_Y=757
# A spot of bare desktop, away from the program's windows and the taskbar.
KV_DESKTOP_X=900
KV_DESKTOP_Y=150

# True when the foreground window is the given hwnd.
fg_is() {
    drv_try foreground && [ "${DRV_OUT%% *}" == "$1" ]
}

# Moves the mouse to the bare desktop, so no hover tip of the tray is shown.
mouse_away() {
    xdotool mousemove "$KV_DESKTOP_X" "$KV_DESKTOP_Y"
}

# Clicks the bare desktop: the desktop window takes the foreground from the program.
click_desktop() {
    xdotool mousemove "$KV_DESKTOP_X" "$KV_DESKTOP_Y" click 1
    wait_for 5 "the desktop in front" desktop_in_front
}

desktop_in_front() {
    drv_try foreground && [[ $DRV_OUT == *" #32769 "* ]]
}

# tray_click 1|3 [single|double]: a real click on the tray icon.
tray_click() {
    if [ "${2:-}" == double ]; then
        xdotool mousemove "$KV_TRAY_X" "$KV_TRAY_Y" click --repeat 2 --delay 80 "$1"
    else
        xdotool mousemove "$KV_TRAY_X" "$KV_TRAY_Y" click "$1"
    fi
}

# Right-clicks the tray icon and waits for the program's popup menu; the mouse then moves
# onto the bare desktop (no click), so the icon's hover tip does not cover the menu.
tray_menu_open() {
    tray_click 3
    drv wait-top '#32768' '*' 5000
    assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the popup menu's owner"
    mouse_away
}

# tray_menu_pick 1|2: a real click on the first (Configuration...) or second (Exit) item of
# the open tray menu, whose two items are of equal height. (The keyboard cannot be used
# while the main window is hidden: Wine then delivers no keys to the menu.)
tray_menu_pick() {
    local x y w h
    drv rect '#32768' '*'
    read -r x y w h <<<"$DRV_OUT"
    if [ "$h" -lt 20 ] || [ "$w" -lt 40 ]; then
        fail "menu too small for two items: $DRV_OUT"
    fi
    xdotool mousemove $((x + w / 2)) $((y + h * (2 * $1 - 1) / 4)) click 1
}

no_menu() {
    drv_is 0 count-top '#32768' '*'
}

# Closes the window with "Close Window", which only hides it.
hide_window() {
    drv click Close
    wait_for 5 "the window hidden by Close Window" drv_is "visible=0 iconic=0" state
}

# Prints the program's visible top-level windows, one a line: hwnd pid class "title".
app_windows() {
    drv windows
    awk -v pid="$KV_APP_WINPID" '$2 == pid' <<<"$DRV_OUT"
}

# dialog_open BUTTON TITLE: clicks BUTTON of the main window and waits for the program's
# dialog TITLE in front; sets DIALOG to it.
dialog_open() {
    drv click "$1"
    drv wait-top '#32770' "$2" 10000
    DIALOG=${DRV_OUT%% *}
    assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the owner of \"$2\""
    wait_for 5 "\"$2\" in front" fg_is "$DIALOG"
}

# Clicks About... and waits for the About box in front; sets ABOUT to it.
about_open() {
    dialog_open AboutBut 'About Kelvarion'
    ABOUT=$DIALOG
}

# about_closed HOW: the About box closed by HOW, and the main window takes input again.
about_closed() {
    wait_for 5 "the About box closed by $1" drv_is 0 count-top '#32770' 'About Kelvarion'
    wait_for 5 "the main window enabled after $1" drv_is "enabled=1" enabled
}

# Waits for the program to end by itself within $1 seconds; its exit code must be 0.
expect_clean_exit() {
    local rc
    kv_wait_exit "$KV_APP_PID" "$1" || fail "kelvarion still runs $1 s later"
    wait "$KV_APP_PID"
    rc=$?
    KV_APP_PID=""
    # A crash ends a Wine process with a non-zero code.
    assert_eq 0 "$rc" "kelvarion's exit code"
}

# The config.kv files anywhere on C: (one a line), to catch a save in the wrong folder.
config_files() {
    find "$KV_C" -name config.kv -printf '%p\n' | sort
}

# shot NAME CLASS TITLE [caption]: saves the real screen, cropped to the window, as NAME.png
# in KV_SCREENSHOTS (when set). With "caption", it first waits until the window's title bar
# is drawn active: Wine repaints it a little after the activation. With "tray", the crop
# reaches down to the screen's bottom right corner, so the tray icon is in the picture.
shot() {
    local name=$1 rect x y w h active deadline
    [ -n "${KV_SCREENSHOTS:-}" ] || return 0
    drv rect "$2" "$3"
    rect=$DRV_OUT
    read -r x y w h <<<"$rect"
    if [ "${4:-}" == caption ]; then
        drv syscolor 2 # COLOR_ACTIVECAPTION
        active=$DRV_OUT
        deadline=$((SECONDS + 5))
        until [ "#$(screen_pixel $((x + w / 2)) $((y + 6)))" == "$active" ]; do
            [ $SECONDS -lt $deadline ] || fail "the title bar of [$3] is not drawn active ($active)"
            sleep 0.1
        done
    fi
    if [ "${4:-}" == tray ]; then
        x=$((x - 40)) y=$((y - 20))
        w=$((1024 - x)) h=$((768 - y))
    fi
    mkdir -p "$KV_SCREENSHOTS"
    import -window root "$KV_DIR/shot.png" || fail "no screenshot of $DISPLAY"
    convert "$KV_DIR/shot.png" -crop "${w}x${h}+${x}+${y}" +repage "PNG24:$KV_SCREENSHOTS/$name.png" ||
        fail "could not crop the screenshot to $rect"
    kv_log "screenshot $KV_SCREENSHOTS/$name.png ($rect)"
}

# screen_pixel X Y: the colour of one pixel of the screen, RRGGBB.
screen_pixel() {
    import -window root "$KV_DIR/pixel.png" || fail "no screenshot of $DISPLAY"
    convert "$KV_DIR/pixel.png" -format "%[hex:p{$1,$2}]" info:
}

# colour_counts X Y W H: "count #RRGGBB" lines of the screen area's colours.
colour_counts() {
    import -window root "$KV_DIR/screen.png" || fail "no screenshot of $DISPLAY"
    convert "$KV_DIR/screen.png" -crop "${3}x${4}+${1}+${2}" +repage -format %c histogram:info:- |
        awk '{ n = $1 + 0; print n, substr($3, 1, 7) }'
}

# count_of COLOUR COUNTS: how many pixels of COLOUR the colour_counts output holds.
count_of() {
    awk -v c="$1" '$2 == c { n += $1 } END { print n + 0 }' <<<"$2"
}

# expect_waiting_bolt WHAT X Y W H: the area shows the waiting bolt (yellow, black outline,
# olive shading) and nothing of the running icon (lime disc, red mark).
expect_waiting_bolt() {
    local what=$1 counts yellow black olive lime red
    shift
    counts=$(colour_counts "$@")
    yellow=$(count_of '#FFFF00' "$counts")
    black=$(count_of '#000000' "$counts")
    olive=$(count_of '#808000' "$counts")
    lime=$(count_of '#00FF00' "$counts")
    red=$(count_of '#FF0000' "$counts")
    kv_log "$what: yellow $yellow black $black olive $olive lime $lime red $red"
    if [ "$lime" -ne 0 ] || [ "$red" -ne 0 ]; then
        fail "$what: the running icon shows (lime $lime, red $red)"
    fi
    if [ "$yellow" -lt 20 ] || [ "$black" -lt 20 ] || [ "$olive" -lt 4 ]; then
        fail "$what: no waiting bolt (yellow $yellow, black $black, olive $olive)"
    fi
}

# --- System Info ---------------------------------------------------------------

# Where the registry names the system-information tool. Wine's prefix may name its own
# msinfo32: sysinfo_keys_clear [VIEW...] removes both keys, in each registry view given.
KV_SYSINFO_PATH_KEY='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
KV_SYSINFO_FOLDER_KEY='HKLM\SOFTWARE\Microsoft\Shared Tools Location'

sysinfo_keys_clear() {
    local view key
    for view in "${@:-}"; do
        for key in "$KV_SYSINFO_PATH_KEY" "$KV_SYSINFO_FOLDER_KEY"; do
            kv_reg delete "$key" /f ${view:+"$view"}
            kv_reg query "$key" ${view:+"$view"} && fail "$key is still there ${view:-}"
        done
    done
    return 0
}

kv_reg() {
    "$KV_WINE" reg "$@" >>"$KV_DIR/reg.log" 2>&1
}

# sysinfo_expect [TOOL]: "System Info..." in the About box, opened and in front, starts
# TOOL (the Windows path of a runmark.exe copy) shown normally; with no TOOL, a message
# box "Kelvarion" says the tool is unavailable, with only an OK button. Either way the
# About box stays open over the disabled main window, and OK closes it.
sysinfo_expect() {
    drv post-click '#32770' 'About Kelvarion' cmdSysInfo
    if [ -n "${1:-}" ]; then
        assert_eq 1 "$(rb_runs_when "$1" 1 10)" "runs of $1 after System Info..."
        # SW_SHOWNORMAL is 1.
        assert_eq "show=1" "$(cat "$(rb_runs_folder "$1")"/* 2>/dev/null)" "how $1 was started"
        drv sync
        drv count-top '#32770' 'Kelvarion'
        assert_eq 0 "$DRV_OUT" "message boxes after the tool was started"
    else
        drv wait-top '#32770' 'Kelvarion' 10000
        assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the message box's owner"
        drv dialog-text '#32770' 'Kelvarion'
        assert_eq "System Information Is Unavailable At This Time" "$DRV_OUT" "message box text"
        drv buttons '#32770' 'Kelvarion'
        assert_eq "IDOK default OK" "$DRV_OUT" "buttons of the message box"
        drv press '#32770' 'Kelvarion' IDOK
    fi
    drv count-top '#32770' 'About Kelvarion'
    assert_eq 1 "$DRV_OUT" "About boxes open after System Info..."
    drv enabled
    assert_eq "enabled=0" "$DRV_OUT" "main window while the About box is open"
    drv press '#32770' 'About Kelvarion' cmdOK
    wait_for 5 "the main window enabled" drv_is "enabled=1" enabled
}

# --- the helper programs of the fault cases ----------------------------------------

# The Linux path of a path on C:, e.g. 'C:\kv\x.exe'.
rb_unix_path() {
    local rest=${1#[Cc]:\\}
    printf '%s/%s\n' "$KV_C" "${rest//\\//}"
}

# Puts a copy of runmark.exe (from the e2e_rb_helpers fixture) at the Windows path $1.
# Each run of it leaves one file, holding "show=N" (its show state), in the folder of the
# same name with ".runs" for ".exe".
rb_install_runmark() {
    local target
    target=$(rb_unix_path "$1")
    [ -f "$RB_BIN/runmark.exe" ] || fail "$RB_BIN/runmark.exe not built (the e2e_rb_helpers fixture makes it)"
    mkdir -p "$(dirname "$target")"
    cp "$RB_BIN/runmark.exe" "$target"
}

rb_runs_folder() {
    local exe
    exe=$(rb_unix_path "$1")
    echo "${exe%.*}.runs"
}

# How many times the runmark copy at the Windows path $1 has run.
rb_runs() {
    local folder
    folder=$(rb_runs_folder "$1")
    if [ -d "$folder" ]; then
        find "$folder" -type f | wc -l
    else
        echo 0
    fi
}

# rb_watch_starts [--hold]: puts kvhold.dll (from the e2e_rb_helpers fixture) into the
# program, to count its starts and their outcomes (`drv starts`); with --hold, each start
# waits inside CreateProcessW, as on a share that does not answer, until `drv starts --release`.
rb_watch_starts() {
    drv watch-starts "Z:${RB_BIN//\//\\}\\kvhold.dll" "$@"
}

# rb_tick N MINUTES: posts N ticks; after each MINUTES-th, a start falls due, and the driver
# waits until its outcome is back in the program: one start at a time, as minutes apart (a
# tick due while a start is out starts nothing). Needs rb_watch_starts.
rb_tick() {
    drv tick "$1" --paced "$2"
}

# Polls up to $3 seconds until the runmark copy $1 has run at least $2 times; prints the count.
rb_runs_when() {
    count_when "$3" "$2" rb_runs "$1"
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
# tooltips_class32 window about 2 s after it is asked for, for about 10 s; a new request
# destroys it and makes a new window. The icon's own hover tip is one too, but its text is
# the tip ("Kelvarion: ..."), and the program's own tooltips are not the explorer's:
# neither counts.
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

rb_no_balloon() {
    rb_balloons
    [ -z "$RB_BALLOONS" ]
}

# rb_wait_balloon SECONDS WHAT [OLD]: waits for a balloon, other than the balloon OLD when
# given; RB_BALLOONS and RB_BALLOON_TEXT then tell it.
rb_wait_balloon() {
    local deadline=$((SECONDS + $1))
    until rb_balloons && [ -n "$RB_BALLOONS" ] && [ "$RB_BALLOONS" != "${3:-}" ]; do
        [ $SECONDS -lt $deadline ] || fail "no balloon within $1 s of $2 (shown: [$RB_BALLOONS])"
        sleep 0.1
    done
    kv_log "balloon $RB_BALLOONS: $(tr '\n' ' ' <<<"$RB_BALLOON_TEXT")"
}

# rb_balloon_stays BALLOON SECONDS: for SECONDS, the only balloon shown is BALLOON, and it
# stays up (with BALLOON "", none shows). A balloon asked for again replaces the one shown
# at once, and its successor shows 2 s later: hence the fixed watch.
rb_balloon_stays() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        rb_balloons
        assert_eq "$1" "$RB_BALLOONS" "balloons shown over $2 s (the first one was [$1])"
        sleep 0.2
    done
}

# drv_background NAME LINE ARGS...: runs the driver with ARGS in the working folder, in
# the background, its output in NAME.log, and waits up to 20 s until it prints LINE (it is
# then in place). Sets DRV_BACKGROUND to its Linux pid.
drv_background() {
    local log=$KV_DIR/$1.log line=$2 deadline=$((SECONDS + 20))
    shift 2
    (cd "$KV_WORK" && exec "$KV_WINE" "$KV_DRIVER" "$@") >"$log" 2>&1 &
    DRV_BACKGROUND=$!
    until grep -q "^$line" "$log"; do
        kv_alive "$DRV_BACKGROUND" || fail "kvdriver $* ended: $(cat "$log")"
        [ $SECONDS -lt $deadline ] || fail "kvdriver $* did not print \"$line\" within 20 s"
        sleep 0.05
    done
}

# Makes the driver hold config.kv in the working folder open with no sharing, and waits
# until it does. Sets RB_LOCKER (its Linux pid) and RB_RELEASE: touch it to let go.
rb_lock_config() {
    RB_RELEASE=$KV_WORK/release.lock
    drv_background locker locked lock "$KV_WORK_WIN\\config.kv" "$KV_WORK_WIN\\release.lock"
    RB_LOCKER=$DRV_BACKGROUND
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
    drv press '#32770' Kelvarion IDOK
    deadline=$((SECONDS + 10))
    while kv_alive "$KV_APP_PID"; do
        drv count-top '#32770' '*'
        assert_eq 0 "$DRV_OUT" "dialogs after the message box was dismissed"
        [ $SECONDS -lt $deadline ] || fail "kelvarion still runs 10 s after the message box was dismissed"
        sleep 0.1
    done
}
