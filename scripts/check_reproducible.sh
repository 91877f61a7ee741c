#!/usr/bin/env bash
# Checks that a release is reproducible to the byte: clones the commit checked out into two
# folders of different names, runs scripts/release.sh in each (the second with another time
# zone and umask, and later on the clock), and compares every file of the two dist/ folders.
# Uncommitted changes are not part of it: the release is made from the commit alone.
#
#   scripts/check_reproducible.sh
#
# Exits 0 when both dist/ folders are identical, 1 when they differ or a release fails. The
# scratch folder is removed on success and kept, with both dist/ folders, on failure.
set -euo pipefail
REPO=$(cd "$(dirname "$0")/.." && pwd)
COMMIT=$(git -C "$REPO" rev-parse HEAD)
START=$SECONDS
export LC_ALL=C

say() { echo "check_reproducible: $*"; }

[ -z "$(git -C "$REPO" status --porcelain)" ] ||
    say "note: uncommitted changes in $REPO are not checked, only commit $COMMIT"

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/kv-repro.XXXXXX")
FIRST=$SCRATCH/first
SECOND=$SCRATCH/the-second-checkout,with-a-longer-name
trap 'say "left $SCRATCH for a look"' EXIT

# The second build differs from the first in what must not matter: the time zone (an offset
# of 5:45 or 3:30 that no one lives at by default), the umask, and the folder's name and
# length; it also runs a minute or two later.
TZ1=${TZ:-}
UMASK1=$(umask)
if [ "$(date +%z)" = "+0545" ]; then TZ2="KVT+3:30"; else TZ2="KVT-5:45"; fi
if [ "$UMASK1" = "0077" ]; then UMASK2=0002; else UMASK2=0077; fi

release_in() {
    local dir=$1
    git clone -q --no-checkout "$REPO" "$dir"
    git -C "$dir" checkout -q --detach "$COMMIT" 2>/dev/null ||
        { git -C "$dir" fetch -q "$REPO" "$COMMIT" && git -C "$dir" checkout -q --detach "$COMMIT"; }
    "$dir/scripts/release.sh" >"$dir.log" 2>&1 || {
        say "the release in $dir failed:"
        tail -n 30 "$dir.log"
        exit 1
    }
}

say "commit $COMMIT"
say "first build in $FIRST (TZ=${TZ1:-unset}, umask $UMASK1)"
release_in "$FIRST"
say "second build in $SECOND (TZ=$TZ2, umask $UMASK2)"
(
    export TZ=$TZ2
    umask "$UMASK2"
    release_in "$SECOND"
)

names_first=$(cd "$FIRST/dist" && find . -type f | sort)
names_second=$(cd "$SECOND/dist" && find . -type f | sort)
if [ "$names_first" != "$names_second" ]; then
    say "FAILED: the two dist/ folders hold different files:"
    diff <(echo "$names_first") <(echo "$names_second") || true
    exit 1
fi
differ=0
while read -r name; do
    if cmp -s "$FIRST/dist/$name" "$SECOND/dist/$name"; then
        say "same bytes: ${name#./} ($(stat -c %s "$FIRST/dist/$name") bytes)"
    else
        say "DIFFERENT:  ${name#./}: $(stat -c %s "$FIRST/dist/$name") and $(stat -c %s "$SECOND/dist/$name") bytes," \
            "$(cmp -l "$FIRST/dist/$name" "$SECOND/dist/$name" 2>/dev/null | wc -l) differ," \
            "the first at byte $(cmp "$FIRST/dist/$name" "$SECOND/dist/$name" | awk '{ print $5 }' | tr -d ,)"
        differ=$((differ + 1))
    fi
done <<<"$names_first"
[ "$(echo "$names_first" | wc -l)" -ge 6 ] || { say "FAILED: dist/ holds too few files"; exit 1; }
if [ "$differ" -ne 0 ]; then
    say "FAILED: $differ of $(echo "$names_first" | wc -l) files differ ($((SECONDS - START)) s)"
    exit 1
fi
trap - EXIT
rm -rf "$SCRATCH"
say "passed: $(echo "$names_first" | wc -l) files identical to the byte ($((SECONDS - START)) s)"
