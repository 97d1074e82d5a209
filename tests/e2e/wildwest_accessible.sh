#!/usr/bin/env bash
# In accessible mode (the default) a player chooses Wild West from the main
# menu, launches the ball, and whenever the ball reaches the drain picks a
# side with a Shift key and fires from the aim scan with a Shift; after a
# while Escape ends the game (with no score, so nothing is stored), a key
# goes back to the main menu and the program is left through its last entry.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
for _ in 1 2 3; do sleep 1; press space; done
sleep 1
for _ in 1 2 3 4 5; do press Down; sleep 0.7; done   # entry 5, Wild West
press Return
sleep 1.5
press space                      # cuts the table's intro
for _ in 1 2 3 4; do sleep 1.5; press space 0.3; done
# Play: the Shifts choose a side and fire whenever the aim scan waits or
# sweeps (elsewhere they only click the flipper); Space launches again after
# a lost ball.
for _ in $(seq 10); do
    sleep 1; press Shift_L 0.2
    sleep 1.5; press Shift_R 0.2
    sleep 0.5; press space 0.3
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
press Escape 0.3
sleep 10                         # game over, "your score was zero points", the prompt
[ "$(setting HSWildWest)" = 0 ] || fail "a game left with Escape stored a best score"
press x 0.3                      # any key: a fresh main menu
sleep 2
press space
sleep 1
press Up;     sleep 0.8          # entry 9, "exit"
press Return
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
echo "wildwest_accessible: ok"
