#!/usr/bin/env bash
# Installs, builds and runs every test: native unit tests, sanitizer runs and fuzzers, and
# the end-to-end tests of each kelvarion.exe this machine can run, under Wine on virtual
# displays. KV_E2E_ARCHES=x64 (or x86, or x86,x64) forces which builds' end-to-end tests run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
(
    . tests/e2e/lib.sh
    for arch in x86 x64; do
        if why=$(kv_arch_unavailable "$arch"); then
            echo "End-to-end tests of the $arch build: skipped: $why"
        else
            echo "End-to-end tests of the $arch build: run ($(kv_arch_loader "$arch"))"
        fi
    done
)
ctest --preset native -j2 --timeout 300
