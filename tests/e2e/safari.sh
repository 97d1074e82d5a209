#!/usr/bin/env bash
# A player sets classic mode in the options menu, chooses Safari from the
# main menu with real key presses, launches each ball and leaves it alone
# (a Shift press or two, never at the drain), so every ball is lost and the
# game ends by itself: the best score is stored, the final score spoken, a
# key brings back the main menu, and the last entry leaves the program.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
for _ in 1 2 3; do sleep 1; press space; done
sleep 1
press Up;     sleep 0.7          # entry 9, "exit"
press Up;     sleep 0.7          # entry 8, "options"
press Return; sleep 1.5          # into the options menu
press Down;   sleep 0.7          # entry 1, "game mode"
press Return; sleep 3            # classic
[ "$(setting GameMode)" = 1 ] || fail "classic mode was not stored"
press Escape; sleep 1.5          # a fresh main menu, at entry 0
press space;  sleep 1            # cuts the menu instructions
for _ in 1 2 3; do press Down; sleep 0.7; done
press Return                     # entry 3: Safari
sleep 2
press space                      # cuts the intro
# Space answers every launch prompt (in play it does nothing but a stroke
# or two in deep water, too few to swim out); two nervous flipper presses
# early on. The game ends by itself: the best score is stored at once.
shifts=2
best=""
for _ in $(seq 130); do
    sleep 1.5; press space 0.3
    if [ "$shifts" -gt 0 ]; then sleep 0.3; press Shift_L 0.1; shifts=$((shifts - 1)); fi
    best=$(setting HSSafari)
    [ -n "$best" ] && [ "$best" != 0 ] && break
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
done
[ -n "$best" ] && [ "$best" != 0 ] || fail "the game did not end by itself with a best score"
sleep 10                         # "game over", the score, the prompt
grep -q "HSSafari" "$SETTINGS" || fail "no HSSafari in the settings file"
press x 0.3                      # any key: a fresh main menu
sleep 2
press space                      # cuts the menu instructions
sleep 1
press Up;     sleep 0.8          # entry 9, "exit"
press Return
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSSafari)
[ -n "$best" ] && [ "$best" != 0 ] || fail "HSSafari is '$best' after leaving"
echo "safari: ok (HSSafari=$best)"
