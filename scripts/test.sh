#!/usr/bin/env bash
# Installs, builds and runs every test: native unit tests and the
# end-to-end tests of the real kelvarion.exe under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --preset native -j2 --timeout 300
