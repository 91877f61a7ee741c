#!/bin/bash
# The text conversions of config.kv done by Windows' own functions under code pages 1252,
# 65001 (UTF-8) and 65000 (UTF-7), the ones Wine implements among those that matter:
# kvcodepage.exe, built beside kelvarion.exe, checks each case. A console program: no display.
. "$(dirname "$0")/lib.sh"
kv_init "$@"
checker=$(dirname "$KV_EXE")/kvcodepage.exe
[ -f "$checker" ] || fail "kvcodepage.exe not built: $checker"
[ -d "$KV_TEMPLATE/drive_c" ] || fail "no template prefix at $KV_TEMPLATE (run the e2e_prefix fixture)"
cp -a "$KV_TEMPLATE" "$KV_DIR/prefix" || fail "could not copy the template prefix"
export WINEPREFIX=$KV_DIR/prefix
unset DISPLAY
"$KV_WINE" "$checker" >"$KV_DIR/checks.log" 2>&1
rc=$?
cat "$KV_DIR/checks.log"
[ $rc -eq 0 ] || fail "kvcodepage.exe exited $rc"
grep -q '^all cases hold' "$KV_DIR/checks.log" || fail "kvcodepage.exe did not finish its cases"
kv_log "ok"
