#!/usr/bin/env bash
# The dependency step of the scripts, run the way they run it: a top-level call in a shell
# with `set -euo pipefail`. A package that is not installed must be reported missing (also
# when no such package exists), apt-get must run only when something is missing, and a failed
# install must fail the step with one line naming the packages. apt-get and sudo are
# stand-ins that log their calls.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$APT_LOG"
[[ $1 == install ]] && exit "${APT_INSTALL_STATUS:-0}"
exit 0
STUB
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/apt-get" "$work/bin/sudo"
export APT_LOG="$work/apt.log"

# Runs one function of deps.sh with the given package list, as a script would.
run_deps() {
    local function=$1 packages=$2
    PATH="$work/bin:$PATH" bash -c '
        set -euo pipefail
        source "$1/scripts/lib/deps.sh"
        read -r -a popyo_deps <<<"$2"
        "$3"' deps "$root" "$packages" "$function" >"$work/out" 2>"$work/err"
}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# name | packages | apt-get install status | expected missing | expected apt-get calls | expected status
cases=(
    "all installed|bash coreutils|0|||0"
    "one unknown|bash popyo-no-such-package|0|popyo-no-such-package|update -q;install -y -q popyo-no-such-package|0"
    "only unknown|popyo-no-such-package|0|popyo-no-such-package|update -q;install -y -q popyo-no-such-package|0"
    "install fails|popyo-no-such-package bash|100|popyo-no-such-package|update -q;install -y -q popyo-no-such-package|1"
)

for case in "${cases[@]}"; do
    IFS='|' read -r name packages install_status want_missing want_calls want_status <<<"$case"
    export APT_INSTALL_STATUS=$install_status

    : >"$APT_LOG"
    run_deps popyo_missing_deps "$packages" || fail "$name: the detection failed: $(cat "$work/err")"
    missing=$(paste -sd' ' "$work/out")
    [[ "$missing" == "$want_missing" ]] || fail "$name: missing '$missing', want '$want_missing'"

    : >"$APT_LOG"
    status=0
    run_deps popyo_install_deps "$packages" || status=$?
    [[ "$status" == "$want_status" ]] || fail "$name: install status $status, want $want_status"
    calls=$(sed 's/^apt-get //' "$APT_LOG" | paste -sd';')
    [[ "$calls" == "$want_calls" ]] || fail "$name: apt-get calls '$calls', want '$want_calls'"
    if ((want_status != 0)); then
        last=$(tail -n1 "$work/err")
        [[ "$last" == "deps: apt-get failed (status $install_status) installing: $want_missing" ]] ||
            fail "$name: last line '$last'"
    fi
done

if ((failures == 0)); then
    echo "deps_test: ${#cases[@]} cases passed"
fi
exit $((failures != 0))
