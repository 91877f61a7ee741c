#!/bin/bash
# The text conversions of config.kv done by Windows' own functions under code pages 1252,
# 65001 (UTF-8) and 65000 (UTF-7), the ones Wine implements among those that matter:
# kvcodepage.exe, built beside kelvarion.exe, checks each case.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
checker=$(dirname "$KV_EXE")/kvcodepage.exe
[ -f "$checker" ] || fail "kvcodepage.exe not built: $checker"
"$KV_WINE" "$checker" >"$KV_DIR/checks.log" 2>&1
rc=$?
cat "$KV_DIR/checks.log"
[ $rc -eq 0 ] || fail "kvcodepage.exe exited $rc"
grep -q '^all cases hold' "$KV_DIR/checks.log" || fail "kvcodepage.exe did not finish its cases"
kv_log "ok"
