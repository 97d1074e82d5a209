#!/usr/bin/env bash
# A player walks the main menu with real key presses into the options menu,
# switches the game mode, comes back and leaves through the last entry.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
# Space skips the jingles (and does nothing at the main menu).
for _ in 1 2 3; do sleep 1; press space; done
sleep 1
press Up;     sleep 0.7          # entry 9, "exit"
press Up;     sleep 0.7          # entry 8, "options"
press Return; sleep 1.5          # into the options menu
press Down;   sleep 0.7          # entry 1, "game mode"
press Return; sleep 3            # switched to classic, said, stored
[ "$(setting GameMode)" = 1 ] || fail "the game mode was not stored at once"
press Escape; sleep 1.5          # back to a fresh main menu
press Up;     sleep 0.7          # entry 9
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
