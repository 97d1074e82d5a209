#!/usr/bin/env bash
# Runs end-to-end scripts again and again to show they pass every time, not
# most times. Each run has its own X server, settings and audio file, so
# several run side by side.
#
# Usage: tools/e2e-repeat.sh [-n RUNS] [-j PARALLEL] [-b BUILD] [script ...]
#   RUNS      runs of each script (default 20)
#   PARALLEL  runs at once (default 3)
#   BUILD     the build folder (default build)
#   script    tests/e2e/*.sh names or paths (default: all of them)
# Prints one line per script: runs passed of runs made, and the slowest run.
# The output of a failed run is kept in $OUT (default /tmp/tamblor-repeat).
set -uo pipefail
cd "$(dirname "$0")/.."
RUNS=20 PARALLEL=3 BUILD=build
while getopts "n:j:b:" opt; do
    case $opt in
        n) RUNS=$OPTARG ;;
        j) PARALLEL=$OPTARG ;;
        b) BUILD=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
OUT=${OUT:-/tmp/tamblor-repeat}
mkdir -p "$OUT"

scripts=()
if [ $# -eq 0 ]; then
    scripts=(tests/e2e/*.sh)
else
    for s in "$@"; do
        case $s in
            */*) scripts+=("$s") ;;
            *.sh) scripts+=("tests/e2e/$s") ;;
            *) scripts+=("tests/e2e/$s.sh") ;;
        esac
    done
fi

# One job: run script $1 as run $2, record "name run status seconds".
one_run() {
    local script=$1 run=$2 name start status
    name=$(basename "$script" .sh)
    start=$(date +%s%N)
    timeout 600 bash "$script" "$BUILD" >"$OUT/$name.$run.log" 2>&1
    status=$?
    printf '%s %s %s %s\n' "$name" "$run" "$status" "$(( ($(date +%s%N) - start) / 1000000 ))" >>"$OUT/results"
    [ "$status" = 0 ] && rm -f "$OUT/$name.$run.log"
    return 0
}
export -f one_run
export BUILD OUT

: >"$OUT/results"
for run in $(seq "$RUNS"); do
    for s in "${scripts[@]}"; do printf '%s %s\n' "$s" "$run"; done
done | xargs -P "$PARALLEL" -n 2 bash -c 'one_run "$0" "$1"'

status=0
for s in "${scripts[@]}"; do
    name=$(basename "$s" .sh)
    awk -v n="$name" '$1 == n { runs++; if ($3 == 0) ok++; if ($4 > slow) slow = $4 }
        END { printf "%-22s %d of %d passed, slowest %.1f s\n", n, ok, runs, slow / 1000; exit ok == runs ? 0 : 1 }' \
        "$OUT/results" || status=1
done
[ $status = 0 ] || echo "failed runs' output: $OUT/<script>.<run>.log"
exit $status
