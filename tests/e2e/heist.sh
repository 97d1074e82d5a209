#!/usr/bin/env bash
# A player chooses Heist from the main menu with real key presses (Down
# twice, Enter), launches the ball, plays a while firing the launchers with
# Shift, ends the game with Escape (which forfeits the score, so no best
# score is stored), hears the game end, goes back to the main menu with a
# key and leaves the program.
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
press Down;   sleep 0.8          # entry 1
press Down;   sleep 0.8          # entry 2: Heist
press Return
sleep 1.5
press space                      # cuts the table's intro
# The launch prompt speaks before it listens: Space until the ball rolls.
# Space does nothing while the ball is in play.
for _ in 1 2 3 4; do sleep 1.5; press space 0.3; done
# Play: a Shift fires a launcher whenever the ball sits on one (elsewhere it
# only clicks); Space launches again after a busted ball.
for _ in $(seq 10); do
    sleep 1; press Shift_L 0.2
    sleep 1; press Shift_R 0.2
    sleep 0.5; press space 0.3
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"

# Escape ends the game: game over, then "your score was zero points" and
# the press-any-key prompt.
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
press Escape 0.3
sleep 8
[ "$(peak_since "$saved_at")" -gt 1000 ] || fail "nothing was heard after game over"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended at game over"
press x 0.3                      # any key: a fresh main menu
sleep 2
press space                      # cuts the menu instructions
sleep 1
press Up;     sleep 0.8          # entry 9, "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSHeist)
[ -z "$best" ] || [ "$best" = 0 ] || fail "HSHeist is '$best' after a game left with Escape"
echo "heist: ok"
