#!/bin/bash
# The 32-bit build on 64-bit Windows, in the 64-bit prefix, where Wine redirects
# C:\Windows\System32 to syswow64 for a 32-bit process as Windows does:
# - a 64-bit program only the real system32 holds, named by its System32 path (without
#   ".exe" and with an argument, then quoted and in other letter case), starts, through
#   Sysnative;
# - a program both system folders hold runs from syswow64, where the usual lookup finds it;
# - "System Info..." starts the tool where only the 64-bit registry view names its folder,
#   an expandable path in System32 that only the real system32 holds.
# The helpers are the 64-bit build's: runmark.exe is a 64-bit program.
. "$(dirname "$0")/lib.sh"
kv_case "$@"

only64='C:\windows\system32\kvmark64.exe'
both64='C:\windows\system32\kvboth.exe'
both32='C:\windows\syswow64\kvboth.exe'
tool='C:\windows\system32\kv info\MSINFO32.EXE'
for exe in "$only64" "$both64" "$tool"; do rb_install_runmark "$exe"; done
[ ! -e "$KV_SYSWOW64/kvmark64.exe" ] || fail "syswow64 holds kvmark64.exe too"
[ ! -e "$KV_SYSWOW64/kv info" ] || fail "syswow64 holds the tool's folder too"
"$KV_MINGW-gcc" -O2 -s -Wall -Wextra -Werror -mwindows -o "$(rb_unix_path "$both32")" \
    "$(dirname "$0")/helpers/runmark.c" || fail "the 32-bit runmark.exe did not build"
sysinfo_keys_clear /reg:32 /reg:64
kv_reg add "$KV_SYSINFO_FOLDER_KEY" /v MSINFO /t REG_EXPAND_SZ /d '%SystemRoot%\System32\kv info' \
    /f /reg:64 || fail "could not set $KV_SYSINFO_FOLDER_KEY in the 64-bit view"

kv_start_app
drv set-text everyNMins 1
drv set-text prgToRun 'C:\Windows\System32\kvmark64 -V'
drv tick 1
assert_eq 1 "$(rb_runs_when "$only64" 1 10)" "runs of the 64-bit-only program, unquoted, no .exe"
drv set-text prgToRun '"c:\WINDOWS\SYSTEM32\kvmark64.exe" -V'
drv tick 1
assert_eq 2 "$(rb_runs_when "$only64" 2 10)" "runs of the 64-bit-only program after the quoted text"
drv set-text prgToRun 'C:\Windows\System32\kvboth.exe'
drv tick 1
assert_eq 1 "$(rb_runs_when "$both32" 1 10)" "runs of the 32-bit copy in syswow64"
assert_eq 0 "$(rb_runs "$both64")" "runs of the 64-bit copy in system32"

mouse_away
about_open
sysinfo_expect "$tool"
kv_log "ok"
