#!/usr/bin/env bash
# A player switches to classic mode in the options menu with real key
# presses, chooses Wild West from the main menu, launches every ball and
# leaves it alone (no flipper at the drain), so every ball is lost and the
# game ends by itself: the final score is spoken, a key goes back to the main
# menu and the program is left through its last entry. The best score is
# then in the settings file.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
# Space skips the jingles (and does nothing at the main menu).
for _ in 1 2 3; do sleep 1; press space; done
sleep 1
press Up;     sleep 0.7          # entry 9, "exit"
press Up;     sleep 0.7          # entry 8, "options"
press Return; sleep 1.5          # into the options menu
press Down;   sleep 0.7          # entry 1, "game mode"
press Return; sleep 3            # switched to classic, said, stored
[ "$(setting GameMode)" = 1 ] || fail "classic mode was not stored"
press Escape; sleep 1.5          # back to a fresh main menu
press space;  sleep 1            # cuts the menu instructions
for _ in 1 2 3 4 5; do press Down; sleep 0.7; done   # entry 5, Wild West
press Return
sleep 1.5
press space                      # cuts the table's intro
# The launch prompt speaks before it listens: Space until the ball rolls,
# and again after every lost ball. A Shift now and then only clicks the
# flipper away from the drain. The best score is stored the moment the game
# ends, before a word of game over is said.
best=""
for round in $(seq 150); do
    sleep 1.2; press space 0.3
    [ $(( round % 20 )) = 5 ] && { sleep 0.3; press Shift_L 0.1; }
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
    best=$(setting HSWildWest)
    [ -n "$best" ] && [ "$best" != 0 ] && break
done
[ -n "$best" ] && [ "$best" != 0 ] || fail "the game did not end by itself with a best score stored"
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
sleep 12                         # game over, "your score was ...", the prompt
level=$(tail -c +"$(( saved_at + 1 ))" "$SDL_DISKAUDIOFILE" | od -An -v -td2 -w2 |
        awk '{v=$1<0?-$1:$1; if(v>m)m=v} END{print m+0}')
[ "$level" -gt 1000 ] || fail "nothing was heard after game over"
press x 0.3                      # any key: a fresh main menu
sleep 2
press space                      # cuts the menu instructions
sleep 1
press Up;     sleep 0.8          # entry 9, "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSWildWest)
[ -n "$best" ] && [ "$best" != 0 ] || fail "HSWildWest is '$best' after leaving"
echo "wildwest: ok (HSWildWest=$best)"
