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

# choose_pacman [ROUNDS]: from a fresh main menu to ROUNDS of play. Shift
# fires the ball from a launch hole whenever it drops into one (elsewhere it
# only clicks the flipper); Space launches again after a ball the ghosts took.
choose_pacman() {
    until_state "menu 0" space   # Space skips the jingles and the instructions
    press Return                 # entry 0: Pac Man
    until_state "launch|play" space 30    # Space cuts the table's start music
    until_state "play" space 30  # and launches the ball
    play_rounds "${1:-4}" press Shift_L Shift_R space
}

start_display
start_game
choose_pacman "${PLAY_ROUNDS:-12}"
[ "$(setting HSPacMan)" = 0 ] || fail "a best score was stored before the game ended"

# Escape ends the game while the ball rolls (at a launch prompt it would
# leave without a game over): game over, the new best score stored at once,
# then the final score spoken and the press-any-key prompt.
end_game_with_escape 120 choose_pacman
wait_state "game over|press any key" 5
best=$(setting HSPacMan)
[ -n "$best" ] && [ "$best" != 0 ] || fail "no best score was stored at game over"
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
wait_state "press any key" 60    # "your score was ...", the tables, the prompt
sleep 0.5
[ "$(peak_since "$saved_at")" -gt 1000 ] || fail "nothing was heard after game over"
press x 0.3                      # any key: a fresh main menu
until_state "menu 0" space
step Up "entry 9"                # "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
best=$(setting HSPacMan)
[ -n "$best" ] && [ "$best" != 0 ] || fail "HSPacMan is '$best' after leaving"
# Nothing hard-clipped in the whole recorded run, menus and game.
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "pacman: ok (HSPacMan=$best)"
