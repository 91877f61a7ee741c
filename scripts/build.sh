#!/usr/bin/env bash
# Builds kelvarion.exe (mingw-w64, 32-bit) and the native unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686
cmake --preset native >/dev/null
cmake --build --preset native
