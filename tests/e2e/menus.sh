#!/usr/bin/env bash
# A player walks the main menu with real key presses into the options menu,
# switches the game mode, comes back and leaves through the last entry.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
until_state "menu 0" space       # Space skips the jingles and the instructions
step Up "entry 9"                # "exit"
step Up "entry 8"                # "options"
press Return
until_state "options 0" space    # into the options menu, its instructions cut
step Down "entry 1"              # "game mode"
step Return "options 1"          # switched to classic, said, stored at once
[ "$(setting GameMode)" = 1 ] || fail "the game mode was not stored at once"
press Escape                     # back to a fresh main menu
until_state "menu 0" space
step Up "entry 9"
press Return                     # leave
wait_exit 20
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
for key in Version GameMode GameSpeed HSPacMan HSSoccerStar HSSafari HSHeist HSHauntedHouse HSWildWest \
           MVPacMan MVSoccerStar MVHeist MVSafari MVHauntedHouse MVWildWest \
           0I 0S 0P 1I 1S 1P 2I 2S 2P 3I 3S 3P 4I 4S 4P 5I 5S 5P; do
    grep -q "^$key=" "$SETTINGS" || fail "settings file lacks $key"
done
[ "$(setting GameMode)" = 1 ] || fail "GameMode is not kept"
echo "menus: ok"
