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

choose_heist() {
    until_state "menu 0" space   # Space skips the jingles and the instructions
    for entry in 1 2; do step Down "entry $entry"; done     # Heist
    press Return
    until_state "launch|play" space 30    # Space cuts the table's intro
    until_state "play" space 30  # and launches the ball
}

start_display
start_game
choose_heist
# Play: a Shift fires a launcher whenever the ball sits on one (elsewhere it
# only clicks); Space launches again after a busted ball.
play_rounds 12 press Shift_L Shift_R space

# Escape ends the game in play (at a launch prompt it would leave without a
# game over): game over, "your score was zero points", the prompt.
saved_at=$(stat -c %s "$SDL_DISKAUDIOFILE")
end_game_with_escape 120 choose_heist
wait_state "game over|press any key" 5
wait_state "press any key" 60
sleep 0.5
[ "$(peak_since "$saved_at")" -gt 1000 ] || fail "nothing was heard after game over"
best=$(setting HSHeist)
[ -z "$best" ] || [ "$best" = 0 ] || fail "HSHeist is '$best' after a game left with Escape"
press x 0.3                      # any key: a fresh main menu
until_state "menu 0" space
step Up "entry 9"                # "exit"
press Return                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
echo "heist: ok"
