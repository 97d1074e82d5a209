#!/usr/bin/env bash
# The Haunted House in classic mode with real key presses: the mode chosen in
# the options menu, the table from the main menu, and the ball, launched and
# left alone (a Shift press or two, never at the drain), drains ball after
# ball until the game ends by itself. The final score is spoken, a key leads
# back to the main menu and out, and the best score is in the settings file.
source "$(dirname "$0")/lib/common.bash" "$1"

# Main menu -> options -> the game mode switched -> a fresh main menu.
switch_game_mode() {
    until_state "menu 0" space       # Space skips the jingles and the instructions
    step Up "entry 9"
    step Up "entry 8"                # "options"
    press Return
    until_state "options 0" space
    step Down "entry 1"              # "game mode"
    step Return "options 1"          # switched, said, stored at once
    [ "$(setting GameMode)" = "$1" ] || fail "the game mode is not $1"
    press Escape
    until_state "menu 0" space
}

choose_haunted_house() {
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
switch_game_mode 1
choose_haunted_house
sleep 0.5; press Shift_L 0.1         # a nervous press: only the flipper click
[ "$(setting HSHauntedHouse)" = 0 ] || fail "a best score was stored before the game ended"
for _ in $(seq 400); do
    case "$(state)" in
        "game over"|"press any key") break ;;
        launch) press space 0.3 ;;   # the next ball
    esac
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
    sleep 0.5
done
wait_state "game over|press any key" 5
wait_state "press any key" 60        # "your score was ... points", then the prompt
best=$(setting HSHauntedHouse)
[ -n "$best" ] && [ "$best" != 0 ] || fail "no best score was stored at the end of the game"
press x 0.3                          # any key: a fresh main menu
leave_by_entry_9
best=$(setting HSHauntedHouse)
[ -n "$best" ] && [ "$best" != 0 ] || fail "HSHauntedHouse is '$best' after leaving"
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "haunted classic: ok (HSHauntedHouse=$best)"
