#!/usr/bin/env bash
# A player switches to classic mode in the options menu with real key
# presses, chooses Wild West from the main menu, launches every ball and
# leaves it alone (a Shift now and then, never at the drain), so every ball
# is lost and the game ends by itself: the final score is spoken, a key goes
# back to the main menu and the program is left through its last entry. The
# best score is then in the settings file.
source "$(dirname "$0")/lib/common.bash" "$1"

peak_since() {
    tail -c +"$(( $1 + 1 ))" "$SDL_DISKAUDIOFILE" | od -An -v -td2 -w2 | awk '{v=$1<0?-$1:$1; if(v>m)m=v} END{print m+0}'
}

start_display
start_game
until_state "menu 0" space       # Space skips the jingles and the instructions
step Up "entry 9"                # "exit"
step Up "entry 8"                # "options"
press Return
until_state "options 0" space    # into the options menu, its instructions cut
step Down "entry 1"              # "game mode"
step Return "options 1"          # switched to classic, stored at once
[ "$(setting GameMode)" = 1 ] || fail "classic mode was not stored"
press Escape                     # back to a fresh main menu
until_state "menu 0" space
for n in 1 2 3 4 5; do step Down "entry $n"; done   # entry 5: Wild West
press Return
until_state "launch|play" space 30    # Space cuts the table's intro
until_state "play" space 30      # and launches the ball
# Left alone, the ball drains (or the jail, the gallows or a fist fight
# takes it); Space launches each new ball. The best score is stored the
# moment the game ends, before a word of game over is said.
shifts=0
for _ in $(seq 600); do
    case "$(state)" in
        "game over"|"press any key") break ;;
        launch) press space 0.3 ;;
        play) if [ "$shifts" -lt 2 ] && [ $(( RANDOM % 40 )) = 0 ]; then
                  press Shift_L 0.1; shifts=$(( shifts + 1 ))
              fi ;;
    esac
    sleep 0.4
done
wait_state "game over|press any key" 10
# Left alone, every ball can drain without touching a target: then the
# game rightly stores no best, which is checked instead.
score=$(final_score)
[ -n "$score" ] || fail "the game over noted no final score"
best=$(setting HSWildWest)
if [ "$score" = 0 ]; then
    [ -z "$best" ] || [ "$best" = 0 ] || fail "a game that scored nothing stored the best score '$best'"
else
    [ -n "$best" ] && [ "$best" != 0 ] ||
        fail "no best score was stored when the game ended with $score (the settings: $(tr '\n' ' ' <"$SETTINGS"))"
fi
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
wait_state "press any key" 60    # game over, "your score was ...", the prompt
sleep 0.5
[ "$(peak_since "$saved_at")" -gt 1000 ] || fail "nothing was heard after game over"
press x 0.3                      # any key: a fresh main menu
until_state "menu 0" space
step Up "entry 9"                # "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
after=$(setting HSWildWest)
[ "$after" = "$best" ] || fail "HSWildWest is '$after' after leaving, '$best' at game over"
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "wildwest: ok (final score $score, HSWildWest=${best:-none})"
