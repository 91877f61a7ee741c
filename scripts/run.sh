#!/usr/bin/env bash
# Installs, builds and starts Kelvarion under Wine, in the current directory (where it
# keeps config.kv). The 32-bit build where this machine runs 32-bit programs, else the
# 64-bit one; KV_ARCH=x86 or KV_ARCH=x64 forces the choice. Without $DISPLAY it runs on
# a virtual display.
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

if [ -n "${KV_ARCH:-}" ]; then
    arch=$KV_ARCH
    why="KV_ARCH=$KV_ARCH"
elif out=$(/usr/lib/wine/wine --version 2>&1); then
    arch=x86
    why="this machine runs 32-bit programs"
else
    arch=x64
    why="this kernel does not run 32-bit programs (${out##*: })"
fi
case $arch in
x86) preset=mingw-i686 build=build/mingw loader=/usr/lib/wine/wine winearch=win32 ;;
x64) preset=mingw-x86_64 build=build/mingw64 loader=/usr/lib/wine/wine64 winearch=win64 ;;
*) echo "KV_ARCH must be x86 or x64, not $arch" >&2; exit 2 ;;
esac
echo "Starting the $arch build of Kelvarion: $why."
(cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset")

# A prefix per width: a 64-bit program needs a 64-bit prefix, and the other way round.
default_prefix=$HOME/.kelvarion/wine
[ "$arch" = x64 ] && default_prefix=$HOME/.kelvarion/wine64
export WINEPREFIX=${WINEPREFIX:-$default_prefix}
export WINELOADER=$loader
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ ! -d "$WINEPREFIX" ]; then
    echo "Making a $winearch Wine prefix in $WINEPREFIX (once)..."
    mkdir -p "$(dirname "$WINEPREFIX")"
    if ! WINEARCH=$winearch "$loader" wineboot -i >/dev/null 2>&1; then
        echo "wineboot failed; the prefix $WINEPREFIX is left for a look" >&2
        exit 1
    fi
    wineserver -w
fi
# Wine draws caption buttons with Marlett but does not look for it where Debian puts it.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -u /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

exe=$root/$build/kelvarion.exe
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
    cd "$here" && "$loader" explorer /desktop=Kelvarion,1024x768 "$exe"
else
    cd "$here" && "$loader" "$exe"
fi
