#!/bin/bash
# Fixture: builds the small Windows programs the fault, bad-input and soak cases use,
# into SCRATCH_DIR/rb-bin:
#   runmark.exe  a GUI program that leaves one file per run beside itself, then exits
#   locker.exe   holds a file open with no sharing until told to let go
#   kvrb.exe     drives the program where kvdriver does not reach (see its usage)
. "$(dirname "$0")/lib.sh"
kv_init "$@"
src=$(dirname "$(realpath "$0")")
root=$(realpath "$src/../..")
out=$KV_SCRATCH/rb-bin
rm -rf "$out"
mkdir -p "$out"
strict=(-O2 -s -Wall -Wextra -Werror)
"$KV_MINGW-gcc" "${strict[@]}" -mwindows -o "$out/runmark.exe" "$src/helpers/runmark.c" ||
    fail "runmark.exe did not build"
"$KV_MINGW-gcc" "${strict[@]}" -o "$out/locker.exe" "$src/helpers/locker.c" -lshell32 ||
    fail "locker.exe did not build"
"$KV_MINGW-g++" "${strict[@]}" -std=c++17 -Wpedantic -Wshadow -static \
    -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -I"$root" \
    -o "$out/kvrb.exe" "$src/helpers/kvrb.cpp" -lshell32 || fail "kvrb.exe did not build"
kv_log "helpers built in $out: $(cd "$out" && echo *.exe)"
