#!/usr/bin/env bash
# Runs one Wine test's command in a Wine environment of its own (scripts/with-wine: a fresh
# display and a copy of the template prefix when POPYO_WINE_TEMPLATE names one), so that Wine
# tests run side by side and each starts on a fresh desktop: the cursor where Xvfb puts it,
# no foreground window and no window of another test; whatever the test leaves running ends
# with its environment. With POPYO_MONITORS set, the display is an Xorg server of those
# monitors, and the tests run one at a time. Inside an environment of scripts/with-wine the
# command runs in that one, and the tests there run one at a time too.
#
# Usage: own_wine.sh COMMAND [ARG...]
set -euo pipefail
if [[ -n "${POPYO_WITH_WINE:-}" && "${POPYO_WITH_WINE}" == "${DISPLAY:-} ${WINEPREFIX:-}" ]]; then
    exec "$@"
fi
exec "$(cd "$(dirname "$0")/../.." && pwd)/scripts/with-wine" "$@"
