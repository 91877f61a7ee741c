#!/usr/bin/env bash
# Installs what building, testing and releasing need on Debian 12: the mingw-w64 cross
# toolchains (32- and 64-bit), CMake and Ninja, GoogleTest, ImageMagick and optipng (to make
# the icons from their art and check them), icoutils and xmllint (to check each built exe),
# Wine with its 32- and 64-bit loaders and their preloaders, Xvfb, xdotool and zip. Does
# nothing when all of it is there already.
set -euo pipefail

packages=(
    cmake ninja-build g++ libgtest-dev clang libclang-rt-dev zip optipng
    g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
    g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 icoutils libxml2-utils
    wine wine32:i386 wine64 fonts-wine fonts-liberation xvfb xdotool x11-utils imagemagick
    # Without its preloader Wine maps libraries where Windows' fixed addresses must go, and
    # now and then a program fails to start ("failed to map the shared user data").
    wine32-preloader:i386 wine64-preloader
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
as_root apt-get update -q
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
