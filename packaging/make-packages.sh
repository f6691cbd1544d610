#!/usr/bin/env bash
# Writes the two Windows release files from built executables:
#   OUT/PopyonnEngine-<version>-win64.zip   the portable folder, unzipped anywhere writable
#   OUT/PopyonnEngine-<version>-setup.exe   the per-user installer (NSIS)
#
# The same commit gives the same zip, byte for byte: the executables are stripped without a
# time stamp, every file carries the commit's time (SOURCE_DATE_EPOCH when set), the files
# go in a fixed order, and the zip stores no extra attributes and no directory entries.
#
# Usage: packaging/make-packages.sh --version X.Y.Z --bin DIR --out DIR
set -euo pipefail
export LC_ALL=C TZ=UTC

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
readonly kFolder=PopyonnEngine
# The release's files, in the order the zip holds them.
readonly kExecutables=(PopyonnTray.exe PopyonnEngine.exe popyctl.exe)
readonly kDocuments=(README.txt rules-example.toml)
# 1980-01-01, the earliest time a zip entry can hold.
readonly kZipEpoch=315532800

die() {
    echo "make-packages: $*" >&2
    exit 1
}

usage() {
    echo "usage: $0 --version X.Y.Z --bin DIR --out DIR" >&2
    exit 2
}

source_epoch() {
    local epoch=${SOURCE_DATE_EPOCH:-}
    if [[ -z "$epoch" ]]; then
        epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null) || epoch=""
    fi
    if [[ -z "$epoch" ]]; then
        echo "make-packages: no commit to take the time from; files get $kZipEpoch" >&2
        epoch=$kZipEpoch
    fi
    [[ "$epoch" =~ ^[0-9]+$ ]] || die "SOURCE_DATE_EPOCH '$epoch' is not a number of seconds"
    ((epoch >= kZipEpoch)) || epoch=$kZipEpoch
    # A zip tells time in steps of two seconds and rounds an odd one up; an even one stays
    # the same time in the zip, the installer and the installed files.
    echo $((epoch / 2 * 2))
}

# Text for Notepad: CR LF line ends and the version filled in. A placeholder left over
# would ship as it is, so it stops the build instead.
stage_text() {
    local from=$1 to=$2
    sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$from" >"$to"
    if grep -qE '@[A-Z_]+@' "$to"; then
        die "$from holds a placeholder that nothing fills in"
    fi
}

stage_files() {
    local dir=$1 exe doc
    mkdir -p "$dir"
    for exe in "${kExecutables[@]}"; do
        [[ -f "$bin/$exe" ]] || die "$bin/$exe is missing; build the Windows tree first"
        # strip stamps the current time into the PE header unless told the epoch.
        SOURCE_DATE_EPOCH=$epoch x86_64-w64-mingw32-strip --strip-all -o "$dir/$exe" "$bin/$exe"
    done
    for doc in "${kDocuments[@]}"; do
        stage_text "$here/$doc" "$dir/$doc"
    done
    chmod 0755 "$dir"
    for exe in "${kExecutables[@]}"; do
        chmod 0755 "$dir/$exe"
    done
    for doc in "${kDocuments[@]}"; do
        chmod 0644 "$dir/$doc"
    done
    find "$dir" -exec touch -h -d "@$epoch" {} +
}

write_zip() {
    local zip=$1 entries=() name
    for name in "${kExecutables[@]}" "${kDocuments[@]}"; do
        entries+=("$kFolder/$name")
    done
    rm -f -- "$zip"
    (cd "$stage" && zip -q -X -D -9 "$zip" "${entries[@]}")
}

write_installer() {
    local setup=$1
    rm -f -- "$setup"
    makensis -V2 -WX -INPUTCHARSET UTF8 \
        "-DVERSION=$version" "-DSTAGE=$stage/$kFolder" \
        "-DICON=$root/settings/PopyonnEngine.ico" "-DOUTFILE=$setup" \
        "$here/installer.nsi" >&2
}

version="" bin="" out=""
while (($#)); do
    case $1 in
        --version) version=${2:-} ;;
        --bin) bin=${2:-} ;;
        --out) out=${2:-} ;;
        *) usage ;;
    esac
    shift 2 || usage
done
[[ -n "$version" && -n "$bin" && -n "$out" ]] || usage
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "version '$version' is not X.Y.Z"
for tool in x86_64-w64-mingw32-strip zip makensis; do
    command -v "$tool" >/dev/null || die "$tool is missing (see scripts/lib/deps.sh)"
done

bin=$(realpath -- "$bin")
mkdir -p -- "$out"
out=$(realpath -- "$out")
epoch=$(source_epoch)
stage=$(mktemp -d "${TMPDIR:-/tmp}/popyo-package.XXXXXX")
trap 'rm -rf -- "$stage"' EXIT
umask 022

stage_files "$stage/$kFolder"
zip="$out/PopyonnEngine-$version-win64.zip"
setup="$out/PopyonnEngine-$version-setup.exe"
# Written beside their final names and renamed into place: never a half-written package.
write_zip "$out/.partial.zip"
write_installer "$out/.partial-setup.exe"
mv -f -- "$out/.partial.zip" "$zip"
mv -f -- "$out/.partial-setup.exe" "$setup"
(cd "$out" && sha256sum -- "$(basename "$zip")" "$(basename "$setup")")
