#!/usr/bin/env bash
# Records a long Pac Man game from the real program (Xvfb, SDL's disk audio
# driver) and measures what reached the sound device: clipped samples, the
# peak and the loudest second; then the levels of the loops a game plays.
# Usage: tools/measure-mix.sh [BUILD_DIR] [ROUNDS]   (a round is about 1.5 s)
set -euo pipefail
build=${1:-build}
rounds=${2:-120}
here=$(cd "$(dirname "$0")/.." && pwd)
PLAY_ROUNDS=$rounds bash "$here/tests/e2e/pacman.sh" "$build"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for m in sounds/ball.wav pacman/Siren.wav pacman/GhostRun.wav pacman/EatDot.wav sounds/bumper1.wav \
         sounds/WallHit.wav sounds/v_UHave.wav sounds/menu/mnuMusic.wav; do
    "$build/tmbtool" extract "$build/tamblor.tmb" "$m" "$tmp/$(basename "$m")" >/dev/null
    "$build/mixcheck" wav "$tmp/$(basename "$m")"
done
