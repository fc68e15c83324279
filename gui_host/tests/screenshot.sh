#!/usr/bin/env bash
# Screenshots of Varnik's main window (port closed, port open, port held by
# another program, system menu) and of its about box, into build/screenshots/.
# The emulator test takes them itself (app_framework_testing's screenshots);
# this script runs it on the virtual display with the window captions drawn.
#
#   gui_host/tests/screenshot.sh [BUILD_DIR]     (default build/windows)
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
out="$root/build/screenshots"
mkdir -p "$out"

DISPLAY=$("$root/tools/xvfb-ensure") || { echo "screenshot: no display" >&2; exit 2; }
export DISPLAY
export SUITE_SCREENSHOT_DIR="Z:${out//\//\\}"

# Without a window manager on the virtual display nobody draws the captions of
# managed windows; for Varnik.exe alone Wine draws them itself while this runs.
source "$root/tools/wine-env"
x11_key='HKCU\Software\Wine\AppDefaults\Varnik.exe\X11 Driver'
"$SUITE_WINE" reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1
trap '"$SUITE_WINE" reg delete "$x11_key" /f >/dev/null 2>&1' EXIT

"$root/tools/wine-run" "$build/tests/varnik_emulator_test.exe" && ls "$out"/varnik-*.png
