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
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/ui_lib.sh"
kv_init "$@"
views=("")
if [ "$KV_VARIANT" = wow64 ]; then
    kv_setup_wow64
    views=(/reg:32 /reg:64)
else
    kv_setup
fi

path_key='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
folder_key='HKLM\SOFTWARE\Microsoft\Shared Tools Location'
reg_quiet() {
    "$KV_WINE" reg "$@" >>"$KV_DIR/reg.log" 2>&1
}
# Wine's prefix may name its own msinfo32: start from neither key, in any view.
for view in "${views[@]}"; do
    for key in "$path_key" "$folder_key"; do
        reg_quiet delete "$key" /f ${view:+"$view"}
        reg_quiet query "$key" ${view:+"$view"} && fail "$key is still there ${view:-}"
    done
done

# build_tool PATH [MINGW]: the stand-in tool, at the width of the build or of MINGW.
build_tool() {
    mkdir -p "$(dirname "$1")"
    "${2:-$KV_MINGW}-g++" -O2 -mwindows -static -o "$1" "$(dirname "$0")/fake_sysinfo.cpp" ||
        fail "could not build the stand-in tool"
}
case $KV_VARIANT in
path)
    tool="$KV_C/Program Files/kv sysinfo/fake info.exe"
    build_tool "$tool"
    reg_quiet add "$path_key" /v PATH /t REG_SZ /d 'C:\Program Files\kv sysinfo\fake info.exe' /f ||
        fail "could not set $path_key"
    ;;
folder)
    tool="$KV_C/Program Files/kv info folder/MSINFO32.EXE"
    build_tool "$tool"
    reg_quiet add "$folder_key" /v MSINFO /t REG_SZ /d 'C:\Program Files\kv info folder' /f ||
        fail "could not set $folder_key"
    ;;
none)
    tool=""
    ;;
wow64)
    tool="$KV_SYSTEM32/kv info/MSINFO32.EXE"
    build_tool "$tool" x86_64-w64-mingw32
    [ ! -e "$KV_SYSWOW64/kv info" ] || fail "syswow64 holds the tool's folder too"
    reg_quiet add "$folder_key" /v MSINFO /t REG_EXPAND_SZ /d '%SystemRoot%\System32\kv info' \
        /f /reg:64 || fail "could not set $folder_key in the 64-bit view"
    ;;
*)
    fail "unknown variant [$KV_VARIANT]"
    ;;
esac

ui_start_app
mouse_away
drv click 108
drv wait-top '#32770' 'About Kelvarion' 10000
about=${DRV_OUT%% *}
wait_for 5 "the About box in front" fg_is "$about"
drv post-click '#32770' 'About Kelvarion' 303

if [ -n "$tool" ]; then
    wait_for 10 "the stand-in tool's marker" test -s "$tool.ran"
    # SW_SHOWNORMAL is 1.
    assert_eq "ran show=1" "$(tr -d '\r' <"$tool.ran")" "how the tool was started"
    drv sync
    drv count-top '#32770' 'Kelvarion'
    assert_eq 0 "$DRV_OUT" "message boxes after the tool was started"
else
    drv wait-top '#32770' 'Kelvarion' 10000
    assert_eq "$KV_APP_WINPID" "${DRV_OUT#* }" "process id of the message box's owner"
    drv dialog-text '#32770' 'Kelvarion'
    assert_eq "System Information Is Unavailable At This Time" "$DRV_OUT" "message box text"
    drv buttons '#32770' 'Kelvarion'
    assert_eq "1 default OK" "$DRV_OUT" "buttons of the message box"
    drv press '#32770' 'Kelvarion' 1
fi
drv count-top '#32770' 'About Kelvarion'
assert_eq 1 "$DRV_OUT" "About boxes open after System Info..."
drv enabled
assert_eq "enabled=0" "$DRV_OUT" "main window while the About box is open"
drv press '#32770' 'About Kelvarion' 1
wait_for 5 "the main window enabled" drv_is "enabled=1" enabled
kv_log "ok"
