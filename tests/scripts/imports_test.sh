#!/usr/bin/env bash
# The shipped programs import only DLLs that Windows never looks for in a program's folder:
# its known DLLs, API sets, and comctl32 where the program's manifest asks for common
# controls 6, which come from the side-by-side store. Any other import is looked for first
# beside the executable, in a folder every program of the user may write to, and a DLL
# planted there would run inside the program. Each program also imports
# SetDefaultDllDirectories, which it calls first thing to keep its later loads to the system
# folder.
#
# Usage: tests/scripts/imports_test.sh PROGRAM.exe...   (OBJDUMP names the PE objdump)
set -uo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# The KnownDLLs of Windows 10 and 11 that a desktop program may import, and ntdll, which every
# process holds before its first import is resolved.
readonly kKnownDlls=" advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp
    imm32 kernel32 msctf msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost
    setupapi shcore shell32 shlwapi user32 wldap32 ws2_32 "

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Whether a program may import the DLL: $1 its name in any letter case, $2 "cc6" when the
# program's manifest asks for common controls 6.
allowed() {
    local dll=${1,,} manifest=$2
    [[ $dll == *.dll ]] || return 1
    dll=${dll%.dll}
    [[ $kKnownDlls == *" $dll "* ]] && return 0
    [[ $dll == api-ms-win-* || $dll == ext-ms-win-* ]] && return 0
    [[ $dll == comctl32 && $manifest == cc6 ]]
}

# The judge itself, on names whose answer is known: a judge that lets everything through
# would pass every program.
# dll | manifest | allowed?
cases=(
    "KERNEL32.dll||yes"
    "msvcrt.dll||yes"
    "api-ms-win-core-synch-l1-2-0.dll||yes"
    "COMCTL32.dll|cc6|yes"
    "COMCTL32.dll||no"
    "WINMM.dll|cc6|no"
    "dwmapi.dll||no"
    "version.dll||no"
    "uxtheme.dll||no"
    "kernel32||no"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r dll manifest want <<<"$entry"
    got=no
    allowed "$dll" "$manifest" && got=yes
    [[ $got == "$want" ]] || fail "the judge says $got to $dll (manifest '$manifest')"
done

(($# > 0)) || fail "no program named"
for exe in "$@"; do
    name=$(basename "$exe")
    if ! dump=$("$objdump" -p "$exe"); then
        fail "$name: $objdump cannot read it"
        continue
    fi
    manifest=""
    grep -aq 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$exe" && manifest=cc6
    mapfile -t dlls < <(awk '/^[ \t]*DLL Name:/ { print $3 }' <<<"$dump")
    # An objdump whose listing this reads wrong would find nothing and pass anything.
    ((${#dlls[@]} > 0)) || fail "$name: no import found in objdump's listing"
    for dll in "${dlls[@]}"; do
        allowed "$dll" "$manifest" || fail "$name imports $dll, which Windows looks for beside it"
    done
    # objdump lists no delay-loaded imports: a program must have none for this check to see
    # every DLL it loads at start.
    if grep -Eq '^Entry d [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Delay Import Directory' <<<"$dump"; then
        fail "$name has delay-loaded imports, which this check cannot read"
    fi
    grep -Eq '^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+SetDefaultDllDirectories$' <<<"$dump" ||
        fail "$name does not call SetDefaultDllDirectories"
    echo "$name: ${dlls[*]}"
done

((failures == 0)) || exit 1
echo "every program imports only known DLLs, API sets and comctl32 through its manifest"
