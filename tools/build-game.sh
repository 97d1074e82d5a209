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

# The game, and the tools that make its data. (A dry run cannot count the
# work ahead: the source globs make it stop at re-running CMake.)
start=$(date +%s)
printf '[3/4] Compile: '
run_quiet "$logs/compile.log" ninja -C "$build" -j "$jobs" tamblor tamblor_gamedata mapc
count=$(grep -c 'Building CXX object' "$logs/compile.log")
if [ "$count" = 0 ]; then
    echo "up to date"
else
    echo "$count source files compiled ($(seconds_since "$start") s)"
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
    spoken=$(sed -n 's/^gamedata: speaking \([0-9]*\) sentences$/\1/p' "$logs/gamedata.log")
    echo "$made sounds made${spoken:+, $spoken sentences spoken} ($(seconds_since "$start") s)"
fi
