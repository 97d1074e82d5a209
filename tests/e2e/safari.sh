#!/usr/bin/env bash
# A player sets classic mode in the options menu, chooses Safari from the
# main menu with real key presses, launches each ball and leaves it alone
# (a Shift press or two, never at the drain), so every ball is lost and the
# game ends by itself: the best score is stored, the final score spoken, a
# key brings back the main menu, and the last entry leaves the program.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
until_state "menu 0" space       # Space skips the jingles and the instructions
step Up "entry 9"                # "exit"
step Up "entry 8"                # "options"
press Return
until_state "options 0" space
step Down "entry 1"              # "game mode"
step Return "options 1"          # classic, stored at once
[ "$(setting GameMode)" = 1 ] || fail "classic mode was not stored"
press Escape                     # a fresh main menu
until_state "menu 0" space
step Down "entry 1"
step Down "entry 2"
step Down "entry 3"              # "Safari"
press Return
until_state "launch|play" space 30    # Space cuts the intro
until_state "play" space 30      # and launches the ball
sleep 1; press Shift_L 0.1       # a nervous flipper press or two, far from the drain
sleep 0.5; press Shift_R 0.1
# Left alone, every ball is lost (the drain, deep water without a stroke,
# a cougar outrun by no one...); Space answers each launch prompt.
for _ in $(seq 1200); do
    case "$(state)" in
        "game over"|"press any key") break ;;
        launch) press space 0.3 ;;
        *) sleep 0.2 ;;
    esac
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
done
wait_state "game over|press any key" 5
best=$(setting HSSafari)
[ -n "$best" ] && [ "$best" != 0 ] || fail "no best score was stored when the game ended"
wait_state "press any key" 60    # "your score was ...", then the prompt
press x 0.3                      # any key: a fresh main menu
until_state "menu 0" space
step Up "entry 9"                # "exit"
press Return
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSSafari)
[ -n "$best" ] && [ "$best" != 0 ] || fail "HSSafari is '$best' after leaving"
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "safari: ok (HSSafari=$best)"
