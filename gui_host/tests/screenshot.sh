#!/usr/bin/env bash
# Screenshots of Varnik's main window (port closed, port open, port held by
# another program) and of its about box, into build/screenshots/. Runs the
# emulator test under Wine on the virtual display; whenever the test asks for
# a picture (request.txt: name, window title, window rectangle), that area is
# cut from the display with ImageMagick's import.
#
#   gui_host/tests/screenshot.sh [BUILD_DIR]     (default build/windows)
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
out="$root/build/screenshots"
mkdir -p "$out"
request="$out/request.txt"
rm -f "$request"

DISPLAY=$("$root/tools/xvfb-ensure") || { echo "screenshot: no display" >&2; exit 2; }
export DISPLAY
export VARNIK_SCREENSHOT_DIR="Z:${out//\//\\}"

# Without a window manager on the virtual display nobody draws the captions of
# managed windows; for Varnik.exe alone Wine draws them itself while this runs.
source "$root/tools/wine-env"
x11_key='HKCU\Software\Wine\AppDefaults\Varnik.exe\X11 Driver'
"$SUITE_WINE" reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1
trap '"$SUITE_WINE" reg delete "$x11_key" /f >/dev/null 2>&1' EXIT

"$root/tools/wine-run" "$build/tests/varnik_emulator_test.exe" &
test_pid=$!

capture() {
    local name=$1 title=$2 x=$3 y=$4 w=$5 h=$6 info
    if [ "${w:-0}" -le 0 ] || [ "${h:-0}" -le 0 ]; then
        # No rectangle from Windows: the X window of that title (client area only).
        info=$(xwininfo -name "$title" 2>/dev/null) || { echo "screenshot: no window '$title'" >&2; return 1; }
        x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
        y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
        w=$(awk '/Width:/ {print $2}' <<<"$info")
        h=$(awk '/Height:/ {print $2}' <<<"$info")
    fi
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png" && echo "screenshot: $out/$name.png"
}

while kill -0 "$test_pid" 2>/dev/null; do
    if [ -f "$request" ]; then
        name=$(sed -n 1p "$request" | tr -d '\r')
        title=$(sed -n 2p "$request" | tr -d '\r')
        read -r x y w h < <(sed -n 3p "$request" | tr -d '\r')
        capture "$name" "$title" "${x:-0}" "${y:-0}" "${w:-0}" "${h:-0}"
        rm -f "$request"
    fi
    sleep 0.1
done
wait "$test_pid"
