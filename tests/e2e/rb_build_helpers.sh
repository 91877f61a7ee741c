#!/bin/bash
# Fixture: builds runmark.exe into SCRATCH_DIR/rb-bin, the program the fault, bad-input and
# soak cases start: a GUI program that leaves one file per run beside itself, then exits;
# and kvhold.dll, which kvdriver's hold-starts puts into the program to hold its starts.
. "$(dirname "$0")/lib.sh"
kv_init "$@"
rm -rf "$RB_BIN"
mkdir -p "$RB_BIN"
"$KV_MINGW-gcc" -O2 -s -Wall -Wextra -Werror -mwindows -o "$RB_BIN/runmark.exe" \
    "$(dirname "$0")/helpers/runmark.c" || fail "runmark.exe did not build"
"$KV_MINGW-gcc" -O2 -s -shared -Wall -Wextra -Werror -Wl,--kill-at -o "$RB_BIN/kvhold.dll" \
    "$(dirname "$0")/helpers/kvhold.c" || fail "kvhold.dll did not build"
kv_log "built $RB_BIN/runmark.exe and kvhold.dll"
