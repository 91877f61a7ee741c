#!/bin/bash
# Fixture: makes the template Wine prefix that every case copies.
. "$(dirname "$0")/lib.sh"
kv_init "$@"
kv_start_xvfb
kv_make_template
kv_log "template prefix ready: $KV_TEMPLATE ($(du -sh "$KV_TEMPLATE" | cut -f1))"
