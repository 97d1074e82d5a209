#!/usr/bin/env bash
# A player with a game controller (SDL's virtual joystick, worked through
# the test-only TAMBLOR_TEST_PAD FIFO, since no machine here offers
# /dev/uinput): the pad is plugged in at the main menu and heard, A chooses
# Pac Man, A launches, the shoulders work the flippers (and the launch's
# rumble reaches the pad), B ends the game, a button answers the game-over
# prompt, and the keyboard leaves the program.
source "$(dirname "$0")/lib/common.bash" "$1"

export TAMBLOR_TEST_PAD="$WORK/pad" TAMBLOR_TRACE=1  # the trace names each sound played
mkfifo "$TAMBLOR_TEST_PAD"

# pad LINE...: each line to the virtual pad. The FIFO is held open by fd 7.
pad() {
    local line
    for line in "$@"; do echo "$line" >&7; done
}
# tap BUTTON [HOLD_SECONDS]
tap() {
    pad "down $1"
    sleep "${2:-0.15}"
    pad "up $1"
}
# until_pad_state REGEX BUTTON [SECONDS]: until_state with a button.
until_pad_state() { until_state "$1" "$2" "${3:-60}" tap; }

start_display
start_game
exec 7>"$TAMBLOR_TEST_PAD"     # opens once the game reads it
until_state "menu 0" space     # the keyboard skips the jingles and instructions
pad plug
for _ in $(seq 100); do
    grep -q "sounds/PadOn.wav" "$WORK/game.log" 2>/dev/null && break
    sleep 0.1
done
until_pad_state "launch" a 30  # A: Enter on entry 0, Pac Man, then cuts its music
[ "$(state)" = launch ] || fail "A did not choose Pac Man"
until_pad_state "play" a 30    # A: Space at the launch prompt
play_rounds "${PLAY_ROUNDS:-6}" tap leftshoulder rightshoulder a
grep -q "Tamblor test pad: rumble" "$WORK/game.log" || fail "the launch did not rumble"

# B is Escape: at a launch prompt A launches first, in play B ends the game.
limit=$(( SECONDS + 120 ))
until [[ "$(state)" =~ ^(game\ over|press\ any\ key)$ ]]; do
    [ "$SECONDS" -lt "$limit" ] || fail "no game over from B (state '$(state)')"
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its game over"
    case "$(state)" in
        launch) tap a 0.3; sleep 0.5 ;;
        play|aim|hunt) tap b 0.3; sleep 1 ;;
        *) sleep 0.3 ;;
    esac
done
wait_state "press any key" 60
tap y 0.3                      # any button: a fresh main menu
until_state "menu 0" space
tap dpup                       # Up: "leave the game"
wait_state "entry 9"
tap a                          # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
exec 7>&-
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "gamepad: ok"
