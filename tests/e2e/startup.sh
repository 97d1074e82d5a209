#!/usr/bin/env bash
# The real program starts, plays its jingles (sound reaches the device), and
# Escape ends it through the orderly exit, which saves every setting.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
# Start-up saves the settings before the jingles (the first save); the
# logo jingle reaches the audio device.
wait_for_first_sound
first_save=$(stat -c %i "$SETTINGS")
leave_with_escape
# Every save replaces the file, so a new one shows the exit saved again.
[ "$(stat -c %i "$SETTINGS")" != "$first_save" ] || fail "the settings were not saved on leaving"
for key in Version GameMode GameSpeed HSPacMan HSSoccerStar HSSafari HSHeist HSHauntedHouse HSWildWest \
           MVPacMan MVSoccerStar MVHeist MVSafari MVHauntedHouse MVWildWest 0I 0S 0P 5I 5S 5P; do
    grep -q "^$key=" "$SETTINGS" || fail "settings file lacks $key"
done
[ "$(setting GameMode)" = 0 ] || fail "GameMode is not 0"
echo "startup: ok (peak level $(peak_level))"
