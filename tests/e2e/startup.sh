#!/usr/bin/env bash
# The real program starts, plays its jingles (sound reaches the device), and
# Escape ends it through the orderly exit, which saves every setting.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
sleep 2                      # the logo jingle is playing
[ "$(peak_level)" -gt 1000 ] || fail "no sound reached the audio device"
press Escape                 # skips the logo jingle
sleep 1
press Escape                 # skips the title jingle
sleep 1
sleep 1
touch "$WORK/before-exit"
press Escape                 # at the main menu: leave the game
wait_exit 20
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
[ -f "$SETTINGS" ] || fail "no settings file at $SETTINGS"
# Saved again by the orderly exit, not only at start-up.
[ "$SETTINGS" -nt "$WORK/before-exit" ] || fail "the settings were not saved on leaving"
for key in Version GameMode GameSpeed HSPacMan HSSoccerStar HSSafari HSHeist HSHauntedHouse HSWildWest \
           MVPacMan MVSoccerStar MVHeist MVSafari MVHauntedHouse MVWildWest 0I 0S 0P 5I 5S 5P; do
    grep -q "^$key=" "$SETTINGS" || fail "settings file lacks $key"
done
[ "$(setting GameMode)" = 0 ] || fail "GameMode is not 0"
echo "startup: ok (peak level $(peak_level))"
