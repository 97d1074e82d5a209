#!/usr/bin/env bash
# A player with a best score on Safari, in classic mode, opens the table's
# sound tour from the main menu with T, walks three entries, goes back up to
# the first and practises the table: the ball is left alone until it is lost,
# comes back ("practice: ball back") to a new launch, what it hit has been
# named, and Escape ends the practice. The fresh main menu stands on Safari; Escape leaves the game, and
# the best scores in the settings file are as they were.
source "$(dirname "$0")/lib/common.bash" "$1"
export TAMBLOR_TRACE=1           # every voice made is named in the log

mkdir -p "$(dirname "$SETTINGS")"
# A best score of 1 on Safari, as version 1.0 stores it.
printf '[Settings]\nVersion=1.0\nGameMode=1\nHSSafari=QPLL\n' >"$SETTINGS"
best_scores() { grep '^HS' "$SETTINGS" | sort; }

start_display
start_game
until_state "menu 0" space       # Space skips the jingles and the instructions
before=$(best_scores)
[ "$(setting HSSafari)" = QPLL ] || fail "the seeded best score was not kept at start-up"
for entry in 1 2 3; do step Down "entry $entry"; done   # "Safari"
step t "tour 0"                  # its tour, on "practice this table"
for entry in 1 2 3; do step Down "entry $entry"; done   # the ball, a wall, the gate
for entry in 2 1 0; do step Up "entry $entry"; done
press Return                     # practice
until_state "launch|play" space 30    # Space cuts the intro
until_state "play" space 30      # and launches the ball

# Left alone, the ball is lost sooner or later; practice gives it back.
back=0
for _ in $(seq 600); do
    case "$(state)" in
        "ball back") back=1 ;;
        launch) [ "$back" = 1 ] && break; press space 0.3 ;;
        "game over"|"press any key") fail "the practice ended by itself" ;;
    esac
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during the practice"
    sleep 0.2
done
[ "$back" = 1 ] && [ "$(state)" = launch ] || fail "no lost ball came back (state '$(state)')"
until_state "play" space 30      # the ball that came back, launched
# What the ball hits is named by the short caption of the table's tour
# (however soon a ball is lost: every one comes back).
named() { grep -q "tamblor-trace: sound tours/names/" "$WORK/game.log"; }
for _ in $(seq 300); do
    named && break
    [ "$(state)" = launch ] && press space 0.3
    sleep 0.2
done
named || fail "nothing the ball hit was named"
# practice_again: from the main menu (left on Safari) back to a rolling ball.
practice_again() {
    until_state "menu 3" space
    step t "tour 0"
    press Return
    until_state "launch|play" space 30
    until_state "play" space 30
}
end_game_with_escape 120 practice_again
wait_state "press any key" 60
press x 0.3                      # any key: a fresh main menu, on Safari
until_state "menu 3" space
press Escape                     # leave
wait_exit 30
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
[ "$(best_scores)" = "$before" ] || fail "the best scores changed: $(best_scores | tr '\n' ' ')"
"$BUILD/mixcheck" capture "$SDL_DISKAUDIOFILE" 48000 0.01 || fail "the output clipped"
echo "tour: ok"
