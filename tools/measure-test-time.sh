#!/usr/bin/env bash
# Times `make test` as CI runs it: a fresh clone of this repository's
# committed HEAD into a temporary folder, `CI=true make test` there, and the
# wall seconds it took. Packages already installed are not installed again.
# Usage: tools/measure-test-time.sh [--reinstall] [LOG]   (the full output
# goes to LOG, default /tmp/tamblor-measure.log, each line led by the seconds
# since the start, so the stages can be told apart; the clone is removed
# afterwards)
#   --reinstall first removes (as root) the packages only the game, its data
#   and its tests need, so the time includes installing them as on a fresh
#   machine; packages the rest of the system depends on are left.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--reinstall" ]; then
    shift
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq festival festvox-us-slt-hts libsonic-dev \
        libspeechd-dev libsdl2-dev libsdl2-ttf-dev libgtest-dev libgmock-dev libbenchmark-dev \
        speech-dispatcher xvfb xdotool tesseract-ocr desktop-file-utils appstream debhelper lintian \
        fakeroot >/dev/null
    echo "measure: the game's and the tests' packages removed; make test installs them again"
fi
log=${1:-/tmp/tamblor-measure.log}
dir=$(mktemp -d /tmp/tamblor-measure.XXXXXX)
trap 'rm -rf "$dir"' EXIT
git clone -q "$repo" "$dir/tamblor"
echo "measure: $(git -C "$dir/tamblor" log -1 --format='%h %s')"
start=${EPOCHREALTIME/[.,]/}
set +e
SECONDS=0
(cd "$dir/tamblor" && CI=true make test) 2>&1 </dev/null |
    while IFS= read -r line; do printf '%4d %s\n' "$SECONDS" "$line"; done >"$log"
status=${PIPESTATUS[0]}
set -e
end=${EPOCHREALTIME/[.,]/}
seconds=$(( (end - start) / 1000000 ))
grep -E '^ *[0-9]+ (Total Test time|[0-9]+% tests passed)' "$log" | sed 's/^/measure: /' || true
echo "measure: CI=true make test exited $status after $seconds s wall (log: $log)"
exit $status
