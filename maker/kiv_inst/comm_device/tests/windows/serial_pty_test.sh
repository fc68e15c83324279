#!/usr/bin/env bash
# The serial transport end to end: starts the Linux camera emulator on a
# pseudo-terminal, maps it to a Wine COM port and runs the serial test case of
# the Windows test program against it.
#   serial_pty_test.sh TEST.exe HOST_EMULATOR_TOOL WINE_RUN
set -u
test_exe=$1
tool=$2
wine_run=$3
root=$(cd "$(dirname "$wine_run")/.." && pwd)
source "$root/tools/wine-env"
"$root/tools/wine-prefix-ensure" || exit 2

# A COM number per run, so parallel runs do not share a mapping.
com_number=$((100 + $$ % 150))
link="$WINEPREFIX/dosdevices/com$com_number"
work=$(mktemp -d)
mkfifo "$work/out"
"$tool" --pty > "$work/out" &
tool_pid=$!
exec 3< "$work/out"
cleanup() {
    kill "$tool_pid" 2>/dev/null
    wait "$tool_pid" 2>/dev/null
    rm -f "$link"
    rm -rf "$work"
}
trap cleanup EXIT

# The tool prints its device path as the first line.
if ! read -r -t 30 -u 3 pts || [ ! -e "$pts" ]; then
    echo "serial_pty_test: the emulator did not report a pseudo-terminal" >&2
    exit 1
fi
ln -sfn "$pts" "$link"
echo "COM$com_number -> $pts"

KIV_TEST_SERIAL_PORT="COM$com_number" "$wine_run" "$test_exe" \
    --gtest_filter='CommDeviceTransport.Serial*' --gtest_color=no | tee "$work/log"
status=${PIPESTATUS[0]}
if grep -q "SKIPPED" "$work/log"; then
    echo "serial_pty_test: the serial test case was skipped" >&2
    exit 1
fi
exit "$status"
