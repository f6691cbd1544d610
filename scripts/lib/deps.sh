# Sourced by the build and test scripts: installs the Debian 12 packages that the native
# build, the Windows cross build and the Wine tests need, and only those that are missing.
#
#   source scripts/lib/deps.sh
#   popyo_install_deps

popyo_deps=(
    cmake g++ make dpkg-dev
    googletest libgtest-dev libbenchmark-dev libjpeg62-turbo-dev libcli11-dev
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64
    wine xvfb x11-utils xdotool imagemagick fonts-ipafont-gothic
)

# Prints the packages of popyo_deps that dpkg does not report as installed. One dpkg call
# for all of them: a call per package costs a tenth of a second each.
popyo_missing_deps() {
    local installed
    installed=$(dpkg -s "${popyo_deps[@]}" 2>/dev/null | awk '
        /^Package:/ { pkg = $2 }
        /^Status:/ && $0 ~ / ok installed$/ { print pkg }
    ')
    local pkg
    for pkg in "${popyo_deps[@]}"; do
        if ! grep -qxF -- "$pkg" <<<"$installed"; then
            echo "$pkg"
        fi
    done
}

popyo_install_deps() {
    local missing
    mapfile -t missing < <(popyo_missing_deps)
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    echo "deps: installing ${missing[*]}" >&2
    local sudo=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null || {
            echo "deps: not root and no sudo; install as root: ${missing[*]}" >&2
            return 1
        }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q || return 1
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q "${missing[@]}" || return 1
}
