#!/usr/bin/env bash
# check_exe.sh EXE x86|x64 SOURCE_DIR: fails, naming each problem, when a built kelvarion.exe
# does not declare and embed what every build must: its headers and imports (objdump), its
# manifest (xmllint), its version block (windres) and its icons, byte for byte the files
# tools/make_icons.sh committed under SOURCE_DIR (wrestool). Needs no Windows and no Wine.
set -euo pipefail

exe=${1:-} arch=${2:-} src=${3:-}
case $arch in
x86) format=pei-i386 manifest_arch=x86 ;;
x64) format=pei-x86-64 manifest_arch=amd64 ;;
*) echo "usage: check_exe.sh EXE x86|x64 SOURCE_DIR" >&2; exit 2 ;;
esac
[ -r "$exe" ] || { echo "$exe: cannot be read (build the mingw presets first)" >&2; exit 1; }

problems=0
problem() {
    echo "$exe ($arch): $*" >&2
    problems=$((problems + 1))
}
# The 64-bit binutils read both widths.
headers=$(x86_64-w64-mingw32-objdump -p "$exe") || { problem "objdump cannot read it"; exit 1; }
resources=$(x86_64-w64-mingw32-windres -J coff -O rc -i "$exe") ||
    { problem "windres cannot read its resources"; exit 1; }

# --- headers: what the MSVC linker writes by default, so both toolchains make one program ---

got=$(sed -n 's/.*file format //p' <<<"$headers")
[ "$got" = "$format" ] || { problem "the file format is $got, not $format"; exit 1; }
field() { awk -v name="$1" '$1 == name { print $2; exit }' <<<"$headers"; }
got=$(sed -n 's/^Subsystem\s*//p' <<<"$headers" | tr -s '\t' ' ')
[ "$got" = "00000002 (Windows GUI)" ] || problem "the subsystem is $got, not 00000002 (Windows GUI)"
for part in OSystem:"operating system" Subsystem:subsystem; do
    got=$(field "Major${part%%:*}Version").$(field "Minor${part%%:*}Version")
    [ "$got" = 6.0 ] || problem "the ${part#*:} version is $got, not 6.0"
done
flags=$(awk '/^DllCharacteristics/ { on = 1; next } on && /^\t/ { print $1; next } { on = 0 }' <<<"$headers")
wanted=(TERMINAL_SERVICE_AWARE DYNAMIC_BASE NX_COMPAT)
[ "$arch" = x64 ] && wanted+=(HIGH_ENTROPY_VA)
for flag in "${wanted[@]}"; do
    grep -qx "$flag" <<<"$flags" || problem "the image is not marked $flag"
done

# Only DLLs every Windows since XP has in its system folder: there is no installer.
dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$headers")
[ -n "$dlls" ] || problem "objdump lists no imported DLL"
for dll in $dlls; do
    grep -qixF "$dll" "$src/tools/windows_dlls.txt" ||
        problem "it imports $dll, which is not in tools/windows_dlls.txt of the DLLs Windows ships"
done

# --- the manifest: Windows refuses to start a process that binds another architecture ---

manifest=$(wrestool -x --raw --type=24 --name=1 "$exe")
xpath() { xmllint --xpath "$1" - <<<"$manifest"; }
el() { echo "*[local-name()='$1']"; }
own="/$(el assembly)/$(el assemblyIdentity)"
controls="/$(el assembly)/$(el dependency)/$(el dependentAssembly)/$(el assemblyIdentity)"
controls+="[@name='Microsoft.Windows.Common-Controls']"
if [ -z "$manifest" ]; then
    problem "there is no manifest (resource 24, id 1)"
elif ! why=$(xmllint --noout - 2>&1 <<<"$manifest"); then
    problem "the manifest is not well-formed XML: $why"
elif [ "$(xpath "string(/$(el assembly)/@manifestVersion)")" != 1.0 ]; then
    problem "the manifest's root is not <assembly manifestVersion=\"1.0\">"
else
    for identity in "$own":"Kelvarion's assemblyIdentity" "$controls":"the Common-Controls dependency"; do
        what=${identity##*:} path=${identity%:*}
        if [ "$(xpath "count($path)")" = 0 ]; then
            problem "$what is missing from the manifest"
        elif ! got=$(xpath "string($path/@processorArchitecture)") || [ -z "$got" ]; then
            problem "$what names no processorArchitecture"
        elif [ "$got" != "$manifest_arch" ] && [ "$got" != "*" ]; then
            problem "$what says processorArchitecture=\"$got\" in an $manifest_arch image:" \
                "Windows would refuse to start it"
        fi
    done
fi

# --- the version block, as resources/version.h gives it ---

define() { sed -n "s/^#define $1 //p" "$src/resources/version.h"; }
version=$(awk '/^[0-9]+ VERSIONINFO$/ { on = 1 } on; on && /^END$/ { exit }' <<<"$resources")
[ -n "$version" ] || problem "there is no version block"
for entry in FILEVERSION:"$(define KV_VERSION_RC)" PRODUCTVERSION:"$(define KV_VERSION_RC)" \
    FileVersion:"$(define KV_VERSION_TEXT)" ProductVersion:"$(define KV_VERSION_TEXT)" \
    ProductName:"$(define KV_PRODUCT_NAME)" FileDescription:'"Kelvarion"' \
    OriginalFilename:'"kelvarion.exe"'; do
    key=${entry%%:*} want=${entry#*:}
    got=$(sed -n -e "s/^ $key //p" -e "s/^ *VALUE \"$key\", //p" <<<"$version")
    [ -z "$version" ] || [ "$got" = "$want" ] ||
        problem "the version block's $key is ${got:-missing}, not $want"
done

# --- the icons: each group as tools/make_icons.sh wrote it, each image once, byte for byte its PNG ---

sizes="16 20 24 32 40 48 64 256" # as tools/make_icons.sh makes them
declare -A image_bytes=() committed=() listed=() seen=()
while read -r id bytes; do
    image_bytes[$id]=$bytes
done < <(wrestool -l --type=3 "$exe" | sed -n 's/^--type=3 --name=\([0-9]*\) .*size=\([0-9]*\)\]$/\1 \2/p')
icons_rc=$src/resources/icons/generated/icons.rc
while read -r id file; do
    committed[$id]=$file
done < <(sed -n 's/^\([0-9]*\) 3 "\(.*\)"$/\1 \2/p' "$icons_rc")

# A group directory (GRPICONDIRENTRY): "size bits bytes id" for each entry.
entries() {
    od -An -v -tu1 | tr -s ' ' '\n' | awk 'NF { b[n++] = $1 } END {
        for (i = 6; i + 14 <= n; i += 14)
            print (b[i] ? b[i] : 256), b[i + 6] + 256 * b[i + 7],
                b[i + 8] + 256 * b[i + 9] + 65536 * (b[i + 10] + 256 * b[i + 11]),
                b[i + 12] + 256 * b[i + 13] }'
}
while read -r group file; do
    what="icon group $group"
    directory=$(wrestool -x --raw --type=14 --name="$group" "$exe" | entries)
    if [ -z "$directory" ]; then
        problem "$what is missing"
        continue
    fi
    got=$(cut -d' ' -f1 <<<"$directory" | paste -sd' ')
    [ "$got" = "$sizes" ] || problem "$what holds $got px, not $sizes"
    while read -r size bits bytes id; do
        listed[$id]=1
        [ "$bits" = 32 ] ||
            problem "$what's $size px image (icon $id) is said to have $bits bits a pixel, not 32"
        if [ -z "${image_bytes[$id]:-}" ]; then
            problem "$what lists icon $id, which is missing"
        elif [ "${image_bytes[$id]}" != "$bytes" ]; then
            problem "$what says icon $id has $bytes bytes; it has ${image_bytes[$id]}"
        fi
    done <<<"$directory"
    differ=$(paste -d: <(cat <<<"$directory") <(entries <"$src/$file") |
        awk -F: '$1 != $2 { printf "%s%s where the file has %s", s, $1, $2; s = "; " }')
    cmp -s <(wrestool -x --raw --type=14 --name="$group" "$exe") "$src/$file" ||
        problem "$what is not $file byte for byte (size bits bytes icon): ${differ:-in its header}"
done < <(sed -n 's/^\([0-9]*\) 14 "\(.*\)"$/\1 \2/p' "$icons_rc")

for id in $(printf '%s\n' "${!image_bytes[@]}" | sort -n); do
    [ -n "${listed[$id]:-}" ] || problem "icon $id is listed by no icon group"
    sum=$(wrestool -x --raw --type=3 --name="$id" "$exe" | sha256sum)
    [ -z "${seen[$sum]:-}" ] ||
        problem "icon $id holds the same image as icon ${seen[$sum]}: it should be stored once"
    seen[$sum]=$id
    if [ -z "${committed[$id]:-}" ]; then
        problem "icon $id is not one of the images resources/icons/generated/icons.rc embeds"
    elif ! cmp -s <(wrestool -x --raw --type=3 --name="$id" "$exe") "$src/${committed[$id]}"; then
        problem "icon $id is not ${committed[$id]} byte for byte: run tools/make_icons.sh and rebuild"
    fi
done

[ "$problems" -eq 0 ] || exit 1
echo "$exe ($arch): headers, imports ($(paste -sd' ' <<<"$dlls")), manifest, version block and" \
    "${#image_bytes[@]} icon images as every build must have them"
