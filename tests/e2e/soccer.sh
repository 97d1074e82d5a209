#!/usr/bin/env bash
# A player chooses Soccer Star from the main menu with real key presses
# (Down once, Enter), launches the ball, plays a while (Shift chooses and
# shoots in the kick-off and striker aims, and only clicks elsewhere; Space
# blocks), ends the match with Escape, hears the end of the match, goes back
# to the main menu with a key and leaves through entry 9. Escape gives up
# the score on this table, so no best score is stored.
source "$(dirname "$0")/lib/common.bash" "$1"

# The loudest sample written to the audio device after byte OFFSET.
peak_since() {
    tail -c +"$(( $1 + 1 ))" "$SDL_DISKAUDIOFILE" | od -An -v -td2 -w2 | awk '{v=$1<0?-$1:$1; if(v>m)m=v} END{print m+0}'
}

start_display
start_game
# Space skips the two jingles and the menu instructions.
for _ in 1 2 3; do sleep 1; press space; done
sleep 1
press Down                       # entry 1: Soccer Star
sleep 1
press Return
# The launch prompt speaks before it listens: Space until the ball rolls.
# Later presses only start the keeper's block.
for _ in 1 2 3 4; do sleep 1.5; press space 0.3; done
for _ in $(seq 12); do
    sleep 1; press Shift_L 0.2
    sleep 1; press Shift_R 0.2
    sleep 0.5; press space 0.3
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"

# Escape ends the match: the horn, game over, the score, the goals and
# who won, then the press-any-key prompt.
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
press Escape 4                   # held through any voice that is speaking
sleep 14
[ "$(peak_since "$saved_at")" -gt 1000 ] || fail "nothing was heard after the match ended"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended at the end of the match"
press x 0.3                      # any key: a fresh main menu
sleep 2
press space                      # cuts the menu instructions
sleep 1
press Up;     sleep 0.8          # entry 9, "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSSoccerStar)
[ -z "$best" ] || [ "$best" = 0 ] || fail "HSSoccerStar is '$best' after a match given up with Escape"
echo "soccer: ok"
