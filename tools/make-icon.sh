#!/usr/bin/env bash
# Draws the engine's icon (a window peeking out from a screen edge) at 16, 32 and 48
# pixels into settings/PopyonnEngine.ico. Needs ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48; do
    s=$((size))
    r=$((s / 6))
    edge=$((s / 5))
    convert -size "${s}x${s}" xc:none \
        -fill '#1f6f8b' -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $r,$r" \
        -fill '#0b3c4d' -draw "rectangle 0,0 $((edge - 1)),$((s - 1))" \
        -fill white -draw "roundrectangle $((edge - s / 8)),$((s / 4)) $((s * 3 / 4)),$((s * 3 / 4)) $((r / 2)),$((r / 2))" \
        -fill '#7fd1c7' -draw "rectangle $((edge - s / 8)),$((s / 4)) $((s * 3 / 4)),$((s / 4 + s / 8))" \
        "$tmp/icon-$s.png"
done
convert "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" "$root/settings/PopyonnEngine.ico"
