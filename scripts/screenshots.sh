#!/usr/bin/env bash
# Makes the README's screenshots from the real program under Wine: runs the
# end-to-end cases that take them, then copies them to docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
rm -rf build/native/screenshots
ctest --preset native -R 'e2e_(window_layout|tray_menu_exit|about_dialog)$'
mkdir -p docs/screenshots
cp build/native/screenshots/window.png build/native/screenshots/tray-menu.png \
    build/native/screenshots/about.png docs/screenshots/
echo "Screenshots in docs/screenshots/"
