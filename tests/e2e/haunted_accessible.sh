#!/usr/bin/env bash
# The Haunted House in accessible mode (where a fresh start begins) with
# real key presses: the table chosen from the main menu, the ball fired back
# from the drain's aim scan with Shift, and Escape ending the game, which
# stores nothing: the score is forfeit.
source "$(dirname "$0")/lib/common.bash" "$1"

choose_haunted_house() {
    until_state "menu 0" space       # Space skips the jingles and the instructions
    for entry in 1 2 3 4; do step Down "entry $entry"; done
    press Return
    until_state "launch|play" space 30    # Space cuts the table's intro
    until_state "play" space 30      # and launches the ball
}

leave_by_entry_9() {
    until_state "menu 0" space
    step Up "entry 9"                # "exit"
    press Return
    wait_exit 30
    [ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
}

start_display
start_game
until_state "menu 0" space
[ "$(setting GameMode)" = 0 ] || fail "a fresh start is not in accessible mode"
choose_haunted_house
for _ in $(seq 15); do
    sleep 0.7; press Shift_L 0.1     # chooses a side at the drain, then fires
    [ "$(state)" = launch ] && press space 0.3
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the program ended during play"
end_game_with_escape 120 choose_haunted_house
wait_state "press any key" 60
press x 0.3
leave_by_entry_9
# Escape forfeits the score (unless the rules had taken the last ball first).
[ "$ESCAPED" = 0 ] || [ "$(setting HSHauntedHouse)" = 0 ] || fail "an abandoned game stored a best score"
[ "$(setting GameMode)" = 0 ] || fail "GameMode is not kept"
echo "haunted accessible: ok"
