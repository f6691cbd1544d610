#!/usr/bin/env bash
# Cross-compiles a static libjpeg for x86_64-w64-mingw32 into OUTDIR, from Debian's own
# libjpeg-turbo source package, so the Windows build decodes with the same library the
# native build links. Built once: when OUTDIR/lib/libjpeg.a exists, nothing is done.
#
# The source comes through apt, from entries derived from this machine's own apt
# configuration (each binary entry turned into a source entry). apt runs on private
# lists, caches and source files, so the machine's apt state is left as it was.
#
# A build made before on this machine, from the same source version by the same script and
# compiler, is copied from the cache (POPYO_CACHE_DIR, or else ~/.cache/popyonn) instead:
# a second, where fetching and building take fifteen or more. The version is that of the
# native libjpeg62-turbo-dev, whose source is fetched.
#
# Usage: scripts/lib/libjpeg-mingw.sh OUTDIR
set -euo pipefail

usage() {
    echo "usage: $0 OUTDIR" >&2
    exit 2
}

die() {
    echo "libjpeg-mingw: $*" >&2
    exit 1
}

log() {
    echo "libjpeg-mingw: $*" >&2
}

[[ $# -eq 1 ]] || usage
outdir=$(realpath -m -- "$1")
repo=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
apt_etc=/etc/apt
version=""          # the native libjpeg62-turbo-dev's version, or empty
fetched_version=""  # the version of the source fetched

if [[ -f "$outdir/lib/libjpeg.a" ]]; then
    exit 0
fi

require_tools() {
    local missing=() pair tool pkg
    for pair in apt-get:apt dpkg-source:dpkg-dev cmake:cmake make:make \
        x86_64-w64-mingw32-gcc:gcc-mingw-w64-x86-64 flock:util-linux; do
        tool=${pair%%:*}
        pkg=${pair#*:}
        command -v "$tool" >/dev/null || missing+=("$pkg")
    done
    [[ -f "$toolchain" ]] || die "toolchain file $toolchain is missing"
    if ((${#missing[@]})); then
        die "missing tools; install the Debian packages: ${missing[*]}"
    fi
}

# One-line entries: every "deb" line becomes "deb-src"; existing "deb-src" lines stay.
derive_one_line() {
    awk '
        { sub(/^[ \t]+/, "") }
        /^deb[ \t]/ { sub(/^deb/, "deb-src"); print; next }
        /^deb-src[ \t]/ { print }
    ' "$@" | sort -u
}

# deb822 stanzas: the Types field gains deb-src in place of deb; all other fields,
# including Enabled and Signed-By, stay as they are.
derive_deb822() {
    awk '
        FNR == 1 && NR > 1 { print "" }
        tolower($0) ~ /^types:/ {
            n = split(substr($0, 7), t, /[ \t]+/)
            out = ""
            for (i = 1; i <= n; i++) {
                if (t[i] == "deb") t[i] = "deb-src"
                if (t[i] != "" && index(" " out " ", " " t[i] " ") == 0) out = out " " t[i]
            }
            print "Types:" out
            next
        }
        { print }
    ' "$@"
}

# Writes the private source list and parts directory under $1. Only files apt itself
# reads count: sources.list, and *.list / *.sources in sources.list.d; renamed
# (disabled) files are skipped, as apt skips them.
write_private_sources() {
    local dir=$1 lists=() sources=() f
    mkdir -p "$dir/sources.list.d"
    [[ -f "$apt_etc/sources.list" ]] && lists+=("$apt_etc/sources.list")
    for f in "$apt_etc"/sources.list.d/*.list; do
        [[ -f "$f" ]] && lists+=("$f")
    done
    for f in "$apt_etc"/sources.list.d/*.sources; do
        [[ -f "$f" ]] && sources+=("$f")
    done
    : >"$dir/sources.list"
    if ((${#lists[@]})); then
        derive_one_line "${lists[@]}" >"$dir/sources.list"
    fi
    if ((${#sources[@]})); then
        derive_deb822 "${sources[@]}" >"$dir/sources.list.d/derived.sources"
    fi
    if ! [[ -s "$dir/sources.list" || -s "$dir/sources.list.d/derived.sources" ]]; then
        die "no apt entries found under $apt_etc to derive a source entry from"
    fi
}

fetch_source() {
    local work=$1 aptdir=$1/apt
    write_private_sources "$aptdir"
    mkdir -p "$aptdir/lists/partial" "$aptdir/cache/archives/partial" "$work/src"
    local apt_opts=(
        -o "Dir::Etc::SourceList=$aptdir/sources.list"
        -o "Dir::Etc::SourceParts=$aptdir/sources.list.d"
        -o "Dir::State::Lists=$aptdir/lists"
        -o "Dir::Cache=$aptdir/cache"
        -o "Dir::Cache::archives=$aptdir/cache/archives"
        -o "Acquire::Languages=none"
    )
    # apt downloads as its unprivileged _apt user when run as root; it needs to reach
    # the private directories to do so.
    if [[ $EUID -eq 0 ]] && getent passwd _apt >/dev/null; then
        chmod 755 "$work"
        chown -R _apt "$aptdir/lists/partial" "$aptdir/cache/archives/partial" "$work/src"
    fi
    log "fetching the libjpeg-turbo source package"
    apt-get "${apt_opts[@]}" -q update
    # The native library's own version where the archive still has it, or else its newest.
    (cd "$work/src" &&
        { [[ -n "$version" ]] &&
            apt-get "${apt_opts[@]}" -q source --download-only "libjpeg-turbo=$version" ||
            apt-get "${apt_opts[@]}" -q source --download-only libjpeg-turbo; })
    local dsc
    dsc=$(find "$work/src" -maxdepth 1 -name 'libjpeg-turbo_*.dsc' | head -n 1)
    [[ -n "$dsc" ]] || die "apt fetched no libjpeg-turbo source package"
    fetched_version=$(sed -n 's/^Version: *//p' "$dsc" | head -n 1)
    dpkg-source -x "$dsc" "$work/tree"
}

# The cache entry of this source version, script and compiler; nothing when the native
# library is not installed.
cache_entry() {
    [[ -n "$version" ]] || return 0
    local key
    key=$({
        echo "$version"
        x86_64-w64-mingw32-gcc -dumpfullversion
        cat -- "${BASH_SOURCE[0]}" "$toolchain"
    } | sha256sum | cut -c1-16)
    echo "${POPYO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/popyonn}/libjpeg-mingw-$key"
}

# Keeps the build in the cache, when it is of the version the entry names. A cache that
# cannot be written costs only the next build's time.
store_in_cache() {
    local entry=$1
    [[ -n "$entry" && "$fetched_version" == "$version" && ! -e "$entry" ]] || return 0
    mkdir -p -- "$(dirname -- "$entry")" 2>/dev/null &&
        cp -a -- "$outdir" "$entry.partial.$$" 2>/dev/null &&
        mv -T -- "$entry.partial.$$" "$entry" 2>/dev/null &&
        log "kept in the cache $entry" || rm -rf -- "$entry.partial.$$"
}

build_and_install() {
    local work=$1 staging=$2
    log "building for x86_64-w64-mingw32"
    cmake -S "$work/tree" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
        -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF \
        -DCMAKE_INSTALL_PREFIX="$outdir"
    cmake --build "$work/build" -j "$(nproc)"
    cmake --install "$work/build" --prefix "$staging"
    [[ -f "$staging/lib/libjpeg.a" && -f "$staging/include/jpeglib.h" ]] ||
        die "the install left no lib/libjpeg.a and include/jpeglib.h"
}

main() {
    require_tools
    mkdir -p "$(dirname -- "$outdir")"
    # Two configures sharing one OUTDIR build it once.
    exec 9>"$outdir.lock"
    flock 9
    if [[ -f "$outdir/lib/libjpeg.a" ]]; then
        return 0
    fi

    version=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev 2>/dev/null || true)
    local entry
    entry=$(cache_entry)
    if [[ -n "$entry" && -f "$entry/lib/libjpeg.a" ]]; then
        rm -rf -- "$outdir.partial"
        cp -a -- "$entry" "$outdir.partial"
        rm -rf -- "$outdir"
        mv -T -- "$outdir.partial" "$outdir"
        log "copied $outdir from the cache $entry"
        return 0
    fi

    local work staging
    work=$(mktemp -d "${TMPDIR:-/tmp}/libjpeg-mingw.XXXXXX")
    staging="$outdir.partial"
    # shellcheck disable=SC2064  # the paths are fixed now
    trap "rm -rf -- '$work' '$staging'" EXIT
    rm -rf -- "$staging"

    fetch_source "$work"
    build_and_install "$work" "$staging"

    # The library appears only complete: an interrupted run leaves no libjpeg.a behind
    # that would pass for a finished one.
    rm -rf -- "$outdir"
    mv -- "$staging" "$outdir"
    log "installed $outdir/lib/libjpeg.a"
    store_in_cache "$entry"
}

main
