#!/bin/bash
# Fixture clean-up: cleanup_scratch.sh SCRATCH_DIR. Removes the template prefix once every
# case is over, and the prefix of any case that could not clean up after itself (killed at
# its timeout, say), keeping its logs and its folders on C: as a failed case keeps them.
. "$(dirname "$0")/lib.sh"
scratch=$(realpath -m "$1")
for prefix in "$scratch"/*/prefix; do
    [ -d "$prefix" ] || continue
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    KV_DIR=$(dirname "$prefix")
    echo "a case left its prefix: $KV_DIR"
    kv_keep_evidence
done
rm -rf "$scratch/template-prefix"
