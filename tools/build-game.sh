#!/bin/sh
# Builds the game and its data only (no tests), for `make play`, with one
# line per stage; each stage's full output goes to BUILD/logs/ and is shown
# only when the stage fails.
# Usage: build-game.sh BUILD_DIR JOBS
set -u
build=$1
jobs=$2
logs=$build/logs
mkdir -p "$logs"

# run_quiet LOG COMMAND...: runs the command into LOG; on failure shows the log's end.
run_quiet() {
    log=$1
    shift
    if ! "$@" >"$log" 2>&1; then
        echo "failed. The end of $log:"
        tail -n 40 "$log"
        exit 1
    fi
}
seconds_since() { echo $(($(date +%s) - $1)); }

start=$(date +%s)
if [ -f "$build/build.ninja" ]; then
    echo "[2/4] Configure: already done in $build"
else
    printf '[2/4] Configure: '
    run_quiet "$logs/configure.log" cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLOR_TESTS=OFF
    echo "done in $build ($(seconds_since "$start") s)"
fi

# The game, and the tools that make its data.
start=$(date +%s)
targets="tamblor tamblor_gamedata mapc"
count=$(ninja -C "$build" -n $targets 2>/dev/null | grep -c 'Building CXX object')
if [ "$count" = 0 ]; then
    echo "[3/4] Compile: up to date"
    run_quiet "$logs/compile.log" ninja -C "$build" -j "$jobs" $targets
else
    printf '[3/4] Compile: %s source files... ' "$count"
    run_quiet "$logs/compile.log" ninja -C "$build" -j "$jobs" $targets
    echo "done ($(seconds_since "$start") s)"
fi

start=$(date +%s)
printf '[4/4] Game data: '
run_quiet "$logs/gamedata.log" ninja -C "$build" -j "$jobs" gamedata
made=$(sed -n 's/^gamedata: building \([0-9]*\) members$/\1/p' "$logs/gamedata.log")
if grep -q "no work to do" "$logs/gamedata.log"; then
    echo "up to date"
elif [ -z "$made" ]; then
    echo "every sound from the cache ($(seconds_since "$start") s)"
else
    echo "$made sounds made ($(seconds_since "$start") s)"
fi
