#!/usr/bin/env bash
# Draws the settings dialog's banner: a 320 x 128 JPEG, a blue-to-teal gradient with a
# window peeking in from the screen's left edge and the product name. Everything here is
# drawn from shapes and a DejaVu font (fonts-dejavu-core); ImageMagick 6 does the drawing.
#
# Usage: tools/make-banner.sh [OUT.jpg]   (default: settings/banner.jpg)
set -euo pipefail

repo=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$repo/settings/banner.jpg}
fonts=/usr/share/fonts/truetype/dejavu
bold=$fonts/DejaVuSans-Bold.ttf
regular=$fonts/DejaVuSans.ttf

for f in "$bold" "$regular"; do
    [[ -f "$f" ]] || {
        echo "make-banner: $f is missing (install fonts-dejavu-core)" >&2
        exit 1
    }
done
command -v convert >/dev/null || {
    echo "make-banner: ImageMagick's convert is missing (install imagemagick)" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

# The dialog shows only the top 121 rows, and its version label sits in the top-right
# corner, so the drawing keeps clear of both.
convert -size 320x128 -define gradient:angle=115 gradient:'#5d8fd9-#3fb8a8' \
    -fill 'rgba(255,255,255,0.10)' -draw 'circle 262,96 262,150' \
    -fill 'rgba(255,255,255,0.08)' -draw 'circle 300,40 300,66' \
    -fill 'rgba(255,255,255,0.07)' -draw 'circle 150,-10 150,30' \
    "$work/back.png"

# The window's shadow, softened, then the window itself: a light body, a title bar and
# three caption dots, cut off by the left edge as if it were tucked away there.
convert -size 320x128 xc:none \
    -fill 'rgba(10,40,70,0.35)' -draw 'roundrectangle -30,34 84,104 9,9' \
    -blur 0x5 "$work/shadow.png"
convert -size 320x128 xc:none \
    -fill '#f4f8fc' -draw 'roundrectangle -30,28 80,98 9,9' \
    -fill '#2f5f9e' -draw 'roundrectangle -30,28 80,46 9,9' \
    -fill '#2f5f9e' -draw 'rectangle -30,38 80,46' \
    -fill '#ffffff' -draw 'circle 70,37 70,40.5' \
    -fill '#9fc3ec' -draw 'circle 60,37 60,40.5' \
    -fill '#9fc3ec' -draw 'circle 50,37 50,40.5' \
    -fill '#d6e3f1' -draw 'roundrectangle 6,56 64,61 2,2' \
    -fill '#d6e3f1' -draw 'roundrectangle 6,68 52,73 2,2' \
    -fill '#d6e3f1' -draw 'roundrectangle 6,80 58,85 2,2' \
    "$work/window.png"

# Chevrons pointing out of the edge: the window slides in when the cursor pushes there.
convert -size 320x128 xc:none -fill none -strokewidth 3 \
    -stroke 'rgba(255,255,255,0.85)' -draw 'polyline 90,54 97,63 90,72' \
    -stroke 'rgba(255,255,255,0.55)' -draw 'polyline 100,54 107,63 100,72' \
    "$work/chevrons.png"

convert "$work/back.png" "$work/shadow.png" -composite "$work/window.png" -composite \
    "$work/chevrons.png" -composite \
    -font "$bold" -pointsize 22 \
    -fill 'rgba(10,40,70,0.30)' -annotate +117+67 'PopyonnEngine' \
    -fill '#ffffff' -annotate +116+66 'PopyonnEngine' \
    -font "$regular" -pointsize 10.5 \
    -fill 'rgba(255,255,255,0.88)' -annotate +117+85 'windows that wait at the screen edge' \
    -strip -sampling-factor 2x2 -quality 90 -interlace none \
    "jpeg:$out"

echo "make-banner: wrote $out ($(stat -c %s "$out") bytes)" >&2
