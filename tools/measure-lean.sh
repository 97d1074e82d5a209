#!/usr/bin/env bash
# How lean the real program runs (Xvfb, SDL's disk audio driver): CPU in the
# idle main menu and in a Pac Man game, peak memory in play and whether any
# GL library got mapped, key press to the answering voice, and start to the
# logo jingle's first sample. One figure a line, with its unit.
# Usage: tools/measure-lean.sh [--quick] [--screen N] [--pad] BUILD_DIR
#   --quick averages CPU over 10 s instead of 60 and takes fewer samples.
#   --screen N measures with the Screen option at N (0 table and captions,
#   the default; 1 captions only; 2 off).
#   --pad measures the CPU with a (virtual) game controller plugged in.
set -euo pipefail
quick=0 screen=0 pad=0
while :; do
    case "${1:-}" in
        --quick) quick=1; shift ;;
        --screen) screen=$2; shift 2 ;;
        --pad) pad=1; shift ;;
        *) break ;;
    esac
done
here=$(cd "$(dirname "$0")/.." && pwd)
probe="$here/tools/lean_probe.py"
# shellcheck source=../tests/e2e/lib/common.bash
source "$here/tests/e2e/lib/common.bash" "${1:?usage: $0 [--quick] BUILD_DIR}"
if [ "$quick" = 1 ]; then seconds=10 starts=5 presses=5; else seconds=60 starts=10 presses=15; fi

# CPU time (user + system) of the game so far, in clock ticks.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$GAME_PID/stat"
}

# cpu_percent SECONDS [COMMAND...]: the game's CPU over SECONDS of wall
# time, as a percentage of one core; COMMAND runs meanwhile (in the
# foreground, repeatedly, until the time is up).
cpu_percent() {
    local span=$1 before after t0 t1 hz
    shift
    hz=$(getconf CLK_TCK)
    before=$(cpu_ticks) t0=$(date +%s.%N)
    local until=$(( SECONDS + span ))
    while [ "$SECONDS" -lt "$until" ]; do
        if [ $# -gt 0 ]; then "$@"; else sleep 0.5; fi
    done
    after=$(cpu_ticks) t1=$(date +%s.%N)
    awk -v a="$before" -v b="$after" -v t0="$t0" -v t1="$t1" -v hz="$hz" \
        'BEGIN { printf "%.2f", 100 * (b - a) / hz / (t1 - t0) }'
}

# One round of play as the Pac Man run plays it (the shared play_rounds).
play_round() { play_rounds 1 press Shift_L Shift_R space; }

into_pacman() {
    rm -f "$TAMBLOR_STATE_FILE"  # the last game's state is not this one's
    start_game
    until_state "menu 0" space
    press Return
    until_state "launch" space 30
    until_state "play" space 30
}

start_display

# Start to the logo jingle's first sample, each from a fresh start.
starts_ms=()
for _ in $(seq "$starts"); do
    starts_ms+=("$(cd "$BUILD" && python3 "$probe" start "$SDL_DISKAUDIOFILE" -- ./tamblor)")
done

# The idle main menu with its music looping, then a game in play.
sed -i "s/^Screen=.*/Screen=$screen/" "$SETTINGS"
rm -f "$TAMBLOR_STATE_FILE"
if [ "$pad" = 1 ]; then
    export TAMBLOR_TEST_PAD="$WORK/pad" TAMBLOR_TRACE=1
    mkfifo "$TAMBLOR_TEST_PAD"
fi
start_game
until_state "menu 0" space
if [ "$pad" = 1 ]; then
    exec 7>"$TAMBLOR_TEST_PAD"
    echo plug >&7
    for _ in $(seq 100); do grep -q "sounds/PadOn.wav" "$WORK/game.log" && break; sleep 0.1; done
    grep -q "sounds/PadOn.wav" "$WORK/game.log" || fail "the controller was not heard connecting"
fi
sleep 2  # the instructions cut, the music alone
idle=$(cpu_percent "$seconds")
press Return
until_state "launch" space 30
until_state "play" space 30
play=$(cpu_percent "$seconds" play_round)
hwm=$(awk '/^VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$GAME_PID/status")
gl=$(awk '{ print $6 }' "/proc/$GAME_PID/maps" | grep -E 'lib(GL|EGL|LLVM)|/dri/' | sort -u | xargs -r -n1 basename | paste -sd, - || true)
kill "$GAME_PID"; wait "$GAME_PID" 2>/dev/null || true; GAME_PID=""
if [ "$pad" = 1 ]; then exec 7>&-; unset TAMBLOR_TEST_PAD TAMBLOR_TRACE; fi

# Key to voice in play: S says the score. The effects sink to their
# quietest and the music to silence, so the voice stands out from the ball.
sed -i -e 's/^EffectsVolume=.*/EffectsVolume=-3000/' -e 's/^MusicVolume=.*/MusicVolume=-10000/' "$SETTINGS"
"$BUILD/tmbtool" extract "$BUILD/tamblor.tmb" sounds/v_UHave.wav "$WORK/v_UHave.wav" >/dev/null
into_pacman
latency=$(python3 "$probe" key "$SDL_DISKAUDIOFILE" "$TAMBLOR_STATE_FILE" s Control_L "$WORK/v_UHave.wav" "$presses" |
          tee "$WORK/latency.txt" | sed -n 's/^median //p')
kill "$GAME_PID"; wait "$GAME_PID" 2>/dev/null || true; GAME_PID=""

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "screen option: $screen, controller: $([ "$pad" = 1 ] && echo plugged in || echo none)"
echo "idle main menu CPU: $idle % of a core (${seconds} s)"
echo "in play CPU: $play % of a core (${seconds} s, Pac Man)"
echo "peak resident memory in play: $hwm MiB"
echo "GL libraries mapped: ${gl:-none}"
echo "key to voice in play: ${latency:-?} ms median of $(grep -c -v median "$WORK/latency.txt") ($(grep -v median "$WORK/latency.txt" | paste -sd' ' -))"
echo "start to first jingle sample: $(median "${starts_ms[@]}") ms median of $starts (${starts_ms[*]})"
