#!/usr/bin/env bash
# Makes the README's screenshots from the real program under Wine: runs the end-to-end
# cases that take them, for the build this machine runs (the 32-bit one where it can),
# then copies them to docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
arch=x64
/usr/lib/wine/wine --version >/dev/null 2>&1 && arch=x86
rm -rf "build/native/screenshots/$arch"
ctest --preset native -R "e2e_${arch}_(first_start|save_on_exit|about_dialog)\$"
mkdir -p docs/screenshots
for shot in window tray-menu about; do
    cp "build/native/screenshots/$arch/$shot.png" docs/screenshots/
done
echo "Screenshots of the $arch build in docs/screenshots/"
