#!/bin/bash
# Benchmark, run on demand (not a test): Kelvarion under Wine against two floors, started
# side by side in every round. The same-window floor (bench/window_floor.cpp) is Kelvarion's
# window built the plainest way: the real limit for any program that shows this window. The
# bare floor (bench/floor.cpp) is a window and a tray icon only, the least a tray utility
# does; its row is kept for continuity. Start-up time, CPU time to start, resident memory,
# idle CPU, and the size and imports of kelvarion.exe.
# Writes bench/results.md and ends by printing the README's table, ready to paste.
#
#   bench/run.sh
#
# Environment (defaults in brackets):
#   KV_BENCH_RUNS         rounds of start-up and memory, each starting all three programs [21]
#   KV_BENCH_CPU_RUNS     idle-CPU runs, one minute per program each [2]
#   KV_BENCH_IDLE_S       length of one idle-CPU minute in seconds [60]
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

RUNS=${KV_BENCH_RUNS:-21}
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
# 32-bit loader; then the 64-bit build and 64-bit floors are measured in a 64-bit prefix.
WHY_BITS=" (chosen with KV_BENCH_BITS)"
README_WHY=" (chosen with \`KV_BENCH_BITS\`)"
if [ -z "${KV_BENCH_BITS:-}" ]; then
    if why=$(kv_arch_unavailable x86); then
        KV_BENCH_BITS=64
        WHY_BITS=": ${why%%;*}, so the 64-bit build and 64-bit floors stand in for the 32-bit product; both sizes are below"
        README_WHY=", because that machine's kernel does not run 32-bit programs"
    else
        KV_BENCH_BITS=32 WHY_BITS="" README_WHY=", the product"
    fi
fi
case $KV_BENCH_BITS in
32) KV_ARCH=x86 PRESET=mingw-i686 OTHER_PRESET=mingw-x86_64 MANIFEST_ARCH=x86 ;;
64) KV_ARCH=x64 PRESET=mingw-x86_64 OTHER_PRESET=mingw-i686 MANIFEST_ARCH=amd64 ;;
*) echo "run.sh: KV_BENCH_BITS must be 32 or 64" >&2; exit 2 ;;
esac
# Wine's loader (KV_WINE) and prefix kind for that build, and its cross compiler (KV_MINGW).
kv_arch
CROSS=$KV_MINGW

# Start-up is done once the program sleeps in its message loop; RSS is flat from then on.
SETTLE_S=2
# Before an idle-CPU window, so that it holds no start-up work.
CPU_SETTLE_S=5
# The 32-bit .exe's bound: the exe_size_32bit test's, read from where that test is made.
SIZE_GOAL=$(sed -n 's/.*-DKV_LIMIT=\([0-9]*\).*/\1/p' "$REPO/CMakeLists.txt" | head -n1)
[[ $SIZE_GOAL =~ ^[0-9]+$ ]] || { echo "run.sh: no KV_LIMIT for exe_size_32bit in CMakeLists.txt" >&2; exit 2; }
# Start-up time, CPU time to start and memory, against the same-window floor.
GOAL_RATIO=1.05
# DLLs every Windows since XP ships in its system folder: the exe_resources_* tests' list.
WINDOWS_DLLS=$REPO/tools/windows_dlls.txt

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
# The probe posts its ticks: each one is a minute to kelvarion.exe.
export KV_E2E_TICK_CLOCK=1
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

# The floors get exactly the product's compile and link flags, read from the generated
# build: optimisation, defines, warnings, static runtimes, stripping, section GC, -mwindows.
ninja_var() {
    awk -v target="$1" -v var="$2" '
        index($0, "build " target ":") == 1 { on = 1; next }
        on && /^build / { exit }
        on && $1 == var && $2 == "=" { sub(/^ *[A-Z_]+ = /, ""); print; exit }' "$BUILD/build.ninja"
}
KV_CFLAGS="$(ninja_var CMakeFiles/kelvarion.dir/main.cpp.obj DEFINES) $(ninja_var CMakeFiles/kelvarion.dir/main.cpp.obj FLAGS)"
KV_LDFLAGS=$(ninja_var kelvarion.exe LINK_FLAGS | sed 's/-Wl,-Map=[^ ]*//')
[[ $KV_CFLAGS == *-std=c++* && $KV_LDFLAGS == *-static* ]] ||
    fail "could not read Kelvarion's flags from $BUILD/build.ninja"
read -ra FLOOR_FLAGS <<<"$KV_CFLAGS -municode $KV_LDFLAGS"
FLOOR_CMD="$CROSS-g++ ${FLOOR_FLAGS[*]} -o floor.exe bench/floor.cpp"
# The same window's controls come from Kelvarion's own layout table; its manifest asks for
# Common Controls 6 of its own architecture.
WINDOW_CMD="$CROSS-windres -I tools -i bench/window_floor.rc -O coff -o window_floor.res.o &&"
WINDOW_CMD="$WINDOW_CMD $CROSS-g++ ${FLOOR_FLAGS[*]} -I. -o window_floor.exe bench/window_floor.cpp base/layout.cpp ui/form1_layout.cpp window_floor.res.o -lcomctl32"

# The bench's own helpers are not measured.
TOOL_FLAGS=(-std=c++17 -O2 -Wall -Wextra -Wpedantic -Wshadow -Werror -DUNICODE -D_UNICODE
            -static -static-libgcc -static-libstdc++)
kv_log "building floor.exe, window_floor.exe, tick_target.exe and probe.exe in $TOOLS"
"$CROSS-g++" "${FLOOR_FLAGS[@]}" -o "$TOOLS/floor.exe" "$BENCH_DIR/floor.cpp" ||
    fail "floor.exe did not build"
sed "s/@ARCH@/$MANIFEST_ARCH/" "$BENCH_DIR/window_floor.manifest.in" >"$TOOLS/window_floor.manifest"
"$CROSS-windres" -I "$TOOLS" -i "$BENCH_DIR/window_floor.rc" -O coff -o "$TOOLS/window_floor.res.o" ||
    fail "window_floor.rc did not compile"
"$CROSS-g++" "${FLOOR_FLAGS[@]}" -I "$REPO" -o "$TOOLS/window_floor.exe" \
    "$BENCH_DIR/window_floor.cpp" "$REPO/base/layout.cpp" "$REPO/ui/form1_layout.cpp" "$TOOLS/window_floor.res.o" -lcomctl32 ||
    fail "window_floor.exe did not build"
"$CROSS-g++" "${TOOL_FLAGS[@]}" -municode -mwindows -s \
    -o "$TOOLS/tick_target.exe" "$BENCH_DIR/tick_target.cpp" || fail "tick_target.exe did not build"
"$CROSS-g++" "${TOOL_FLAGS[@]}" -o "$TOOLS/probe.exe" "$BENCH_DIR/probe.cpp" -lgdi32 ||
    fail "probe.exe did not build"

# --- display and prefix --------------------------------------------------------

kv_start_xvfb
# The template is kept between bench runs (a fresh one costs ~20 s); each run works on a copy.
# It is made again when the harness that makes it changes.
RECIPE=$(cat "$REPO/tests/e2e/lib.sh" "$REPO/tests/e2e/setup_prefix.sh" | sha256sum | cut -c1-16)
if [ "$(cat "$KV_TEMPLATE/.kv-bench-ready" 2>/dev/null)" != "$RECIPE" ]; then
    kv_log "making the template prefix $KV_TEMPLATE"
    kv_make_template
    echo "$RECIPE" >"$KV_TEMPLATE/.kv-bench-ready"
fi
cp -a "$KV_TEMPLATE" "$KV_DIR/prefix" || fail "could not copy the template prefix"
export WINEPREFIX=$KV_DIR/prefix
C=$WINEPREFIX/drive_c
mkdir -p "$C/bench/kv-work" "$C/bench/window-work" "$C/bench/floor-work"
cp "$KV_EXE" "$TOOLS/floor.exe" "$TOOLS/window_floor.exe" "$TOOLS/tick_target.exe" \
    "$TOOLS/probe.exe" "$C/bench/"

# The three programs: Kelvarion, the same-window floor and the bare floor.
PROGS=(kelvarion window bare)
declare -A EXE_WIN=([kelvarion]='C:\bench\kelvarion.exe' [window]='C:\bench\window_floor.exe'
                    [bare]='C:\bench\floor.exe')
declare -A WORK_WIN=([kelvarion]='C:\bench\kv-work' [window]='C:\bench\window-work'
                     [bare]='C:\bench\floor-work')
declare -A CLASS=([kelvarion]=KelvarionForm1 [window]=KelvarionBenchWindow
                  [bare]=KelvarionBenchFloor)
LAUNCH_LOG_WIN='C:\bench\kv-work\launches.log'

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

values() { tr '\n' ' ' <"$1" | sed 's/ $//'; }

# Which program starts first rotates from round to round, so none always gets the warmer
# caches or the same neighbour.
program_order() {
    local i n=${#PROGS[@]} order=()
    for ((i = 0; i < n; i++)); do order+=("${PROGS[$(((i + $1) % n))]}"); done
    echo "${order[*]}"
}

# Brings up the prefix's wineserver, services and desktop before anything is timed.
probe tray

# --- start-up time and memory after start-up ------------------------------------

# One program at a time, so nothing but the background competes with its start.
start_once() {
    local prog=$1 keep=$2 pid
    [ "$prog" == kelvarion ] && kv_config 5
    probe start "${EXE_WIN[$prog]}" "${WORK_WIN[$prog]}"
    pid=$(linux_pid "${EXE_WIN[$prog]}") || exit 1
    sleep "$SETTLE_S"
    if [ "$keep" == keep ]; then
        read -r _ _ _ window _ tray _ ready <<<"$PROBE_OUT"
        echo "$ready" >>"$DATA/$prog.ready"
        echo "$window" >>"$DATA/$prog.window"
        echo "$tray" >>"$DATA/$prog.tray"
        rss_kb "$pid" >>"$DATA/$prog.rss"
        awk -v n="$(cpu_ns "$pid")" 'BEGIN { printf "%.2f\n", n / 1e6 }' >>"$DATA/$prog.startcpu"
        kv_log "$prog: $PROBE_OUT rss $(tail -n1 "$DATA/$prog.rss") kB cpu $(tail -n1 "$DATA/$prog.startcpu") ms"
    fi
    probe close "${CLASS[$prog]}"
}

kv_log "warm-up start of each program (not counted)"
for prog in "${PROGS[@]}"; do
    start_once "$prog" drop
done
for run in $(seq "$RUNS"); do
    kv_log "round $run of $RUNS"
    for prog in $(program_order "$run"); do
        start_once "$prog" keep
    done
done

# --- idle CPU ------------------------------------------------------------------

# Two states: as started (window shown, in the foreground) and hidden in the tray. Only one
# window can be in the foreground, so a run gives each program a minute of its own, freshly
# started in the foreground, while the others idle hidden. Idle programs do not compete for
# the cores, and all see the same background load.
declare -A PID=() TICKS0=() NS0=()

idle_start() {
    probe launch "${EXE_WIN[$1]}" "${WORK_WIN[$1]}"
    PID[$1]=$(linux_pid "${EXE_WIN[$1]}") || exit 1
}

# idle_minute SHOWN: records IDLE_S seconds of every program's CPU, SHOWN's as shown.
idle_minute() {
    local prog state summary=""
    sleep "$CPU_SETTLE_S"
    for prog in "${PROGS[@]}"; do
        TICKS0[$prog]=$(cpu_ticks "${PID[$prog]}")
        NS0[$prog]=$(cpu_ns "${PID[$prog]}")
    done
    sleep "$IDLE_S"
    for prog in "${PROGS[@]}"; do
        kv_alive "${PID[$prog]}" || fail "$prog ended during the idle minute"
        state=hidden
        [ "$prog" == "$1" ] && state=shown
        echo $(($(cpu_ticks "${PID[$prog]}") - ${TICKS0[$prog]})) >>"$DATA/$prog.$state.ticks"
        awk -v a="$(cpu_ns "${PID[$prog]}")" -v b="${NS0[$prog]}" \
            'BEGIN { printf "%.2f\n", (a - b) / 1e6 }' >>"$DATA/$prog.$state.ms"
        summary="$summary; $prog $state $(tail -n1 "$DATA/$prog.$state.ticks") ticks $(tail -n1 "$DATA/$prog.$state.ms") ms"
    done
    kv_log "idle ${IDLE_S} s${summary}"
}

for run in $(seq "$CPU_RUNS"); do
    read -ra order <<<"$(program_order "$run")"
    kv_log "idle-CPU run $run of $CPU_RUNS"
    kv_config 5
    PID=()
    for prog in "${order[@]:1}"; do
        idle_start "$prog"
        probe hide "${CLASS[$prog]}"
    done
    for prog in "${order[@]}"; do
        if [ -n "${PID[$prog]:-}" ]; then
            probe close "${CLASS[$prog]}"
        fi
        idle_start "$prog"
        idle_minute "$prog"
        probe hide "${CLASS[$prog]}"
    done
    for prog in "${PROGS[@]}"; do
        probe close "${CLASS[$prog]}"
    done
done

# --- memory after launches -----------------------------------------------------

KV_WIN=${EXE_WIN[kelvarion]}
for run in $(seq "$LAUNCH_RUNS"); do
    kv_config 1
    rm -f "$C/bench/kv-work/launches.log"
    probe start "$KV_WIN" "${WORK_WIN[kelvarion]}"
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
    probe close "${CLASS[kelvarion]}"
done

# --- size and imports ----------------------------------------------------------

KV_SIZE=$(stat -c %s "$KV_EXE")
SIZE_32=$(stat -c %s "$SCRATCH/mingw-i686/kelvarion.exe")
SIZE_64=$(stat -c %s "$SCRATCH/mingw-x86_64/kelvarion.exe")
WINDOW_SIZE=$(stat -c %s "$TOOLS/window_floor.exe")
BARE_SIZE=$(stat -c %s "$TOOLS/floor.exe")
imports() { "$CROSS-objdump" -p "$1" | awk '/DLL Name:/ { print $3 }'; }
mapfile -t DLLS < <(imports "$KV_EXE")
FOREIGN=()
for dll in "${DLLS[@]}"; do
    grep -qixF "$dll" "$WINDOWS_DLLS" || FOREIGN+=("$dll")
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
least() { if [ -s "$DATA/$1" ]; then minimum <"$DATA/$1"; else echo "n/a"; fi; }
raw() { if [ -s "$DATA/$1" ]; then values "$DATA/$1"; else echo "not measured"; fi; }
two_places() { awk '{ if ($1 == "n/a") print; else printf "%.2f\n", $1 }'; }
three_places() { awk '{ if ($1 == "n/a") print; else printf "%.3f\n", $1 }'; }
signed_kb() { awk '{ if ($1 == "n/a") print; else printf "%+d kB\n", $1 }'; }
# The same with the README's grouping: "+3 296 kB".
signed_grouped_kb() {
    local d
    d=$(cat)
    if [ "$d" == n/a ]; then echo n/a; return; fi
    awk -v d="$d" 'BEGIN { printf "%s", (d < 0) ? "-" : "+" }'
    echo "$(grouped "${d#-}") kB"
}
# 22944 -> "22 944", as the README writes numbers.
grouped() {
    awk -v n="$1" 'BEGIN { if (n == "n/a") { print n; exit }
        s = sprintf("%d", n + 0.5); out = ""
        while (length(s) > 3) { out = " " substr(s, length(s) - 2) out; s = substr(s, 1, length(s) - 3) }
        print s out }'
}

# The median over the rounds of Kelvarion's figure over a floor's (MEASURE FLOOR): the
# programs of a round start seconds apart, under much the same load, so each round's own
# ratio drifts far less than the medians do from run to run.
round_ratio() {
    if [ ! -s "$DATA/kelvarion.$1" ] || [ ! -s "$DATA/$2.$1" ]; then echo n/a; return; fi
    paste -d' ' "$DATA/kelvarion.$1" "$DATA/$2.$1" | awk '$2 > 0 { print $1 / $2 }' | median
}
round_diff() {
    if [ ! -s "$DATA/kelvarion.$1" ] || [ ! -s "$DATA/$2.$1" ]; then echo n/a; return; fi
    paste -d' ' "$DATA/kelvarion.$1" "$DATA/$2.$1" | awk '{ print $1 - $2 }' | median
}
# within RATIO MAX: the verdict on the ratio itself, not on its rounded form.
within() {
    awk -v r="$1" -v m="$2" 'BEGIN { if (r == "n/a") print "n/a"; else print (r <= m + 0) ? "yes" : "**no**" }'
}

HZ=$(getconf CLK_TCK)
TICK_MS=$((1000 / HZ))
ms_of_ticks() { awk -v t="$1" -v m="$TICK_MS" 'BEGIN { if (t == "n/a") print "n/a"; else print t * m }'; }
KB() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1024 }'; }
kB() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1000 }'; }

declare -A READY WINDOW_MS TRAY_MS FASTEST STARTCPU RSS
for prog in "${PROGS[@]}"; do
    READY[$prog]=$(med "$prog.ready")
    WINDOW_MS[$prog]=$(med "$prog.window")
    TRAY_MS[$prog]=$(med "$prog.tray")
    FASTEST[$prog]=$(least "$prog.ready")
    STARTCPU[$prog]=$(med "$prog.startcpu" | two_places)
    RSS[$prog]=$(med "$prog.rss")
done
declare -A R_READY R_CPU R_RSS D_RSS
for floor in window bare; do
    R_READY[$floor]=$(round_ratio ready "$floor")
    R_CPU[$floor]=$(round_ratio startcpu "$floor")
    R_RSS[$floor]=$(round_ratio rss "$floor")
    D_RSS[$floor]=$(round_diff rss "$floor")
done
L_BEFORE=$(med launch.rss_before)
L_AFTER=$(med launch.rss_after)
L_COUNT=$(med launch.count)
L_MS=$(med launch.ms)
L_RATIO=$(ratio "$L_AFTER" "${RSS[window]}")
if [ "$L_AFTER" == n/a ]; then L_MET="not measured"; else L_MET=$(within "$L_RATIO" "$GOAL_RATIO"); fi
l_diff() { awk -v a="$L_AFTER" -v b="$1" 'BEGIN { if (a == "n/a" || b == "n/a") print "n/a"; else printf "%+d kB\n", a - b }'; }

# Indistinguishable: the median at most one clock tick above the same-window floor's.
declare -A IDLE_TICKS IDLE_MS
for prog in "${PROGS[@]}"; do
    for state in shown hidden; do
        IDLE_TICKS[$prog.$state]=$(med "$prog.$state.ticks")
        IDLE_MS[$prog.$state]=$(med "$prog.$state.ms" | two_places)
    done
done
idle_verdict() {
    awk -v a="${IDLE_TICKS[kelvarion.$1]}" -v b="${IDLE_TICKS[window.$1]}" 'BEGIN {
        if (a == "n/a" || b == "n/a") print "not measured"; else print (a - b <= 1) ? "yes" : "**no**" }'
}
ticks_text() { echo "$1 ($(ms_of_ticks "$1") ms)"; }
ticks_ms() { awk -v t="$1" -v ms="$(ms_of_ticks "$1")" 'BEGIN { printf "%s %s (%s ms)\n", t, (t == 1) ? "tick" : "ticks", ms }'; }
cpu_row() {
    local state=$1 what=$2
    echo "| Idle CPU over ${IDLE_S} s, $what, median of the runs (utime+stime, clock ticks of $TICK_MS ms) | $(ticks_text "${IDLE_TICKS[kelvarion.$state]}") | $(ticks_text "${IDLE_TICKS[window.$state]}") | | $(ticks_text "${IDLE_TICKS[bare.$state]}") | | indistinguishable from the same window: at most 1 tick more | $(idle_verdict "$state") |"
    echo "| &nbsp;&nbsp;the same from the scheduler's run time (ms) | ${IDLE_MS[kelvarion.$state]} | ${IDLE_MS[window.$state]} | | ${IDLE_MS[bare.$state]} | | | |"
}

SIZE_MET=$([ "$SIZE_32" -le "$SIZE_GOAL" ] && echo yes || echo "**no**")
DLL_MET=$([ ${#FOREIGN[@]} -eq 0 ] && echo yes || echo "**no**: ${FOREIGN[*]}")

ELAPSED=$((SECONDS - START_SECONDS))
END_LOAD=$(cut -d' ' -f1-3 /proc/loadavg)
REV=$(git -C "$REPO" rev-parse --short HEAD 2>/dev/null || echo unknown)
[ -n "$(git -C "$REPO" status --porcelain 2>/dev/null)" ] && REV="$REV with uncommitted changes"
CMDLINE="KV_BENCH_RUNS=$RUNS KV_BENCH_CPU_RUNS=$CPU_RUNS KV_BENCH_IDLE_S=$IDLE_S KV_BENCH_LAUNCH_RUNS=$LAUNCH_RUNS KV_BENCH_LAUNCHES=$LAUNCHES bench/run.sh"
CPU_NAME=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
MACHINE="$(nproc) cores, $CPU_NAME, $(awk '/^MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo) RAM"

# The README's table: the same figures, rounded as the README writes them.
readme_table() {
    local r=$RUNS
    echo "From that run ($(date -u '+%-d %B %Y'), on the **$KV_BENCH_BITS-bit build** in a $KV_BENCH_BITS-bit Wine prefix$README_WHY;" \
        "$MACHINE, load average $(cut -d' ' -f1 <<<"$START_LOAD") at the start; each ratio is the median of $r rounds' own ratios):" |
        fmt -w 95
    echo
    echo "| Measure | Kelvarion | Same window, plainest way | Kelvarion / it | Bare window and tray icon | Kelvarion / it |"
    echo "|---|---:|---:|---:|---:|---:|"
    echo "| Start-up to window shown and tray icon drawn, median of $r | $(grouped "${READY[kelvarion]}") ms | $(grouped "${READY[window]}") ms | $(three_places <<<"${R_READY[window]}") | $(grouped "${READY[bare]}") ms | $(three_places <<<"${R_READY[bare]}") |"
    echo "| CPU time to start, median of $r | $(grouped "${STARTCPU[kelvarion]}") ms | $(grouped "${STARTCPU[window]}") ms | $(three_places <<<"${R_CPU[window]}") | $(grouped "${STARTCPU[bare]}") ms | $(three_places <<<"${R_CPU[bare]}") |"
    echo "| Resident memory after start-up, median of $r | $(grouped "${RSS[kelvarion]}") kB | $(grouped "${RSS[window]}") kB | $(three_places <<<"${R_RSS[window]}") ($(signed_grouped_kb <<<"${D_RSS[window]}")) | $(grouped "${RSS[bare]}") kB | $(three_places <<<"${R_RSS[bare]}") ($(signed_grouped_kb <<<"${D_RSS[bare]}")) |"
    echo "| Resident memory after $(grouped "$LAUNCHES") launches (the floors launch nothing: their idle figure) | $(grouped "$L_AFTER") kB | $(grouped "${RSS[window]}") kB | $(ratio "$L_AFTER" "${RSS[window]}") | $(grouped "${RSS[bare]}") kB | $(ratio "$L_AFTER" "${RSS[bare]}") |"
    echo "| Idle CPU over $IDLE_S s, hidden in the tray | ${IDLE_TICKS[kelvarion.hidden]} ticks | ${IDLE_TICKS[window.hidden]} ticks | — | ${IDLE_TICKS[bare.hidden]} ticks | — |"
    echo "| Idle CPU over $IDLE_S s, shown with the caret blinking in its text box | $(ticks_ms "${IDLE_TICKS[kelvarion.shown]}") | $(ticks_ms "${IDLE_TICKS[window.shown]}") | — | ${IDLE_TICKS[bare.shown]} ticks (no text box) | — |"
    echo "| Size of \`kelvarion.exe\` | 32-bit: $(grouped "$SIZE_32") bytes ($(KB "$SIZE_32") KiB); 64-bit: $(grouped "$SIZE_64") bytes ($(KB "$SIZE_64") KiB) | $KV_BENCH_BITS-bit: $(grouped "$WINDOW_SIZE") bytes | $(ratio "$KV_SIZE" "$WINDOW_SIZE") ($KV_BENCH_BITS-bit) | $KV_BENCH_BITS-bit: $(grouped "$BARE_SIZE") bytes | $(ratio "$KV_SIZE" "$BARE_SIZE") ($KV_BENCH_BITS-bit) |"
    echo "| Imported DLLs | Windows' own only ($(tr '[:upper:]' '[:lower:]' <<<"${DLLS[*]}" | sed -e 's/\.dll//g' -e 's/ /, /g')) | $(imports "$TOOLS/window_floor.exe" | tr '[:upper:]' '[:lower:]' | sed 's/\.dll//' | paste -sd, | sed 's/,/, /g') | | $(imports "$TOOLS/floor.exe" | tr '[:upper:]' '[:lower:]' | sed 's/\.dll//' | paste -sd, | sed 's/,/, /g') | |"
}

{
    echo "# Kelvarion benchmark"
    echo
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Machine: $MACHINE," \
        "$(sed -n 's/^PRETTY_NAME="*\([^"]*\)"*$/\1/p' /etc/os-release), $("$KV_WINE" --version)," \
        "$($CROSS-g++ --version | head -n1)"
    echo "- Load average (1, 5, 15 min) at start: $START_LOAD; at end: $END_LOAD." \
        "Other work may have run alongside: the ratios are taken round by round for that reason."
    echo "- Measured: the **$KV_BENCH_BITS-bit** build, in a $KV_BENCH_BITS-bit Wine prefix$WHY_BITS"
    echo "- Source: $REV; kelvarion.exe built with \`cmake --preset $PRESET -B $BUILD\` ($BUILD_TYPE)"
    echo "- Floors built with the same flags: \`$WINDOW_CMD\` and \`$FLOOR_CMD\`"
    echo "- Command: \`$CMDLINE\` (took $((ELAPSED / 60)) min $((ELAPSED % 60)) s, builds included)"
    echo
    echo "## Results"
    echo
    echo "The ratios in the **bold** columns are medians of the $RUNS rounds' own ratios (each round"
    echo "starts the three programs one after the other); the sub-rows' ratios say which they are."
    echo
    echo "| Measure | Kelvarion | Same-window floor | **Kelvarion / same window** | Bare floor | **Kelvarion / bare** | Goal | Met |"
    echo "|---|---:|---:|---:|---:|---:|---|---|"
    echo "| Start-up: process start to window shown **and** tray icon drawn, median of $RUNS (ms) | ${READY[kelvarion]} | ${READY[window]} | $(three_places <<<"${R_READY[window]}") | ${READY[bare]} | $(three_places <<<"${R_READY[bare]}") | within ${GOAL_RATIO}x of the same window | $(within "${R_READY[window]}" "$GOAL_RATIO") |"
    echo "| &nbsp;&nbsp;ratio of the medians | | | $(ratio "${READY[kelvarion]}" "${READY[window]}") | | $(ratio "${READY[kelvarion]}" "${READY[bare]}") | | |"
    echo "| &nbsp;&nbsp;fastest of $RUNS (ms); ratio of the fastest | ${FASTEST[kelvarion]} | ${FASTEST[window]} | $(ratio "${FASTEST[kelvarion]}" "${FASTEST[window]}") | ${FASTEST[bare]} | $(ratio "${FASTEST[kelvarion]}" "${FASTEST[bare]}") | | |"
    echo "| &nbsp;&nbsp;until the window is shown, median (ms); ratio per round | ${WINDOW_MS[kelvarion]} | ${WINDOW_MS[window]} | $(three_places <<<"$(round_ratio window window)") | ${WINDOW_MS[bare]} | $(three_places <<<"$(round_ratio window bare)") | | |"
    echo "| &nbsp;&nbsp;until the tray icon is drawn, median (ms); ratio per round | ${TRAY_MS[kelvarion]} | ${TRAY_MS[window]} | $(three_places <<<"$(round_ratio tray window)") | ${TRAY_MS[bare]} | $(three_places <<<"$(round_ratio tray bare)") | | |"
    echo "| CPU time the process used to start, median of $RUNS (ms) | ${STARTCPU[kelvarion]} | ${STARTCPU[window]} | $(three_places <<<"${R_CPU[window]}") | ${STARTCPU[bare]} | $(three_places <<<"${R_CPU[bare]}") | within ${GOAL_RATIO}x of the same window | $(within "${R_CPU[window]}" "$GOAL_RATIO") |"
    echo "| Resident memory after start-up, median of $RUNS (VmRSS, kB) | ${RSS[kelvarion]} | ${RSS[window]} | $(three_places <<<"${R_RSS[window]}") ($(signed_kb <<<"${D_RSS[window]}")) | ${RSS[bare]} | $(three_places <<<"${R_RSS[bare]}") ($(signed_kb <<<"${D_RSS[bare]}")) | within ${GOAL_RATIO}x of the same window | $(within "${R_RSS[window]}" "$GOAL_RATIO") |"
    echo "| Resident memory after $LAUNCHES launches, median of $LAUNCH_RUNS (kB); the floors launch nothing: their idle figure | $L_AFTER | ${RSS[window]} | $L_RATIO ($(l_diff "${RSS[window]}")) | ${RSS[bare]} | $(ratio "$L_AFTER" "${RSS[bare]}") ($(l_diff "${RSS[bare]}")) | within ${GOAL_RATIO}x of the same window | $L_MET |"
    echo "| &nbsp;&nbsp;the same process before its launches (kB) | $L_BEFORE | | growth $(awk -v a="$L_AFTER" -v b="$L_BEFORE" 'BEGIN { if (a == "n/a" || b == "n/a") print "n/a"; else printf "%+d kB\n", a - b }') | | | | |"
    echo "| &nbsp;&nbsp;launches counted; the time they took (ms) | $L_COUNT; $L_MS | | | | | | |"
    cpu_row shown "as started (window shown, in the foreground)"
    cpu_row hidden "window hidden, icon in the tray"
    echo "| Size of the measured $KV_BENCH_BITS-bit .exe (bytes) | $KV_SIZE ($(KB "$KV_SIZE") KiB, $(kB "$KV_SIZE") kB) | $WINDOW_SIZE ($(KB "$WINDOW_SIZE") KiB) | $(ratio "$KV_SIZE" "$WINDOW_SIZE") | $BARE_SIZE ($(KB "$BARE_SIZE") KiB) | $(ratio "$KV_SIZE" "$BARE_SIZE") | | |"
    echo "| Size of the 32-bit .exe (mingw-i686, the product) (bytes) | $SIZE_32 ($(KB "$SIZE_32") KiB) | | | | | at most $((SIZE_GOAL / 1024)) KiB ($SIZE_GOAL bytes), as exe_size_32bit | $SIZE_MET |"
    echo "| Size of the 64-bit .exe (mingw-x86_64) (bytes) | $SIZE_64 ($(KB "$SIZE_64") KiB) | | | | | | |"
    echo "| Imported DLLs | ${DLLS[*]} | $(imports "$TOOLS/window_floor.exe" | paste -sd' ') | | $(imports "$TOOLS/floor.exe" | paste -sd' ') | | only Windows' own | $DLL_MET |"
    echo
    echo "Raw values, in run order (one per round for start-up and memory):"
    echo
    for prog in "${PROGS[@]}"; do
        echo "- $prog: start-up (ms) $(raw "$prog.ready"); CPU time to start (ms) $(raw "$prog.startcpu");" \
            "RSS after start-up (kB) $(raw "$prog.rss")"
        echo "- $prog: idle CPU shown (ticks) $(raw "$prog.shown.ticks"), (scheduler ms) $(raw "$prog.shown.ms");" \
            "hidden (ticks) $(raw "$prog.hidden.ticks"), (scheduler ms) $(raw "$prog.hidden.ms")"
    done
    echo "- launch runs: RSS before (kB) $(raw launch.rss_before); after (kB) $(raw launch.rss_after);" \
        "launches counted $(raw launch.count); time for them (ms) $(raw launch.ms)"
    echo
    echo "## For the README"
    echo
    echo "The table for README.md's \"What it costs to keep it running\", from this run:"
    echo
    readme_table
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
    echo "the tray is a real one in the taskbar. Two floors are built in the same run with the"
    echo "compiler and the flags the generated build uses for kelvarion.exe:"
    echo
    echo "- the **same-window floor** (\`bench/window_floor.cpp\`): Kelvarion's window built the"
    echo "  plainest way, the real limit for a program that shows it. \`CreateWindowEx\` for the"
    echo "  same ten controls at the same places (Kelvarion's own layout table,"
    echo "  \`ui/form1_layout.cpp\`), the window's style, the system's message font, a Common Controls 6"
    echo "  manifest of its own architecture, the focus in the first text box, a"
    echo "  \`Shell_NotifyIconW\` icon (\`IDI_APPLICATION\`) and a dialog-style message loop; no"
    echo "  settings, no timer, no menu, nothing else;"
    echo "- the **bare floor** (\`bench/floor.cpp\`): the least a tray utility does, a window of"
    echo "  Kelvarion's client size, shown, one tray icon, a message loop. Its row is kept for"
    echo "  continuity with earlier runs."
    echo
    echo "**Start-up.** \`bench/probe.cpp\`, a console program in the same prefix, first waits"
    echo "until the first tray slot is empty, then calls \`CreateProcessW\` and polls every ~4 ms"
    echo "for (a) a visible, unowned top-level window of the new process and (b) an icon drawn"
    echo "in the first tray slot, read off the screen with \`BitBlt\` from the screen DC: an icon"
    echo "shows as 20 or more pixels that are neither the taskbar's white nor the desktop colour"
    echo "(the bound the e2e tests use). The figure is the later of the two, measured with"
    echo "\`QueryPerformanceCounter\` from just before \`CreateProcessW\`: it includes Wine's"
    echo "process creation, the same for all three programs, and Wine's explorer drawing the"
    echo "icon, which is what a user sees. One start of each is made first and not counted; then"
    echo "each round starts the three one at a time, the first of a round rotating. Kelvarion"
    echo "starts with a \`config.kv\` naming a small program and 5 minutes, so it reads a real"
    echo "file. The goal is judged on the median of the rounds' own ratios: the programs of a"
    echo "round start seconds apart, under much the same load, while medians of whole runs"
    echo "drift by some 5 % from run to run on a shared machine. The CPU time the process used"
    echo "to start (its run time from /proc/PID/task/*/schedstat, read ${SETTLE_S} s after it was"
    echo "ready, when it idles) is judged the same way; load from other work stretches it far"
    echo "less than it stretches the start-up time."
    echo
    echo "**Memory.** VmRSS of the program's own Wine process (found in /proc by its Windows path"
    echo "in argv[0] and this prefix in its environment) ${SETTLE_S} s after start-up, in every round. For"
    echo "the launches, Kelvarion starts with \`config.kv\` naming \`tick_target.exe\` (appends one"
    echo "byte to a file and ends) and 1 minute; the probe posts \`WM_TIMER\` 1 to its window"
    echo "$LAUNCHES times, one at a time, each time waiting until the file has grown, so launches are"
    echo "counted, not assumed, and never pile up; the real 60 s timer may add one or two. VmRSS"
    echo "is read ${SETTLE_S} s after the last launched program has ended. The floors launch nothing,"
    echo "so this is compared with their figures after start-up."
    echo
    echo "**Idle CPU.** utime+stime of each Wine process from /proc/PID/stat over ${IDLE_S} s, and"
    echo "the run time summed over /proc/PID/task/*/schedstat for a finer view, ${CPU_SETTLE_S} s after"
    echo "start-up or hiding. Two states: *as started* (window shown, in the foreground, focus"
    echo "where the program puts it) and *hidden* (\`ShowWindow(SW_HIDE)\` from the probe, what"
    echo "Kelvarion's Close Window does; the icon stays in the tray). As started, Kelvarion's"
    echo "focus and the same-window floor's are in a text box whose caret blinks; the bare"
    echo "floor has no text box. Only one window can be in the foreground, so each run gives"
    echo "every program a minute of its own, freshly started in the foreground, while the other"
    echo "two idle hidden; idle programs do not compete for the cores, and all see the same"
    echo "background load. Kelvarion's 60 s timer fires once in each minute (with 5 minutes it"
    echo "only counts). \"Indistinguishable\" is read as: the median is at most one clock tick"
    echo "($TICK_MS ms) above the same-window floor's."
    echo
    echo "**Size and imports.** \`stat\` of the stripped kelvarion.exe and"
    echo "\`$CROSS-objdump -p | grep 'DLL Name'\`; each DLL is checked against"
    echo "\`tools/windows_dlls.txt\`, the DLLs every Windows since XP has in its system folder"
    echo "(msvcrt.dll is one of them), as the exe_resources_* tests do."
} >"$OUT"

kv_log "wrote $OUT after $ELAPSED s"
echo
echo "----- for README.md, \"What it costs to keep it running\" -----"
readme_table
