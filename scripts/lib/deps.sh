# Sourced by the build, test, demo and package scripts: installs the Debian 12 packages that
# the native build, the Windows cross build, the Wine tests and the packages need, and only
# those that are missing. apt-get runs only when something is missing.
#
#   source scripts/lib/deps.sh
#   popyo_install_deps

popyo_deps=(
    cmake g++ make dpkg-dev
    googletest libgtest-dev libbenchmark-dev libjpeg62-turbo-dev libcli11-dev
    libtomlplusplus-dev
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64
    wine xvfb x11-utils xdotool imagemagick fonts-ipafont-gothic locales
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    nsis zip unzip
)

# Prints, one per line, the packages of popyo_deps that dpkg does not report as installed.
# One dpkg-query call for all of them: a call per package costs a tenth of a second each.
# dpkg-query exits non-zero as soon as one name is unknown to it, yet still lists the others;
# that status must not end the caller under `set -e` and `pipefail`, so it is set aside and
# the listing alone decides. A package removed with its configuration kept reads
# "config-files", not "installed", and counts as missing.
popyo_missing_deps() {
    local listing pkg
    listing=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${popyo_deps[@]}" \
        2>/dev/null) || true
    for pkg in "${popyo_deps[@]}"; do
        if ! grep -qxF -- "$pkg installed" <<<"$listing"; then
            echo "$pkg"
        fi
    done
    return 0
}

popyo_install_deps() {
    local listing
    listing=$(popyo_missing_deps) || {
        echo "deps: cannot tell which packages are installed (dpkg-query failed)" >&2
        return 1
    }
    local missing=()
    if [[ -n "$listing" ]]; then
        mapfile -t missing <<<"$listing"
    fi
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    echo "deps: installing ${missing[*]}" >&2
    local sudo=()
    if ((EUID != 0)); then
        if ! command -v sudo >/dev/null; then
            echo "deps: not root and no sudo; install as root: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    local status=0
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2 || status=$?
    if ((status == 0)); then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -q "${missing[@]}" >&2 || status=$?
    fi
    if ((status != 0)); then
        echo "deps: apt-get failed (status $status) installing: ${missing[*]}" >&2
        return 1
    fi
}
