#!/usr/bin/env bash
# Runs the packages' Wine test in a throw-away Wine environment of its own (a prefix where
# nothing was ever installed), with the portable zip unzipped into a fresh folder.
# winemenubuilder stays off: the installer's shortcut would otherwise become a menu entry of
# the machine running the tests.
#
# Usage: installer_test.sh VERSION PACKAGE_DIR TEST_EXE [GTEST_ARG...]
set -euo pipefail
version=$1 packages=$2 test_exe=$3
shift 3
root=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/popyo-portable.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
unzip -q "$packages/PopyonnEngine-$version-win64.zip" -d "$work"

# Wine sees the Unix root as drive Z:.
windows_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

"$root/scripts/with-wine" env \
    "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d" \
    "POPYO_PACKAGE_DIR=$(windows_path "$packages")" \
    "POPYO_PORTABLE_DIR=$(windows_path "$work/PopyonnEngine")" \
    wine "$test_exe" --gtest_color=no "$@"
