#!/usr/bin/env bash
# Makes the release of the commit checked out, in dist/: both builds of kelvarion.exe made
# from scratch, each zipped with a README for Windows users and also loose, BUILDINFO.txt and
# SHA256SUMS. The same commit gives the same bytes in any folder, at any time, for any user,
# on Debian 12 with the packages BUILDINFO.txt names.
#
#   scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
REPO=$(pwd)
DIST=$REPO/dist
export LC_ALL=C
# Nothing of the caller's reaches the compilers or zip (which reads ZIPOPT).
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS RCFLAGS ZIPOPT ZIP

say() { echo "release: $*"; }
die() { echo "release: $*" >&2; exit 1; }

[ -z "$(git status --porcelain)" ] ||
    die "the checkout has changes; a release is made from a commit alone (git status)"
scripts/setup.sh

VERSION=$(sed -n 's/^#define KV_VERSION_TEXT "\(.*\)"$/\1/p' resources/version.h)
[[ $VERSION =~ ^[0-9][0-9.]*$ ]] || die "no KV_VERSION_TEXT in resources/version.h"
COMMIT=$(git rev-parse HEAD)
# The linker writes it as the PE time stamp (and the checksum over it); the zips take it as
# their entries' time.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelvarion-release.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# --- checks on a built exe -------------------------------------------------------

u32_at() { od -An -v --endian=little -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

# The PE checksum: 16-bit words summed with the carry folded back, the checksum field left
# out, plus the file's length.
pe_checksum() {
    od -An -v --endian=little -tu2 "$1" | awk -v skip=$(($2 / 2)) -v size="$(stat -c %s "$1")" '
        { for (i = 1; i <= NF; i++) {
              if (n != skip && n != skip + 1) { s += $i; s = s % 65536 + int(s / 65536) }
              n++ } }
        END { s = s % 65536 + int(s / 65536); print s + size }'
}

check_exe() {
    local exe=$1 pe stamp sum_at stored computed text leaks
    pe=$(u32_at "$exe" 60)
    stamp=$(u32_at "$exe" $((pe + 8)))
    [ "$stamp" = "$SOURCE_DATE_EPOCH" ] ||
        die "$exe: PE time stamp $stamp, not the commit's time $SOURCE_DATE_EPOCH"
    # The same offset in the 32- and the 64-bit optional header.
    sum_at=$((pe + 24 + 64))
    stored=$(u32_at "$exe" "$sum_at")
    computed=$(pe_checksum "$exe" "$sum_at")
    [ "$stored" = "$computed" ] || die "$exe: PE checksum $stored, but its bytes give $computed"
    text=$(strings -a -n 5 "$exe"; strings -a -n 5 -el "$exe")
    leaks=$(grep -F -e "$REPO" -e "$(basename "$WORK")" <<<"$text";
        grep -E '(^|[^[:alnum:]_.])/(tmp|home|root|usr|work|build|var|opt|srv|mnt)/' <<<"$text") || true
    [ -z "$leaks" ] || die "$exe holds a path of the machine that built it: $leaks"
}

# --- build ---------------------------------------------------------------------

declare -A PRESET=([x86]=mingw-i686 [x64]=mingw-x86_64)
declare -A CROSS=([x86]=i686-w64-mingw32 [x64]=x86_64-w64-mingw32)
declare -A BUILD_NAME=([x86]="32-bit build (x86)" [x64]="64-bit build (x64)")
ARCHES=(x86 x64)

for arch in "${ARCHES[@]}"; do
    say "building the $arch exe ($(git rev-parse --short HEAD), ${PRESET[$arch]} preset) in $WORK/$arch"
    log=$WORK/build-$arch.log
    { cmake --preset "${PRESET[$arch]}" -B "$WORK/$arch" &&
        cmake --build "$WORK/$arch" --target kelvarion --parallel "$(nproc)"; } >"$log" 2>&1 ||
        die "the $arch build failed: $(tail -n 30 "$log")"
    check_exe "$WORK/$arch/kelvarion.exe"
done

# --- dist/ -----------------------------------------------------------------------

rm -rf "$DIST"
mkdir -p "$DIST"
NAMES=()
for arch in "${ARCHES[@]}"; do
    stage=$WORK/stage-$arch
    mkdir -p "$stage"
    cp "$WORK/$arch/kelvarion.exe" "$stage/kelvarion.exe"
    sed -e "s/@VERSION@/$VERSION/g" -e "s/@BUILD@/${BUILD_NAME[$arch]}/g" -e 's/$/\r/' \
        resources/README-windows.txt >"$stage/README.txt"
    # Modes and times are stored in the zip: fixed ones, whatever the umask and the clock.
    chmod 0644 "$stage"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
    zip_name=kelvarion-$VERSION-$arch.zip
    # In this order, DOS times in UTC, no extra fields (uid, gid, Unix times), no folders.
    (cd "$stage" && TZ=UTC zip -q -X -D -9 "$DIST/$zip_name" kelvarion.exe README.txt)
    cp "$stage/kelvarion.exe" "$DIST/kelvarion-$VERSION-$arch.exe"
    NAMES+=("$zip_name" "kelvarion-$VERSION-$arch.exe")
done

# The packages that own the compilers, linkers, libraries, headers and tools used.
packages_used() {
    local arch cross tool lib f files=()
    for arch in "${ARCHES[@]}"; do
        cross=${CROSS[$arch]}
        files+=("$(command -v "$cross-g++")" "$(command -v "$cross-windres")")
        for tool in cc1plus lto1 lto-wrapper as ld; do
            files+=("$("$cross-g++" -print-prog-name="$tool")")
        done
        for lib in libstdc++.a libgcc.a libmsvcrt.a crt2.o; do
            files+=("$("$cross-g++" -print-file-name="$lib")")
        done
        files+=("$(echo '#include <windows.h>' | "$cross-g++" -x c++ -E -H - 2>&1 >/dev/null |
            sed -n 's/^\. //p' | head -n1)")
    done
    files+=("$(command -v zip)" "$(command -v cmake)" "$(command -v ninja)")
    for f in "${files[@]}"; do
        dpkg-query -S "$(readlink -f "$f")" 2>/dev/null | sed -n 's/: \/.*//p' | head -n1
    done | sort -u
}

PACKAGES=$(packages_used)
for needed in binutils-mingw-w64 g++-mingw-w64 gcc-mingw-w64 mingw-w64-common zip; do
    grep -q "^$needed" <<<"$PACKAGES" || die "could not tell which $needed package built this"
done

{
    echo "Kelvarion $VERSION"
    echo
    echo "commit     $COMMIT"
    echo "committed  $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC') (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
    echo "built on   $(sed -n 's/^PRETTY_NAME="*\([^"]*\)"*$/\1/p' /etc/os-release)"
    for arch in "${ARCHES[@]}"; do
        cross=${CROSS[$arch]}
        echo "compiler   $cross-g++ is $(readlink -f "$(command -v "$cross-g++")")"
    done
    echo
    echo "Debian packages of the toolchain:"
    while read -r package; do
        printf '  %-40s %s\n' "$package" "$(dpkg-query -W -f='${Version}' "$package")"
    done <<<"$PACKAGES"
    echo
    echo "To make the same bytes again, on Debian 12 with these package versions:"
    echo "  git clone <the repository> kelvarion && cd kelvarion"
    echo "  git checkout $COMMIT"
    echo "  scripts/release.sh"
    echo "  cd dist && sha256sum -c /path/to/the/published/SHA256SUMS"
} >"$DIST/BUILDINFO.txt"

(cd "$DIST" && sha256sum "${NAMES[@]}" >SHA256SUMS)
chmod 0644 "$DIST"/*
say "dist/ holds, for $COMMIT:"
(cd "$DIST" && stat -c '  %s bytes  %n' ./* && sed 's/^/  /' SHA256SUMS)
