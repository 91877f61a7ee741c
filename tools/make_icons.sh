#!/usr/bin/env bash
# make_icons.sh [--check]: turns the pixel art (resources/icons/ICON-SIZE.xpm, one XPM a
# drawn size, which any image editor opens) into what the exe embeds, in
# resources/icons/generated: each size as a 32-bit PNG, the 256 px one scaled smoothly from
# the 64 px art; each icon's group directory (RT_GROUP_ICON), and icons.rc, which lists
# both for resources/kelvarion.rc. Run it after changing the art, and commit what it writes.
#
# --check writes nothing: it fails, naming each file, unless the committed PNGs hold the
# art's pixels and the directories and icons.rc are what it would write. Pixels, not bytes:
# another ImageMagick may compress differently, and the committed bytes are what builds
# embed, so that a build stays the same to the byte.
set -euo pipefail
cd "$(dirname "$0")/.."

art=resources/icons
out=$art/generated
# Debian's ImageMagick by its full path: a convert earlier on PATH may be something else.
convert=/usr/bin/convert
compare=/usr/bin/compare
# Resources 1 and 102. The waiting icon (101) is the application's bolt: its directory
# names the application's images, which are stored once.
icons=(app running)
sizes=(16 20 24 32 40 48 64 256)

# image ICON SIZE FILE: without -strip ImageMagick writes dates, without PNG32: a palette
# image; -filter Triangle is the smooth scale the 256 px images have always had.
image() {
    if [ "$2" = 256 ]; then
        "$convert" "$art/$1-64.xpm" -filter Triangle -resize 256x256 -strip "PNG32:$3"
    else
        "$convert" "$art/$1-$2.xpm" -strip "PNG32:$3"
    fi
}

# Little-endian words for the directories.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)) && le16 $(($1 >> 16)); }

# directories DIR: each icon's directory of the committed PNGs, and icons.rc, into DIR.
directories() {
    local dir=$1 id=0 icon size
    {
        echo "// Made by tools/make_icons.sh from the pixel art in resources/icons: do not edit."
        echo "// Each distinct image once, as type 3 (RT_ICON), a PNG; then each icon's directory"
        echo "// of its sizes, type 14 (RT_GROUP_ICON), which names its images by these ids. The"
        echo "// ICON statement would store an image again for every icon that shows it."
        for icon in "${icons[@]}"; do
            {
                le16 0 && le16 1 && le16 ${#sizes[@]}
                for size in "${sizes[@]}"; do
                    id=$((id + 1))
                    echo "$id 3 \"$out/$icon-$size.png\"" >&3
                    # width, height (0 for 256), no palette, planes 1, 32 bits, bytes, id
                    le16 $((size & 255 | (size & 255) << 8)) && le16 0 && le16 1 && le16 32
                    le32 "$(stat -c %s "$out/$icon-$size.png")" && le16 $id
                done
            } >"$dir/$icon.group"
        done 3>&1
        echo "1 14 \"$out/app.group\""
        echo "101 14 \"$out/waiting.group\""
        echo "102 14 \"$out/running.group\""
    } >"$dir/icons.rc"
    cp "$dir/app.group" "$dir/waiting.group"
}

if [ "${1:-}" != --check ]; then
    for icon in "${icons[@]}"; do
        for size in "${sizes[@]}"; do
            image "$icon" "$size" "$out/$icon-$size.png"
        done
    done
    optipng -quiet -zc9 -zm8-9 -zs0-3 -f0-5 -nx "$out"/*.png
    directories "$out"
    exit 0
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
problems=0
for icon in "${icons[@]}"; do
    for size in "${sizes[@]}"; do
        image "$icon" "$size" "$scratch/art.png"
        differ=$("$compare" -metric AE "$out/$icon-$size.png" "$scratch/art.png" null: 2>&1) || true
        if [ "$differ" != 0 ]; then
            echo "$out/$icon-$size.png: $differ pixels differ from the art: run tools/make_icons.sh" >&2
            problems=$((problems + 1))
        fi
    done
done
directories "$scratch"
for file in app.group waiting.group running.group icons.rc; do
    if ! cmp -s "$scratch/$file" "$out/$file"; then
        echo "$out/$file is not what tools/make_icons.sh writes: run it" >&2
        problems=$((problems + 1))
    fi
done
[ $problems -eq 0 ] || exit 1
echo "the committed icons hold the art: ${#icons[@]} icons at ${#sizes[@]} sizes, their directories and icons.rc"
