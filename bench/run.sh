#!/bin/bash
# Benchmark, run on demand (not a test): Kelvarion against a floor tray program under Wine.
# Start-up time, resident memory, idle CPU, and the size and imports of kelvarion.exe.
# Writes bench/results.md.
#
#   bench/run.sh
#
# Environment (defaults in brackets):
#   KV_BENCH_RUNS         start-up and memory runs per program [15]
#   KV_BENCH_CPU_RUNS     idle-CPU runs, two minutes each [2]
#   KV_BENCH_IDLE_S       length of one idle-CPU run in seconds [60]
#   KV_BENCH_LAUNCH_RUNS  runs of posted ticks that each launch a program [1]
#   KV_BENCH_LAUNCHES     launches per such run [1000]
#   KV_BENCH_SCRATCH      build folders, cached template prefix, logs [/tmp/kv-bench]
#   KV_BENCH_OUT          where the table goes [bench/results.md]
#   KV_BENCH_BITS         which build is measured, 32 or 64 [32 where this machine runs 32-bit
#                         Wine programs, else 64]

BENCH_DIR=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$BENCH_DIR/.." && pwd)
# Xvfb, the template prefix, cleanup and helpers are the e2e harness's.
# shellcheck source-path=SCRIPTDIR/.. source=tests/e2e/lib.sh
. "$REPO/tests/e2e/lib.sh"

RUNS=${KV_BENCH_RUNS:-15}
CPU_RUNS=${KV_BENCH_CPU_RUNS:-2}
IDLE_S=${KV_BENCH_IDLE_S:-60}
LAUNCH_RUNS=${KV_BENCH_LAUNCH_RUNS:-1}
LAUNCHES=${KV_BENCH_LAUNCHES:-1000}
SCRATCH=$(realpath -m "${KV_BENCH_SCRATCH:-/tmp/kv-bench}")
OUT=${KV_BENCH_OUT:-$BENCH_DIR/results.md}
for n in "$RUNS" "$CPU_RUNS" "$IDLE_S" "$LAUNCH_RUNS" "$LAUNCHES"; do
    [[ $n =~ ^[0-9]+$ ]] || { echo "run.sh: not a count: $n" >&2; exit 2; }
done
[ "$RUNS" -ge 1 ] || { echo "run.sh: KV_BENCH_RUNS must be at least 1" >&2; exit 2; }

# The 32-bit build is the product, but a kernel without 32-bit support cannot run Wine's
# 32-bit loader; then the 64-bit build and a 64-bit floor are measured in a 64-bit prefix.
WHY_BITS=" (chosen with KV_BENCH_BITS)"
if [ -z "${KV_BENCH_BITS:-}" ]; then
    if why=$(kv_arch_unavailable x86); then
        KV_BENCH_BITS=64
        WHY_BITS=": ${why%%;*}, so the 64-bit build and a 64-bit floor stand in for the 32-bit product; both sizes are below"
    else
        KV_BENCH_BITS=32 WHY_BITS=""
    fi
fi
case $KV_BENCH_BITS in
32) KV_ARCH=x86 PRESET=mingw-i686 OTHER_PRESET=mingw-x86_64 ;;
64) KV_ARCH=x64 PRESET=mingw-x86_64 OTHER_PRESET=mingw-i686 ;;
*) echo "run.sh: KV_BENCH_BITS must be 32 or 64" >&2; exit 2 ;;
esac
# Wine's loader (KV_WINE) and prefix kind for that build, and its cross compiler (KV_MINGW).
kv_arch
CROSS=$KV_MINGW

# Start-up is done once the program sleeps in its message loop; RSS is flat from then on.
SETTLE_S=2
# Before an idle-CPU window, so that it holds no start-up work.
CPU_SETTLE_S=5
# The 32-bit .exe's bound, also guarded by the exe_size_32bit test; the table shows kB too.
SIZE_GOAL=65536
MAX_RATIO=1.25
# DLLs every Windows since XP ships in its system folder.
WINDOWS_DLLS=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll
 ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll winspool.drv "

# shellcheck disable=SC2034  # read by lib.sh
KV_CASE=bench
KV_DIR=$SCRATCH/run
KV_TEMPLATE=$SCRATCH/template-prefix-$KV_ARCH
BUILD=$SCRATCH/$PRESET
TOOLS=$SCRATCH/tools
DATA=$KV_DIR/data
START_SECONDS=$SECONDS
START_LOAD=$(cut -d' ' -f1-3 /proc/loadavg)

rm -rf "$KV_DIR"
mkdir -p "$KV_DIR" "$TOOLS" "$DATA"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPREFIX
trap kv_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- build ---------------------------------------------------------------------

# The preset in a bench-owned build folder, so the figures are of the tree as it is now,
# whatever state build/ is in. The linker map changes no byte of the code and tells what the
# .exe is made of. The other build is made for its size only.
for preset in "$PRESET" "$OTHER_PRESET"; do
    kv_log "building kelvarion.exe with the $preset preset in $SCRATCH/$preset"
    (cd "$REPO" && cmake --preset "$preset" -B "$SCRATCH/$preset" \
        -DCMAKE_EXE_LINKER_FLAGS=-Wl,-Map=kelvarion.map) >"$KV_DIR/cmake.log" 2>&1 ||
        fail "cmake configure failed: $(tail -20 "$KV_DIR/cmake.log")"
    cmake --build "$SCRATCH/$preset" --target kelvarion >>"$KV_DIR/cmake.log" 2>&1 ||
        fail "build failed: $(tail -30 "$KV_DIR/cmake.log")"
done
KV_EXE=$BUILD/kelvarion.exe
BUILD_TYPE=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$BUILD/CMakeCache.txt")

# The floor gets exactly the product's compile and link flags, read from the generated
# build: optimisation, defines, warnings, static runtimes, stripping, section GC, -mwindows.
ninja_var() {
    awk -v target="$1" -v var="$2" '
        index($0, "build " target ":") == 1 { on = 1; next }
        on && /^build / { exit }
        on && $1 == var && $2 == "=" { sub(/^ *[A-Z_]+ = /, ""); print; exit }' "$BUILD/build.ninja"
}
KV_CFLAGS="$(ninja_var CMakeFiles/kelvarion.dir/app/main.cpp.obj DEFINES) $(ninja_var CMakeFiles/kelvarion.dir/app/main.cpp.obj FLAGS)"
KV_LDFLAGS=$(ninja_var kelvarion.exe LINK_FLAGS | sed 's/-Wl,-Map=[^ ]*//')
[[ $KV_CFLAGS == *-std=c++* && $KV_LDFLAGS == *-static* ]] ||
    fail "could not read Kelvarion's flags from $BUILD/build.ninja"
read -ra FLOOR_FLAGS <<<"$KV_CFLAGS -municode $KV_LDFLAGS"
FLOOR_CMD="$CROSS-g++ ${FLOOR_FLAGS[*]} -o floor.exe bench/floor.cpp"

# The bench's own helpers are not measured.
TOOL_FLAGS=(-std=c++17 -O2 -Wall -Wextra -Wpedantic -Wshadow -Werror -DUNICODE -D_UNICODE
            -static -static-libgcc -static-libstdc++)
kv_log "building floor.exe, tick_target.exe and probe.exe in $TOOLS"
"$CROSS-g++" "${FLOOR_FLAGS[@]}" -o "$TOOLS/floor.exe" "$BENCH_DIR/floor.cpp" ||
    fail "floor.exe did not build"
"$CROSS-g++" "${TOOL_FLAGS[@]}" -municode -mwindows -s \
    -o "$TOOLS/tick_target.exe" "$BENCH_DIR/tick_target.cpp" || fail "tick_target.exe did not build"
"$CROSS-g++" "${TOOL_FLAGS[@]}" -o "$TOOLS/probe.exe" "$BENCH_DIR/probe.cpp" -lgdi32 ||
    fail "probe.exe did not build"

# --- display and prefix --------------------------------------------------------

kv_start_xvfb
# The template is kept between bench runs (a fresh one costs ~20 s); each run works on a copy.
if [ ! -f "$KV_TEMPLATE/.kv-bench-ready" ]; then
    kv_log "making the template prefix $KV_TEMPLATE"
    kv_make_template
    touch "$KV_TEMPLATE/.kv-bench-ready"
fi
cp -a "$KV_TEMPLATE" "$KV_DIR/prefix" || fail "could not copy the template prefix"
export WINEPREFIX=$KV_DIR/prefix
C=$WINEPREFIX/drive_c
mkdir -p "$C/bench/kv-work" "$C/bench/floor-work"
cp "$KV_EXE" "$TOOLS/floor.exe" "$TOOLS/tick_target.exe" "$TOOLS/probe.exe" "$C/bench/"

KV_WIN='C:\bench\kelvarion.exe'
FLOOR_WIN='C:\bench\floor.exe'
KV_WORK_WIN='C:\bench\kv-work'
FLOOR_WORK_WIN='C:\bench\floor-work'
LAUNCH_LOG_WIN='C:\bench\kv-work\launches.log'
KV_CLASS=KelvarionForm1
FLOOR_CLASS=KelvarionBenchFloor

# --- helpers -------------------------------------------------------------------

# Through a file, not $(...): the Wine processes the first call starts (wineserver,
# explorer) keep its output open, and a command substitution would wait for them.
PROBE_OUT=""
probe() {
    "$KV_WINE" "$C/bench/probe.exe" "$@" >"$KV_DIR/probe.out" 2>"$KV_DIR/probe.err" ||
        fail "probe $* failed: $(cat "$KV_DIR/probe.err")"
    PROBE_OUT=$(cat "$KV_DIR/probe.out")
}

# The Linux pid of the Wine process running WINPATH in this prefix: Wine puts the Windows
# path in argv[0]; other sessions may run the same name in their own prefixes.
linux_pid() {
    local p first found=""
    for p in /proc/[0-9]*; do
        first=$(tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -n1)
        [ "$first" == "$1" ] || continue
        tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        [ -z "$found" ] || fail "more than one process runs $1"
        found=${p#/proc/}
    done
    [ -n "$found" ] || fail "no Linux process runs $1"
    echo "$found"
}

rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" || fail "no VmRSS for pid $1"
}

# utime + stime of all threads, in clock ticks: the fields after the ")" closing the name.
cpu_ticks() {
    sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# The same in ns, from the scheduler (finer than a clock tick; threads that end are lost).
cpu_ns() {
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d\n", s }'
}

kv_config() {
    crlf_file "$C/bench/kv-work/config.kv" "C:\\bench\\tick_target.exe $LAUNCH_LOG_WIN" "$1"
}

minimum() { sort -g | head -n1; }

median() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "n/a"; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "n/a" || b == "n/a" || b + 0 == 0) print "n/a"; else printf "%.3f\n", a / b }'
}

# within A B MAX: the verdict on A / B itself, not on the rounded ratio shown.
within() {
    awk -v a="$1" -v b="$2" -v m="$3" 'BEGIN {
        if (a == "n/a" || b == "n/a" || b + 0 == 0) print "n/a"
        else print (a / b <= m + 0) ? "yes" : "**no**" }'
}

values() { tr '\n' ' ' <"$1" | sed 's/ $//'; }

# Which of the two runs first alternates, so neither always gets the warmer caches.
program_order() {
    if [ $(($1 % 2)) -eq 1 ]; then echo "kelvarion floor"; else echo "floor kelvarion"; fi
}

exe_of() { if [ "$1" == kelvarion ]; then echo "$KV_WIN"; else echo "$FLOOR_WIN"; fi; }
work_of() { if [ "$1" == kelvarion ]; then echo "$KV_WORK_WIN"; else echo "$FLOOR_WORK_WIN"; fi; }
class_of() { if [ "$1" == kelvarion ]; then echo "$KV_CLASS"; else echo "$FLOOR_CLASS"; fi; }

# Brings up the prefix's wineserver, services and desktop before anything is timed.
probe tray

# --- start-up time and memory after start-up ------------------------------------

# One program at a time, so nothing but the background competes with its start.
start_once() {
    local prog=$1 keep=$2 pid
    [ "$prog" == kelvarion ] && kv_config 5
    probe start "$(exe_of "$prog")" "$(work_of "$prog")"
    pid=$(linux_pid "$(exe_of "$prog")") || exit 1
    sleep "$SETTLE_S"
    if [ "$keep" == keep ]; then
        read -r _ _ _ window _ tray _ ready <<<"$PROBE_OUT"
        echo "$ready" >>"$DATA/$prog.ready"
        echo "$window" >>"$DATA/$prog.window"
        echo "$tray" >>"$DATA/$prog.tray"
        rss_kb "$pid" >>"$DATA/$prog.rss"
        awk -v n="$(cpu_ns "$pid")" 'BEGIN { printf "%.2f\n", n / 1e6 }' >>"$DATA/$prog.startcpu"
        kv_log "$prog: $PROBE_OUT rss $(tail -n1 "$DATA/$prog.rss") kB"
    fi
    probe close "$(class_of "$prog")"
}

kv_log "warm-up start of each program (not counted)"
start_once kelvarion drop
start_once floor drop
for run in $(seq "$RUNS"); do
    for prog in $(program_order "$run"); do
        start_once "$prog" keep
    done
done

# --- idle CPU ------------------------------------------------------------------

# Two states: as started (window shown, in the foreground) and hidden in the tray. Only one
# window can be in the foreground, so each run takes two minutes: in each, one program idles
# freshly started in the foreground while the other idles hidden; then they swap. Idle
# programs do not compete for the cores, and both see the same background load.
declare -A PID=() TICKS0=() NS0=()

idle_start() {
    probe launch "$(exe_of "$1")" "$(work_of "$1")"
    PID[$1]=$(linux_pid "$(exe_of "$1")") || exit 1
}

# idle_minute SHOWN HIDDEN: records IDLE_S seconds of both programs' CPU.
idle_minute() {
    local prog
    sleep "$CPU_SETTLE_S"
    for prog in "$1" "$2"; do
        TICKS0[$prog]=$(cpu_ticks "${PID[$prog]}")
        NS0[$prog]=$(cpu_ns "${PID[$prog]}")
    done
    sleep "$IDLE_S"
    for prog in "$1" "$2"; do
        kv_alive "${PID[$prog]}" || fail "$prog ended during the idle minute"
        local state=shown
        [ "$prog" == "$2" ] && state=hidden
        echo $(($(cpu_ticks "${PID[$prog]}") - ${TICKS0[$prog]})) >>"$DATA/$prog.$state.ticks"
        awk -v a="$(cpu_ns "${PID[$prog]}")" -v b="${NS0[$prog]}" \
            'BEGIN { printf "%.2f\n", (a - b) / 1e6 }' >>"$DATA/$prog.$state.ms"
    done
    kv_log "idle ${IDLE_S} s: $1 shown $(tail -n1 "$DATA/$1.shown.ticks") ticks" \
        "$(tail -n1 "$DATA/$1.shown.ms") ms; $2 hidden $(tail -n1 "$DATA/$2.hidden.ticks") ticks" \
        "$(tail -n1 "$DATA/$2.hidden.ms") ms"
}

for run in $(seq "$CPU_RUNS"); do
    read -r first second <<<"$(program_order "$run")"
    kv_log "idle-CPU run $run of $CPU_RUNS"
    kv_config 5
    idle_start "$second"
    probe hide "$(class_of "$second")"
    idle_start "$first"
    idle_minute "$first" "$second"
    probe hide "$(class_of "$first")"
    probe close "$(class_of "$second")"
    idle_start "$second"
    idle_minute "$second" "$first"
    probe close "$(class_of "$first")"
    probe close "$(class_of "$second")"
done

# --- memory after launches -----------------------------------------------------

for run in $(seq "$LAUNCH_RUNS"); do
    kv_config 1
    rm -f "$C/bench/kv-work/launches.log"
    probe start "$KV_WIN" "$KV_WORK_WIN"
    kvpid=$(linux_pid "$KV_WIN") || exit 1
    sleep "$SETTLE_S"
    rss_kb "$kvpid" >>"$DATA/launch.rss_before"
    kv_log "launch run $run of $LAUNCH_RUNS: $LAUNCHES ticks, rss before $(tail -n1 "$DATA/launch.rss_before") kB"
    probe ticks "$LAUNCHES" "$LAUNCH_LOG_WIN" 20000
    read -r _ launched _ ms _ left <<<"$PROBE_OUT"
    sleep "$SETTLE_S"
    kv_alive "$kvpid" || fail "kelvarion ended during the launches"
    rss_kb "$kvpid" >>"$DATA/launch.rss_after"
    echo "$launched" >>"$DATA/launch.count"
    echo "$ms" >>"$DATA/launch.ms"
    kv_log "launched $launched in $ms ms ($left still running), rss after $(tail -n1 "$DATA/launch.rss_after") kB"
    probe close "$KV_CLASS"
done

# --- size and imports ----------------------------------------------------------

KV_SIZE=$(stat -c %s "$KV_EXE")
SIZE_32=$(stat -c %s "$SCRATCH/mingw-i686/kelvarion.exe")
SIZE_64=$(stat -c %s "$SCRATCH/mingw-x86_64/kelvarion.exe")
FLOOR_SIZE=$(stat -c %s "$TOOLS/floor.exe")
mapfile -t DLLS < <("$CROSS-objdump" -p "$KV_EXE" | awk '/DLL Name:/ { print $3 }')
FOREIGN=()
for dll in "${DLLS[@]}"; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    [[ $WINDOWS_DLLS == *" $lower "* ]] || FOREIGN+=("$dll")
done

# Bytes by origin, from the linker map: input sections counted into the output sections
# the file holds (.bss takes no file space; debug sections are stripped).
map_origins() {
    awk '
    function hexval(h,   i, v) {
        v = 0; h = tolower(substr(h, 3))
        for (i = 1; i <= length(h); i++) v = v * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1
        return v
    }
    function add(hex, file,   n, origin) {
        n = hexval(hex)
        if (n == 0 || out == ".bss" || out ~ /^\.debug/ || out == "") return
        if (out == ".reloc") origin = "relocations (made by the linker)"
        else if (file ~ /CMakeFiles\/kelvarion\.dir/) origin = "Kelvarion: Win32 layer and resources"
        else if (file ~ /ltrans/) origin = "Kelvarion: code after link-time optimisation (both layers)"
        else if (file ~ /libkvcore/) origin = "Kelvarion: portable core (libkvcore)"
        else if (file ~ /libstdc\+\+/) origin = "libstdc++ (static)"
        else if (file ~ /libgcc/) origin = "libgcc (static)"
        else if (file ~ /crt2|crtbegin|crtend|libmingw|libmoldname|libmsvcrt/) origin = "mingw-w64 start-up and CRT glue"
        else origin = "import tables"
        total[origin] += n
    }
    /^Linker script and memory map/ { on = 1; next }
    !on { next }
    /^[._a-zA-Z]/ { out = $1; next }
    /^ [._a-zA-Z*]/ {
        if (NF == 1) { pending = 1; next }
        if ($2 ~ /^0x/ && $3 ~ /^0x/ && NF >= 4) add($3, $4)
        pending = 0; next
    }
    pending && /^ +0x/ && $1 ~ /^0x/ && $2 ~ /^0x/ && NF >= 3 { add($2, $3); pending = 0; next }
    { pending = 0 }
    END { for (o in total) printf "%d\t%s\n", total[o], o }' "$BUILD/kelvarion.map" | sort -nr
}

# The largest archive members of libstdc++, and what pulled each in.
stdcxx_members() {
    awk '
    function hexval(h,   i, v) {
        v = 0; h = tolower(substr(h, 3))
        for (i = 1; i <= length(h); i++) v = v * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1
        return v
    }
    /^Linker script and memory map/ { on = 1; next }
    !on { next }
    /^[._a-zA-Z]/ { out = $1; next }
    /^ [._a-zA-Z*]/ {
        if (NF == 1) { pending = 1; next }
        if ($2 ~ /^0x/ && $3 ~ /^0x/ && NF >= 4) f = $4; else f = ""
        if (f ~ /libstdc\+\+/ && out != ".bss" && out !~ /^\.debug/) s[f] += hexval($3)
        pending = 0; next
    }
    pending && /^ +0x/ && $1 ~ /^0x/ && $2 ~ /^0x/ && NF >= 3 {
        if ($3 ~ /libstdc\+\+/ && out != ".bss" && out !~ /^\.debug/) s[$3] += hexval($2)
        pending = 0; next
    }
    { pending = 0 }
    END { for (f in s) { m = f; sub(/.*libstdc\+\+\.a\(/, "", m); sub(/\)$/, "", m); printf "%d\t%s\n", s[f], m } }
    ' "$BUILD/kelvarion.map" | sort -nr | head -n "$1"
}

# The reference that made the linker take an archive member (from the map's first part).
pulled_by() {
    awk -v m="($1)" '
    /^Linker script and memory map/ { exit }
    want { sub(/^ +/, ""); print; exit }
    index($0, m) && $0 !~ /^ / {
        rest = substr($0, index($0, m) + length(m))
        if (rest ~ /[^ ]/) { sub(/^ +/, "", rest); print rest; exit }
        want = 1
    }' "$BUILD/kelvarion.map" |
        sed -e 's#^.*/\([^/]*\)$#\1#' -e 's#^[^ ]*/##'
}

# --- the table -----------------------------------------------------------------

med() { if [ -s "$DATA/$1" ]; then median <"$DATA/$1"; else echo "n/a"; fi; }
two_places() { awk '{ if ($1 == "n/a") print; else printf "%.2f\n", $1 }'; }
least() { if [ -s "$DATA/$1" ]; then minimum <"$DATA/$1"; else echo "n/a"; fi; }
diff_kb() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "n/a" || b == "n/a") print "n/a"; else printf "%+d kB\n", a - b }'; }
raw() { if [ -s "$DATA/$1" ]; then values "$DATA/$1"; else echo "not measured"; fi; }

KV_READY=$(med kelvarion.ready)
FL_READY=$(med floor.ready)
KV_READY_MIN=$(least kelvarion.ready)
FL_READY_MIN=$(least floor.ready)
KV_STARTCPU=$(med kelvarion.startcpu | two_places)
FL_STARTCPU=$(med floor.startcpu | two_places)
KV_WINDOW=$(med kelvarion.window)
FL_WINDOW=$(med floor.window)
KV_TRAY=$(med kelvarion.tray)
FL_TRAY=$(med floor.tray)
KV_RSS=$(med kelvarion.rss)
FL_RSS=$(med floor.rss)
L_BEFORE=$(med launch.rss_before)
L_AFTER=$(med launch.rss_after)
L_COUNT=$(med launch.count)
L_MS=$(med launch.ms)
HZ=$(getconf CLK_TCK)
TICK_MS=$((1000 / HZ))

READY_RATIO=$(ratio "$KV_READY" "$FL_READY")
# Both programs of a round start within seconds of each other, under much the same load.
PAIRED_RATIO=$(paste -d' ' "$DATA/kelvarion.ready" "$DATA/floor.ready" |
    awk '$2 > 0 { print $1 / $2 }' | median | awk '{ printf ($1 == "n/a") ? "n/a\n" : "%.3f\n", $1 }')
RSS_RATIO=$(ratio "$KV_RSS" "$FL_RSS")
LAUNCH_RATIO=$(ratio "$L_AFTER" "$FL_RSS")
# Indistinguishable: the median is at most one clock tick above the floor's.
cpu_row() {
    local state=$1 what=$2 kt ft km fm d met
    kt=$(med "kelvarion.$state.ticks")
    ft=$(med "floor.$state.ticks")
    km=$(med "kelvarion.$state.ms" | two_places)
    fm=$(med "floor.$state.ms" | two_places)
    if [ "$kt" == n/a ] || [ "$ft" == n/a ]; then
        d=n/a
        met="not measured"
    else
        d=$(awk -v a="$kt" -v b="$ft" 'BEGIN { print a - b }')
        met=$(awk -v d="$d" 'BEGIN { print (d <= 1) ? "yes" : "**no**" }')
    fi
    echo "| Idle CPU over ${IDLE_S} s, $what, median of $CPU_RUNS (utime+stime, clock ticks of $TICK_MS ms) | $kt ($(ms_of_ticks "$kt") ms) | $ft ($(ms_of_ticks "$ft") ms) | difference $d ticks | indistinguishable: at most 1 tick more | $met |"
    echo "| &nbsp;&nbsp;the same from the scheduler's run time (ms) | $km | $fm | | | |"
}

if [ "$L_AFTER" == n/a ]; then LAUNCH_MET="not measured"; else LAUNCH_MET=$(within "$L_AFTER" "$FL_RSS" "$MAX_RATIO"); fi
SIZE_MET=$([ "$SIZE_32" -le "$SIZE_GOAL" ] && echo yes || echo "**no**")
DLL_MET=$([ ${#FOREIGN[@]} -eq 0 ] && echo yes || echo "**no**: ${FOREIGN[*]}")
KB() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1024 }'; }
kB() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1000 }'; }
ms_of_ticks() { awk -v t="$1" -v m="$TICK_MS" 'BEGIN { if (t == "n/a") print "n/a"; else print t * m }'; }

ELAPSED=$((SECONDS - START_SECONDS))
END_LOAD=$(cut -d' ' -f1-3 /proc/loadavg)
REV=$(git -C "$REPO" rev-parse --short HEAD 2>/dev/null || echo unknown)
[ -n "$(git -C "$REPO" status --porcelain 2>/dev/null)" ] && REV="$REV with uncommitted changes"
CMDLINE="KV_BENCH_RUNS=$RUNS KV_BENCH_CPU_RUNS=$CPU_RUNS KV_BENCH_IDLE_S=$IDLE_S KV_BENCH_LAUNCH_RUNS=$LAUNCH_RUNS KV_BENCH_LAUNCHES=$LAUNCHES bench/run.sh"

{
    echo "# Kelvarion benchmark"
    echo
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
        "$(awk '/^MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo) RAM," \
        "$(. /etc/os-release && echo "$PRETTY_NAME"), $("$KV_WINE" --version)," \
        "$($CROSS-g++ --version | head -n1)"
    echo "- Load average (1, 5, 15 min) at start: $START_LOAD; at end: $END_LOAD." \
        "The machine is shared: other work ran alongside."
    echo "- Measured: the **$KV_BENCH_BITS-bit** build, in a $KV_BENCH_BITS-bit Wine prefix$WHY_BITS"
    echo "- Source: $REV; kelvarion.exe built with \`cmake --preset $PRESET -B $BUILD\` ($BUILD_TYPE)"
    echo "- Floor built with the same flags: \`$FLOOR_CMD\`"
    echo "- Command: \`$CMDLINE\` (took $((ELAPSED / 60)) min $((ELAPSED % 60)) s, builds included)"
    echo
    echo "## Results"
    echo
    echo "| Measure | Kelvarion | Floor | Kelvarion / floor | Goal | Met |"
    echo "|---|---:|---:|---:|---|---|"
    echo "| Start-up: process start to window shown **and** tray icon drawn, median of $RUNS (ms) | $KV_READY | $FL_READY | $READY_RATIO | within ${MAX_RATIO}x | $(within "$KV_READY" "$FL_READY" "$MAX_RATIO") |"
    echo "| &nbsp;&nbsp;median of the $RUNS rounds' own ratios | | | $PAIRED_RATIO | | |"
    echo "| &nbsp;&nbsp;the same, fastest of $RUNS (ms) | $KV_READY_MIN | $FL_READY_MIN | $(ratio "$KV_READY_MIN" "$FL_READY_MIN") | | |"
    echo "| &nbsp;&nbsp;CPU time the process used to start, median (ms) | $KV_STARTCPU | $FL_STARTCPU | $(ratio "$KV_STARTCPU" "$FL_STARTCPU") | | |"
    echo "| &nbsp;&nbsp;median until the window is shown (ms) | $KV_WINDOW | $FL_WINDOW | $(ratio "$KV_WINDOW" "$FL_WINDOW") | | |"
    echo "| &nbsp;&nbsp;median until the tray icon is drawn (ms) | $KV_TRAY | $FL_TRAY | $(ratio "$KV_TRAY" "$FL_TRAY") | | |"
    echo "| Resident memory after start-up, median of $RUNS (VmRSS, kB) | $KV_RSS | $FL_RSS | $RSS_RATIO ($(diff_kb "$KV_RSS" "$FL_RSS")) | within ${MAX_RATIO}x | $(within "$KV_RSS" "$FL_RSS" "$MAX_RATIO") |"
    echo "| Resident memory after $LAUNCHES launches, median of $LAUNCH_RUNS (kB); the floor launches nothing: its idle figure | $L_AFTER | $FL_RSS | $LAUNCH_RATIO ($(diff_kb "$L_AFTER" "$FL_RSS")) | within ${MAX_RATIO}x | $LAUNCH_MET |"
    echo "| &nbsp;&nbsp;the same process before its launches (kB) | $L_BEFORE | | growth $(diff_kb "$L_AFTER" "$L_BEFORE") | | |"
    echo "| &nbsp;&nbsp;launches counted; the time they took (ms) | $L_COUNT; $L_MS | | | | |"
    cpu_row shown "as started (window shown, in the foreground)"
    cpu_row hidden "window hidden, icon in the tray"
    echo "| Size of the measured $KV_BENCH_BITS-bit .exe (bytes) | $KV_SIZE ($(KB "$KV_SIZE") KiB, $(kB "$KV_SIZE") kB) | $FLOOR_SIZE ($(KB "$FLOOR_SIZE") KiB) | $(ratio "$KV_SIZE" "$FLOOR_SIZE") | | |"
    echo "| Size of the 32-bit .exe (mingw-i686, the product) (bytes) | $SIZE_32 ($(KB "$SIZE_32") KiB) | | | at most 64 KiB ($SIZE_GOAL bytes) | $SIZE_MET |"
    echo "| Size of the 64-bit .exe (mingw-x86_64) (bytes) | $SIZE_64 ($(KB "$SIZE_64") KiB) | | | | |"
    echo "| Imported DLLs | ${DLLS[*]} | $("$CROSS-objdump" -p "$TOOLS/floor.exe" | awk '/DLL Name:/ { print $3 }' | paste -sd' ') | | only Windows' own | $DLL_MET |"
    echo
    echo "Raw values, in run order:"
    echo
    echo "- start-up (ms), Kelvarion: $(raw kelvarion.ready); floor: $(raw floor.ready)"
    echo "- CPU time to start (ms), Kelvarion: $(raw kelvarion.startcpu); floor: $(raw floor.startcpu)"
    echo "- RSS after start-up (kB), Kelvarion: $(raw kelvarion.rss); floor: $(raw floor.rss)"
    echo "- idle CPU shown (ticks), Kelvarion: $(raw kelvarion.shown.ticks); floor: $(raw floor.shown.ticks)"
    echo "- idle CPU shown (scheduler ms), Kelvarion: $(raw kelvarion.shown.ms); floor: $(raw floor.shown.ms)"
    echo "- idle CPU hidden (ticks), Kelvarion: $(raw kelvarion.hidden.ticks); floor: $(raw floor.hidden.ticks)"
    echo "- idle CPU hidden (scheduler ms), Kelvarion: $(raw kelvarion.hidden.ms); floor: $(raw floor.hidden.ms)"
    echo "- launch runs: RSS before (kB) $(raw launch.rss_before); after (kB) $(raw launch.rss_after);" \
        "launches counted $(raw launch.count); time for them (ms) $(raw launch.ms)"
    echo
    echo "## What kelvarion.exe is made of"
    echo
    echo "From the linker map of the same build (bytes of section contents before file"
    echo "alignment; the file is $KV_SIZE bytes):"
    echo
    echo "| Origin | Bytes | KiB |"
    echo "|---|---:|---:|"
    map_origins | while IFS=$'\t' read -r bytes origin; do
        echo "| $origin | $bytes | $(KB "$bytes") |"
    done
    echo
    echo "Largest libstdc++ members, and the reference that brought each in:"
    echo
    echo "| Member | Bytes | Pulled in by |"
    echo "|---|---:|---|"
    stdcxx_members 8 | while IFS=$'\t' read -r bytes member; do
        echo "| $member | $bytes | \`$(pulled_by "$member")\` |"
    done
    [ -n "$(stdcxx_members 1)" ] || echo "| none | | |"
    echo
    echo "## How measured"
    echo
    echo "Everything runs under Wine in one private Xvfb display (1024x768) and one $KV_BENCH_BITS-bit Wine"
    echo "prefix copied from a template, with Wine's virtual desktop as the default desktop, so"
    echo "the tray is a real one in the taskbar. The floor (\`bench/floor.cpp\`) is the least a"
    echo "tray utility does: a window of Kelvarion's client size, shown, one"
    echo "\`Shell_NotifyIconW\` icon (\`IDI_APPLICATION\`), a message loop. It is built in the"
    echo "same run with the compiler and the flags the generated build uses for kelvarion.exe."
    echo
    echo "**Start-up.** \`bench/probe.cpp\`, a console program in the same prefix, first waits"
    echo "until the first tray slot is empty, then calls \`CreateProcessW\` and polls every ~4 ms"
    echo "for (a) a visible, unowned top-level window of the new process and (b) an icon drawn"
    echo "in the first tray slot, read off the screen with \`BitBlt\` from the screen DC: an icon"
    echo "shows as 20 or more pixels that are neither the taskbar's white nor the desktop colour"
    echo "(the bound the e2e tests use). The figure is the later of the two, measured with"
    echo "\`QueryPerformanceCounter\` from just before \`CreateProcessW\`: it includes Wine's"
    echo "process creation, the same for both programs, and Wine's explorer drawing the icon,"
    echo "which is what a user sees. One start of each is made first and not counted; then the"
    echo "programs start one at a time, alternating which goes first. Kelvarion starts with a"
    echo "\`config.kv\` naming a small program and 5 minutes, so it reads a real file. The"
    echo "goal is judged on the ratio of the medians; the median of each round's own ratio"
    echo "(the two starts of a round are seconds apart, under much the same load) and the"
    echo "fastest run are shown too, because load from other work on the machine only adds time."
    echo "So is the CPU time the process used to start (its run time from"
    echo "/proc/PID/task/*/schedstat, read ${SETTLE_S} s after it was ready, when it idles), which"
    echo "load does not stretch."
    echo
    echo "**Memory.** VmRSS of the program's own Wine process (found in /proc by its Windows path"
    echo "in argv[0] and this prefix in its environment) ${SETTLE_S} s after start-up. For the launches,"
    echo "Kelvarion starts with \`config.kv\` naming \`tick_target.exe\` (appends one byte to a"
    echo "file and ends) and 1 minute; the probe posts \`WM_TIMER\` 1 to its window $LAUNCHES times,"
    echo "one at a time, each time waiting until the file has grown, so launches are counted,"
    echo "not assumed, and never pile up; the real 60 s timer may add one or two. VmRSS is read"
    echo "${SETTLE_S} s after the last launched program has ended. The floor launches nothing, so"
    echo "this is compared with the floor's idle figure."
    echo
    echo "**Idle CPU.** utime+stime of each Wine process from /proc/PID/stat over ${IDLE_S} s, and"
    echo "the run time summed over /proc/PID/task/*/schedstat for a finer view, ${CPU_SETTLE_S} s after"
    echo "start-up or hiding. Two states: *as started* (window shown, in the foreground, focus"
    echo "where the program puts it) and *hidden* (\`ShowWindow(SW_HIDE)\` from the probe, what"
    echo "Kelvarion's Close Window does; the icon stays in the tray). As started, Kelvarion's"
    echo "focus is in its program text box, whose caret blinks; the floor has no text box. Only"
    echo "one window can be in the foreground, so each run has two minutes: one program freshly"
    echo "started in the foreground while the other idles hidden, then the other way round;"
    echo "idle programs do not compete for the cores, and both see the same background load."
    echo "Kelvarion's 60 s timer fires once in each minute (with 5 minutes it only counts)."
    echo "\"Indistinguishable\" is read as: the median is at most one clock tick ($TICK_MS ms)"
    echo "above the floor's."
    echo
    echo "**Size and imports.** \`stat\` of the stripped kelvarion.exe and"
    echo "\`$CROSS-objdump -p | grep 'DLL Name'\`; each DLL is checked against a list of"
    echo "DLLs every Windows since XP has in its system folder (msvcrt.dll is one of them)."
} >"$OUT"

kv_log "wrote $OUT after $ELAPSED s"
