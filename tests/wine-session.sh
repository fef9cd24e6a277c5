#!/bin/sh
# Keeps one Wine session up in a prefix while tests run: Debian's wineserver ends the session with
# its last program, so that every program run alone would boot the prefix's services again.
#   wine-session.sh start PREFIX WINE64 STATE   returns once the session is up
#   wine-session.sh stop STATE
set -eu
case "$1" in
start)
    prefix=$2 wine64=$3 state=$4
    rm -f "$state.out"
    # A program waiting on a pipe that stays open for an hour at most.
    setsid sh -c "sleep 3600 | WINEPREFIX='$prefix' WINEDEBUG=-all '$wine64' cmd.exe /c 'echo ready & pause' \
        >'$state.out' 2>/dev/null" </dev/null >/dev/null 2>&1 &
    echo $! >"$state"
    for _ in $(seq 600); do
        if grep -q ready "$state.out" 2>/dev/null; then exit 0; fi
        sleep 0.2
    done
    echo "The Wine session in $prefix did not come up in two minutes" >&2
    exit 1
    ;;
stop)
    state=$2
    kill -- "-$(cat "$state")" 2>/dev/null || true
    rm -f "$state" "$state.out"
    ;;
esac
