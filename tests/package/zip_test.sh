#!/usr/bin/env bash
# The portable zip holds exactly the release's files, in one folder, each with the commit's
# time; and packaging the same build again - another staging directory, another umask, a
# later time - gives the same zip and the same installer, byte for byte.
#
# Usage: zip_test.sh VERSION BIN_DIR PACKAGE_DIR WORK_DIR
#   PACKAGE_DIR holds the packages made by packaging/make-packages.sh from BIN_DIR.
set -euo pipefail
export LC_ALL=C TZ=UTC
version=$1 bin=$2 first=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
zip_name="PopyonnEngine-$version-win64.zip"
setup_name="PopyonnEngine-$version-setup.exe"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expected=(
    PopyonnEngine/PopyonnTray.exe
    PopyonnEngine/PopyonnEngine.exe
    PopyonnEngine/popyctl.exe
    PopyonnEngine/README.txt
    PopyonnEngine/rules-example.toml
)

zip="$first/$zip_name"
[[ -f "$zip" ]] || { echo "FAIL: no $zip" >&2; exit 1; }
unzip -tq "$zip" >/dev/null || fail "the zip does not test clean"

mapfile -t listed < <(unzip -Z1 "$zip")
if [[ "${listed[*]}" != "${expected[*]}" ]]; then
    fail "the zip holds: ${listed[*]}; expected: ${expected[*]}"
fi

# Every entry carries the time of the commit, to the two seconds a zip can tell.
epoch=$(git -C "$root" log -1 --format=%ct)
want_time=$(date -u -d "@$((epoch / 2 * 2))" +%Y%m%d.%H%M%S)
while read -r stamp name; do
    [[ "$stamp" == "$want_time" ]] || fail "$name is stamped $stamp, not $want_time"
done < <(unzip -Z -T "$zip" | awk '$1 ~ /^[-d]/ { print $7, $8 }')

# Text for Notepad: CR LF line ends, the version filled in.
readme=$(unzip -p "$zip" PopyonnEngine/README.txt)
grep -q "^PopyonnEngine $version"$'\r'"\$" <<<"$readme" || fail "README.txt lacks its version line"
if grep -q $'[^\r]$' <<<"$readme"; then
    fail "README.txt has a line without CR LF"
fi

rm -rf -- "$work"
mkdir -p "$work/tmp"
(umask 077 && TMPDIR="$work/tmp" bash "$root/packaging/make-packages.sh" \
    --version "$version" --bin "$bin" --out "$work/second" >/dev/null)
cmp -- "$zip" "$work/second/$zip_name" || fail "a second build of the zip differs"
cmp -- "$first/$setup_name" "$work/second/$setup_name" ||
    fail "a second build of the installer differs"

if ((failures)); then
    exit 1
fi
echo "zip: ${#listed[@]} files, $(stat -c %s "$zip") bytes; both packages built twice alike"
