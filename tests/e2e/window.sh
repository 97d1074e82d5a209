#!/usr/bin/env bash
# What the window shows, read back from the game's own screenshots: the
# main menu's current entry by OCR, at the first size and after a resize,
# and in a Pac Man game the ball's disc within a cell of the ball. Without
# its font the game still plays, with a plain window, and says why in its log.
source "$(dirname "$0")/lib/common.bash" "$1"
shot_tool() { python3 "$(dirname "$0")/lib/shot.py" "$@"; }
export TAMBLOR_SCREENSHOT="$WORK/shot.bmp"

# wait_shot REGEX [SECONDS]: copies the first screenshot whose notes match
# to $WORK/seen.bmp.
wait_shot() {
    local want=$1 limit=${2:-30} _
    for _ in $(seq $(( limit * 10 ))); do
        if cp "$TAMBLOR_SCREENSHOT" "$WORK/seen.bmp" 2>/dev/null &&
            [[ "$(shot_tool notes "$WORK/seen.bmp")" =~ $want ]]; then
            return 0
        fi
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while waiting for a picture of '$want'"
        sleep 0.1
    done
    fail "no picture of '$want' in $limit s (last: $(shot_tool notes "$WORK/seen.bmp" 2>&1))"
}

# The game draws only what changed; the picture must still be the one a
# whole redraw gives (its notes say whether it is).
whole_picture() {
    [[ "$(shot_tool notes "$WORK/seen.bmp")" =~ whole\ 1$ ]] || fail "drawing the changes left another picture than a redraw: $(shot_tool notes "$WORK/seen.bmp")"
}

# read_entry TEXT: the highlighted entry of the picture reads TEXT.
read_entry() {
    shot_tool entry "$WORK/seen.bmp" "$WORK/entry.bmp" || fail "no highlighted entry"
    local read
    read=$(tesseract "$WORK/entry.bmp" stdout --psm 7 2>/dev/null | tr -d '\f' | xargs)
    [[ "$read" == "$1"* ]] || fail "the current entry reads '$read', not '$1'"
    echo "window: entry read as '$read'"
}

start_display
start_game
until_state "menu 0" space
step Down "entry 1"
wait_shot "size 640 480 scene 1 current 1 "
read_entry "Soccer Star"
whole_picture

xdotool windowsize "$WINDOW" 800 600
step Down "entry 2"
wait_shot "size 800 600 scene 1 current 2 "
read_entry "Heist"

step Up "entry 1"
step Up "entry 0"
press Return
until_state "launch|play" space 30
until_state "play" space 30
wait_shot "size 800 600 scene 2 .* ball 1 "
echo "window: $(shot_tool ball "$WORK/seen.bmp" || fail "the ball is not where it is drawn")"
# The map's colours named beside it, from the table's sound tour.
[[ "$(shot_tool notes "$WORK/seen.bmp")" =~ legend\ ([0-9]+) ]] && [ "${BASH_REMATCH[1]}" -ge 4 ] ||
    fail "the map has no legend: $(shot_tool notes "$WORK/seen.bmp")"
# The rolling ball, a few pictures apart.
for _ in 1 2 3 4 5; do
    last=$(shot_tool notes "$WORK/seen.bmp")
    wait_shot "scene 2 .* ball 1 "
    [ "$(shot_tool notes "$WORK/seen.bmp")" != "$last" ] || wait_shot "scene 2 .* ball 1 "
    whole_picture
done
kill "$GAME_PID"
wait_exit 20

# No font: a plain window, and the game plays on.
export TAMBLOR_FONT=/nonexistent/font.ttf
start_game
until_state "menu 0" space
step Down "entry 1"
wait_shot "scene 1 current 1 "
shot_tool plain "$WORK/seen.bmp" >/dev/null || fail "without its font the window is not plain"
grep -q "cannot open the font /nonexistent/font.ttf" "$WORK/game.log" || fail "the missing font was not logged"
leave_with_escape
echo "window: ok"
