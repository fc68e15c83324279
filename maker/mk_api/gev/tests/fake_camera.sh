#!/bin/sh
# Starts and stops Debian's camera simulator around the Wine run of the simulator test
# (a Windows program cannot start a Linux one). The state file says "running PID",
# "busy" (port 3956 taken: the simulator ended at once) or "missing".
#   fake_camera.sh start STATE SIMULATOR
#   fake_camera.sh stop STATE
set -u
case "$1" in
start)
    state=$2 simulator=${3:-}
    if [ -z "$simulator" ] || [ ! -x "$simulator" ]; then
        echo missing > "$state"
        exit 0
    fi
    "$simulator" -i 127.0.0.1 -s GEVSUITE1 </dev/null >/dev/null 2>&1 &
    pid=$!
    # A simulator whose port is taken ends within moments; give it a bounded while.
    for _ in 1 2 3 4 5; do
        sleep 0.1
        kill -0 "$pid" 2>/dev/null || break
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "running $pid" > "$state"
    else
        echo busy > "$state"
    fi
    ;;
stop)
    state=$2
    if [ -f "$state" ]; then
        read -r word pid < "$state" || true
        if [ "$word" = running ]; then
            kill "$pid" 2>/dev/null || true
        fi
        rm -f "$state"
    fi
    ;;
*)
    echo "usage: $0 start STATE SIMULATOR | stop STATE" >&2
    exit 2
    ;;
esac
