#!/usr/bin/env bash
# Installs, builds and starts Kelvarion under Wine, in the current directory
# (where it keeps config.kv). Without $DISPLAY it runs on a virtual display.
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
(cd "$root" && cmake --preset mingw-i686 >/dev/null && cmake --build --preset mingw-i686)

export WINEPREFIX=${WINEPREFIX:-$HOME/.kelvarion/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ ! -d "$WINEPREFIX" ]; then
    echo "Making a Wine prefix in $WINEPREFIX (once)..."
    mkdir -p "$(dirname "$WINEPREFIX")"
    WINEARCH=win32 wineboot -i >/dev/null 2>&1
    wineserver -w
fi

if [ -z "${DISPLAY:-}" ]; then
    display=:${KV_DISPLAY_NUMBER:-77}
    echo "No \$DISPLAY: starting Kelvarion on a virtual display $display (Xvfb, 1024x768)."
    echo "See it with: DISPLAY=$display import -window root kelvarion.png"
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
    for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.05; done
    export DISPLAY=$display
    # A Wine desktop gives the tray icon a taskbar to sit in.
    cd "$here" && wine explorer /desktop=Kelvarion,1024x768 "$root/build/mingw/kelvarion.exe"
else
    cd "$here" && wine "$root/build/mingw/kelvarion.exe"
fi
