#!/usr/bin/env bash
# Draws the program's logo bitmap (about box header) and its icon with
# ImageMagick. The outputs are committed; run this only to change the art.
# The logo is drawn on white (the colour of the about box header, so anti-aliased
# edges blend right), then its outer background is flooded with magenta: the
# about box treats the colour of pixel (170, 0) as transparent.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

lens() { # size -> draw commands for a camera lens centred in a square of that size
    local s=$1 c=$(( $1 / 2 ))
    echo "fill #1B3A5C circle $c,$c $c,1"
    echo "fill #2F6DA3 circle $c,$c $c,$(( s / 7 ))"
    echo "fill #0E1F33 circle $c,$c $c,$(( s * 2 / 7 ))"
    echo "fill #58A6E0 circle $c,$c $c,$(( s * 5 / 14 ))"
    echo "fill #0E1F33 circle $c,$c $c,$(( s * 3 / 7 ))"
    echo "fill white circle $(( c - s / 9 )),$(( c - s / 9 )) $(( c - s / 9 )),$(( c - s / 9 - s / 16 ))"
}

convert -size 180x48 xc:white \
    -draw "translate 4,4 $(lens 40 | tr '\n' ' ')" \
    -font "$font" -pointsize 22 -fill '#1B3A5C' -annotate +52+27 'QUARNEL' \
    -font "$font" -pointsize 9 -fill '#2F6DA3' -annotate +53+41 'CAMERA SET-UP' \
    -fill '#FF00FF' -draw 'color 0,0 floodfill' \
    -type TrueColor BMP3:logo.bmp

for s in 16 32 48; do
    convert -size ${s}x${s} xc:none -draw "$(lens $s | tr '\n' ' ')" icon-$s.png
done
convert icon-16.png icon-32.png icon-48.png varnik.ico
rm -f icon-16.png icon-32.png icon-48.png
