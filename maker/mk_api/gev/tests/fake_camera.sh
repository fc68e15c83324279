#!/bin/sh
# Starts and stops Debian's camera simulator around a Wine run of the tests that use it
# (a Windows program can start a Linux one under Wine, but neither wait for it nor end
# it). The state file says "running PID LOSS", "busy" (port 3956 taken: the simulator
# ended at once), "missing" or "killed". While the simulator runs, a watcher ends it with
# SIGKILL when the file STATE.kill appears, as a camera pulled from the wire, and then
# says "killed".
#   fake_camera.sh start STATE SIMULATOR [LOSS]   (LOSS: packets dropped in 1000)
#   fake_camera.sh stop STATE
set -u

# Running, not a zombie that nobody has reaped yet (kill -0 says yes to those).
alive() {
    read -r _ _ st _ < "/proc/$1/stat" 2>/dev/null && [ "$st" != Z ]
}

case "$1" in
start)
    state=$2 simulator=${3:-} loss=${4:-0}
    rm -f "$state.kill"
    if [ -z "$simulator" ] || [ ! -x "$simulator" ]; then
        echo missing > "$state"
        exit 0
    fi
    if [ "$loss" -gt 0 ]; then
        "$simulator" -i 127.0.0.1 -s GEVSUITE1 -r "$loss" </dev/null >/dev/null 2>&1 &
    else
        "$simulator" -i 127.0.0.1 -s GEVSUITE1 </dev/null >/dev/null 2>&1 &
    fi
    pid=$!
    # A simulator whose port is taken ends within moments; give it a bounded while.
    for _ in 1 2 3 4 5; do
        sleep 0.1
        alive "$pid" || break
    done
    if ! alive "$pid"; then
        echo busy > "$state"
        exit 0
    fi
    echo "running $pid $loss" > "$state"
    # The watcher ends with the simulator, and after an hour at most.
    (
        i=0
        while [ $i -lt 72000 ] && alive "$pid"; do
            if [ -e "$state.kill" ]; then
                kill -9 "$pid" 2>/dev/null
                echo killed > "$state"
                break
            fi
            sleep 0.05
            i=$((i + 1))
        done
    ) </dev/null >/dev/null 2>&1 &
    ;;
stop)
    state=$2
    if [ -f "$state" ]; then
        read -r word pid _ < "$state" || true
        if [ "$word" = running ]; then
            kill "$pid" 2>/dev/null || true
        fi
        rm -f "$state" "$state.kill"
    fi
    ;;
*)
    echo "usage: $0 start STATE SIMULATOR [LOSS] | stop STATE" >&2
    exit 2
    ;;
esac
