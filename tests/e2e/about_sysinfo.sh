#!/bin/bash
# "System Info..." in the About box starts the system-information tool, shown normally,
# and the About box stays open. VARIANT says where the registry names the tool:
#   path    HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO, value PATH (the full path)
#   folder  HKLM\SOFTWARE\Microsoft\Shared Tools Location, value MSINFO (its folder,
#           holding MSINFO32.EXE)
#   none    neither: a message box "Kelvarion" says the tool is unavailable, with only
#           an OK button; once it is dismissed the About box is still open.
#   wow64   the 32-bit build in the 64-bit prefix: only the 64-bit registry view has the
#           folder key, an expandable path in System32 that only the real system32 holds,
#           with a 64-bit tool (reached through Sysnative).
# The stand-in tool is runmark.exe, which notes how it was asked to show.
. "$(dirname "$0")/lib.sh"
kv_case "$@"
views=("")
[ "$KV_VARIANT" = wow64 ] && views=(/reg:32 /reg:64)
sysinfo_keys_clear "${views[@]}"

case $KV_VARIANT in
path)
    tool='C:\Program Files\kv sysinfo\fake info.exe'
    rb_install_runmark "$tool"
    kv_reg add "$KV_SYSINFO_PATH_KEY" /v PATH /t REG_SZ /d "$tool" /f ||
        fail "could not set $KV_SYSINFO_PATH_KEY"
    ;;
folder)
    tool='C:\Program Files\kv info folder\MSINFO32.EXE'
    rb_install_runmark "$tool"
    kv_reg add "$KV_SYSINFO_FOLDER_KEY" /v MSINFO /t REG_SZ /d 'C:\Program Files\kv info folder' /f ||
        fail "could not set $KV_SYSINFO_FOLDER_KEY"
    ;;
none)
    tool=""
    ;;
wow64)
    tool='C:\windows\system32\kv info\MSINFO32.EXE'
    rb_install_runmark "$tool"
    [ ! -e "$KV_SYSWOW64/kv info" ] || fail "syswow64 holds the tool's folder too"
    kv_reg add "$KV_SYSINFO_FOLDER_KEY" /v MSINFO /t REG_EXPAND_SZ /d '%SystemRoot%\System32\kv info' \
        /f /reg:64 || fail "could not set $KV_SYSINFO_FOLDER_KEY in the 64-bit view"
    ;;
*)
    fail "unknown variant [$KV_VARIANT]"
    ;;
esac

kv_start_app
mouse_away
about_open
sysinfo_expect "$tool"
kv_log "ok"
