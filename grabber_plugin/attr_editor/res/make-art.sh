#!/usr/bin/env bash
# Draws the attribute editor's icons with ImageMagick: the value views' apply
# button (a green tick) and reload button (a blue circular arrow), and the
# feature control dialog's window icon (an attribute tree beside a slider).
# The outputs are committed; run this only to change the art. Each picture is
# drawn once on a 64x64 canvas and scaled down to 16x16 and 32x32.
set -euo pipefail
cd "$(dirname "$0")"

icon() { # name, draw commands on 64x64
    convert -size 64x64 xc:none -draw "$2" PNG32:"$1-64.png"
    for s in 16 32; do convert "$1-64.png" -resize ${s}x${s} PNG32:"$1-$s.png"; done
    convert "$1-16.png" "$1-32.png" "$1.ico"
    rm -f "$1-16.png" "$1-32.png" "$1-64.png"
}

icon value-apply "stroke #1E6B1E stroke-width 14 stroke-linecap round stroke-linejoin round fill none
polyline 10,34 25,50 54,14
stroke #3CB043 stroke-width 8 polyline 10,34 25,50 54,14"

icon value-reload "stroke #1B4F8A stroke-width 11 fill none stroke-linecap round
path 'M 52,34 A 20,20 0 1 1 38,16'
stroke none fill #1B4F8A polygon 55,22 33,26 43,2"

icon feature-control "fill #F4F4F4 stroke #5A5A5A stroke-width 2 rectangle 3,3 60,60
stroke #2F6DA3 stroke-width 4 line 12,14 12,46 line 12,22 22,22 line 12,38 22,38
stroke none fill #2F6DA3 rectangle 22,17 40,27 rectangle 22,33 40,43 rectangle 6,8 18,18
fill #5A5A5A rectangle 44,10 48,54
fill #E07B00 stroke #8A4A00 stroke-width 2 rectangle 40,26 52,34"
