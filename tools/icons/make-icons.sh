#!/bin/sh
# Renders resources/icons/qel-v.svg into the hicolor theme sizes and the 16-colour window icon.
# Needs the Debian packages librsvg2-bin (rsvg-convert) and imagemagick (convert).
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
svg="$root/resources/icons/qel-v.svg"
convert=${CONVERT:-convert}

for size in 16 32 48 64 128 256; do
    out="$root/resources/icons/hicolor/${size}x${size}/apps/qel-v.png"
    mkdir -p "$(dirname "$out")"
    rsvg-convert -w "$size" -h "$size" "$svg" | "$convert" - -strip "PNG32:$out"
done

# A palette of 16 entries, one of them fully transparent, so edges are either in or out.
"$convert" "$root/resources/icons/hicolor/32x32/apps/qel-v.png" -strip \
    -channel A -threshold 50% +channel -colors 16 "PNG8:$root/platform/widgets/qel-v.png"
