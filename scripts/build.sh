#!/usr/bin/env bash
# Builds kelvarion.exe twice (mingw-w64: 32-bit, the product, and 64-bit) and the
# native unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in mingw-i686 mingw-x86_64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
cmake --preset native >/dev/null
cmake --build --preset native
