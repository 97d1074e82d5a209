#!/usr/bin/env bash
# `make test`: the whole suite on two cores, each stage started as soon as
# what it needs is there, so the waiting parts (package installs, the
# end-to-end runs, which mostly wait on the game) overlap the compiling ones:
#   1. the packages the build needs, then the rest installing meanwhile;
#   2. the release build, its unit and data tests;
#   3. the end-to-end runs, while the sanitizer build and then the Debian
#      package (built, lintian, installed and started) go on beside them;
#   4. the unit tests under the address and undefined-behaviour sanitizers.
# A stage running beside another writes to a log, shown when it fails.
# Usage (from the Makefile): test-suite.sh BUILD ASAN_BUILD JOBS E2E_JOBS
set -uo pipefail
build=$1 asan=$2 jobs=$3 e2e_jobs=$4
cd "$(dirname "$0")/.."
make=(make --no-print-directory)
logs=$build/logs
side=$(mktemp -d)
trap 'rm -rf "$side"' EXIT

# Dies naming the stage, with the end of its log when it had one.
failed() {
    echo "make test: $1 failed${2:+; the end of $2:}"
    [ -n "${2:-}" ] && tail -n 60 "$2"
    exit 1
}

tools/ensure-packages.sh --label "Packages for the build" $BUILD_PKGS || failed "installing packages"
tools/ensure-packages.sh --label "Packages for the tests" $LATER_PKGS >"$side/later.log" 2>&1 &
later=$!

"${make[@]}" BUILD="$build" build-only || failed "the build"
wait "$later" || failed "installing packages" "$side/later.log"
cat "$side/later.log"
ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE e2e || failed "the unit and data tests"

mkdir -p "$logs"
echo "Building the sanitizer build, then the Debian package, meanwhile (logs: $logs/asan-build.log, $logs/deb-test.log)"
(
    "${make[@]}" ASAN_BUILD="$asan" asan-build >"$logs/asan-build.log" 2>&1
    echo $? >"$side/asan.rc"
    "${make[@]}" BUILD="$build" deb-test >"$logs/deb-test.log" 2>&1
    echo $? >"$side/deb.rc"
) &
beside=$!
ctest --test-dir "$build" --output-on-failure -j "$e2e_jobs" -L e2e
e2e=$?
# The sanitized run needs only its build, not the package.
while [ ! -f "$side/asan.rc" ]; do sleep 1; done
[ "$(cat "$side/asan.rc")" = 0 ] || failed "the sanitizer build" "$logs/asan-build.log"
ctest --test-dir "$asan" --output-on-failure -j "$jobs" -LE needs-data
sanitized=$?
wait "$beside"
cat "$logs/deb-test.log"
[ "$(cat "$side/deb.rc")" = 0 ] || failed "the Debian package test"
[ "$e2e" = 0 ] || failed "the end-to-end runs"
[ "$sanitized" = 0 ] || failed "the sanitized unit tests"
echo "make test: every stage passed"
