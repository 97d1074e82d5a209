#!/usr/bin/env bash
# A player chooses Pac Man from the main menu with real key presses, launches
# the ball, plays a while firing from the launch holes with Shift, ends the
# game with Escape, hears the final score, goes back to the main menu with a
# key and leaves the program. The best score is then in the settings file.
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
press Return                     # entry 0: Pac Man
sleep 1.5
press space                      # cuts the table's start music
# The launch prompt speaks before it listens: Space until the ball rolls.
# Later presses do nothing while the ball is in play (Space only skips a
# table when fewer than eleven dots are left).
for _ in 1 2 3 4; do sleep 1.5; press space 0.3; done
# Play: Shift fires the ball from a launch hole whenever it drops into one
# (elsewhere it only clicks the flipper); Space launches again after a ball
# the ghosts took.
for _ in $(seq 12); do
    sleep 1; press Shift_L 0.2
    sleep 1; press Shift_R 0.2
    sleep 0.5; press space 0.3
done
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
[ "$(setting HSPacMan)" = 0 ] || fail "a best score was stored before the game ended"

# Escape ends the game: game over, the new best score stored and saved,
# then the final score spoken and the press-any-key prompt.
press Escape 0.3
for _ in $(seq 100); do
    best=$(setting HSPacMan)
    [ -n "$best" ] && [ "$best" != 0 ] && break
    sleep 0.1
done
[ -n "$best" ] && [ "$best" != 0 ] || fail "no best score was stored at game over"
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
sleep 12                         # "your score was ...", the tables, the prompt
[ "$(peak_since "$saved_at")" -gt 1000 ] || fail "nothing was heard after game over"
press x 0.3                      # any key: a fresh main menu
sleep 2
press space                      # cuts the menu instructions
sleep 1
press Up;     sleep 0.8          # entry 9, "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSPacMan)
[ -n "$best" ] && [ "$best" != 0 ] || fail "HSPacMan is '$best' after leaving"
echo "pacman: ok (HSPacMan=$best)"
