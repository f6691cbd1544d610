# What scripts/test and scripts/flake-hunt share for running the Wine tests side by side.
# Sourced; nothing runs on sourcing.

# Boots the template prefix that every Wine test's environment copies, and exports its place.
# Usage: popyo_wine_template ROOT DIR
popyo_wine_template() {
    "$1/scripts/with-wine" --make-template "$2"
    export POPYO_WINE_TEMPLATE=$2
}

# How many Wine tests run at once: POPYO_DESKTOPS, or else one more than the cores, since
# a Wine test spends most of its time waiting.
popyo_desktops() {
    if [[ -n "${POPYO_DESKTOPS:-}" ]]; then
        [[ "$POPYO_DESKTOPS" =~ ^[1-9][0-9]*$ ]] || {
            echo "POPYO_DESKTOPS must be a positive number, not '$POPYO_DESKTOPS'" >&2
            return 1
        }
        echo "$POPYO_DESKTOPS"
        return 0
    fi
    local n
    n=$(nproc)
    echo $((n + 1))
}

# The resources CTest may hand out to tests: one, "desktops", with that many slots.
popyo_resource_spec() {
    cat <<JSON
{
  "version": {"major": 1, "minor": 0},
  "local": [{"desktops": [{"id": "wine", "slots": $1}]}]
}
JSON
}
