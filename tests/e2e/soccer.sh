#!/usr/bin/env bash
# A player chooses Soccer Star from the main menu with real key presses
# (Down once, Enter), launches the ball, plays a while (Shift chooses a side
# and shoots in the kick-off and striker aims and only clicks elsewhere;
# Space blocks), ends the match with Escape, hears the end of the match,
# goes back to the main menu with a key and leaves through entry 9. Escape
# gives up the score on this table, so no best score is stored.
source "$(dirname "$0")/lib/common.bash" "$1"

# The loudest sample written to the audio device after byte OFFSET.
peak_since() {
    tail -c +"$(( $1 + 1 ))" "$SDL_DISKAUDIOFILE" | od -An -v -td2 -w2 | awk '{v=$1<0?-$1:$1; if(v>m)m=v} END{print m+0}'
}

choose_soccer() {
    until_state "menu 0" space   # Space skips the jingles and the instructions
    step Down "entry 1"          # Soccer Star
    press Return
    until_state "play" space 30  # Space launches the ball
}

start_display
start_game
choose_soccer
for _ in $(seq 12); do
    sleep 0.5; press Shift_L 0.2
    sleep 0.5; press Shift_R 0.2
    sleep 0.3; press space 0.2
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"

# Escape ends the match (a press during a voice is not heard, so it is
# pressed again until the match is over): the horn, game over, the score,
# the goals and who won, then the press-any-key prompt.
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
end_game_with_escape 120 choose_soccer
wait_state "game over|press any key" 5
wait_state "press any key" 60
sleep 0.5
[ "$(peak_since "$saved_at")" -gt 1000 ] || fail "nothing was heard at the end of the match"
press x 0.3                      # any key: a fresh main menu
until_state "menu 0" space
step Up "entry 9"                # "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSSoccerStar)
[ -z "$best" ] || [ "$best" = 0 ] || fail "HSSoccerStar is '$best' after a match given up with Escape"
# Nothing hard-clipped in the whole recorded run, menus and match.
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "soccer: ok"
