#!/usr/bin/env bash
# A player in accessible mode (the default) chooses Safari, launches the
# ball and plays a while: at the drain a Shift chooses the aim scan's side
# and the next one shoots. Escape ends the game without a best score; a
# key brings back the main menu and the last entry leaves the program.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
for _ in 1 2 3; do sleep 1; press space; done
sleep 1
for _ in 1 2 3; do press Down; sleep 0.7; done
press Return                     # entry 3: Safari
sleep 2
press space                      # cuts the intro
for _ in 1 2 3; do sleep 1.5; press space 0.3; done
for _ in $(seq 12); do
    sleep 1; press Shift_L 0.1
    sleep 1.5; press Shift_R 0.1
    sleep 0.3; press space 0.3     # a launch prompt after a lost ball
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
# Escape is read between steps of the ball: if it fell on a spoken cue,
# press it again. The game end saves the settings.
saved=$(stat -c %.9Y "$SETTINGS")
for _ in 1 2 3; do
    press Escape 0.3
    for _ in $(seq 30); do
        [ "$(stat -c %.9Y "$SETTINGS")" != "$saved" ] && break 2
        sleep 0.1
    done
done
[ "$(stat -c %.9Y "$SETTINGS")" != "$saved" ] || fail "Escape did not end the game"
sleep 12                         # "game over", the score (none), the prompt
press x 0.3
sleep 2
press space
sleep 1
press Up;     sleep 0.8          # entry 9, "exit"
press Return
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
[ "$(setting HSSafari)" = 0 ] || fail "Escape stored a best score: $(setting HSSafari)"
echo "safari accessible: ok"
