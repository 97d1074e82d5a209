#!/usr/bin/env bash
# A player in accessible mode (the default) chooses Safari and plays a
# while: at the drain a Shift chooses the aim scan's side and the next one
# shoots. Escape ends the game with no best score; a key brings back the
# main menu and the last entry leaves the program.
source "$(dirname "$0")/lib/common.bash" "$1"

choose_safari() {
    until_state "menu 0" space
    for entry in 1 2 3; do step Down "entry $entry"; done   # "Safari"
    press Return
    until_state "launch|play" space 30
    until_state "play" space 30
}

start_display
start_game
choose_safari
aimed=0
for _ in $(seq "${PLAY_ROUNDS:-40}"); do
    case "$(state)" in
        aim) press Shift_L 0.1; sleep 1.5; press Shift_R 0.1; aimed=$((aimed + 1)) ;;
        launch) press space 0.3 ;;
        *) sleep 0.5 ;;
    esac
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
end_game_with_escape 120 choose_safari
wait_state "game over|press any key" 5
wait_state "press any key" 60
[ "$(setting HSSafari)" = 0 ] || fail "Escape stored a best score: $(setting HSSafari)"
press x 0.3
until_state "menu 0" space
step Up "entry 9"
press Return
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "safari accessible: ok (shots aimed at the drain: $aimed)"
