#!/usr/bin/env bash
# Draws the camera dialogs' icons with ImageMagick: a camera reachable (green
# tick) and unreachable (grey, red cross) for the camera list, the device
# finder's window icon (camera and magnifier) and the IP configuration
# dialog's (a network plug). The outputs are committed; run this only to
# change the art. Each icon is drawn pixel by pixel at 16x16 in the 16
# standard colours, since the camera list keeps its images in 4-bit colour,
# and scaled up without smoothing for 32x32.
set -euo pipefail
cd "$(dirname "$0")"

camera() { # body colour, lens colour -> draw commands of a camera on the left
    echo "fill $1 rectangle 1,5 11,12"
    echo "fill $1 rectangle 3,3 6,4"
    echo "fill black circle 6,8 6,11"
    echo "fill $2 circle 6,8 6,10"
    echo "fill white point 5,7"
}

icon() { # name, draw commands
    convert -size 16x16 xc:none +antialias -draw "$2" PNG32:"$1-16.png"
    convert "$1-16.png" -scale 32x32 PNG32:"$1-32.png"
    convert "$1-16.png" "$1-32.png" "$1.ico"
    rm -f "$1-16.png" "$1-32.png"
}

icon camera-reachable "$(camera '#000080' '#00FFFF')
fill #008000 circle 12,12 12,15
stroke white line 10,12 11,13 line 11,13 14,10"

icon camera-unreachable "$(camera '#808080' '#C0C0C0')
fill #FF0000 circle 12,12 12,15
stroke white line 10,10 14,14 line 14,10 10,14"

icon device-finder "$(camera '#000080' '#00FFFF')
fill none stroke #000000 circle 11,10 11,13
fill #FFFFFF stroke none circle 11,10 11,12
stroke #800000 line 13,12 15,14 line 13,13 14,14 line 14,12 15,13"

icon ip-config "fill #008080 rectangle 1,1 14,10
fill #00FFFF rectangle 2,2 13,9
stroke #000000 line 7,10 7,12 line 8,10 8,12 line 2,13 13,13
fill #000080 stroke none rectangle 3,3 4,8 rectangle 6,3 7,8 rectangle 8,3 10,3 rectangle 10,3 11,6 rectangle 8,6 10,6"
