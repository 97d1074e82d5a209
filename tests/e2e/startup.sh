#!/usr/bin/env bash
# The real program starts, plays its jingles (sound reaches the device), and
# Escape ends it through the orderly exit, which saves every setting.
source "$(dirname "$0")/lib/common.bash" "$1"

start_display
start_game
# Start-up saves the settings before the jingles; remember that file.
for _ in $(seq 50); do [ -f "$SETTINGS" ] && break; sleep 0.1; done
[ -f "$SETTINGS" ] || fail "start-up wrote no settings file at $SETTINGS"
first_save=$(stat -c %i "$SETTINGS")
# The logo jingle reaches the audio device.
for _ in $(seq 200); do [ "$(peak_level)" -gt 1000 ] && break; sleep 0.1; done
[ "$(peak_level)" -gt 1000 ] || fail "no sound reached the audio device"
# Escape skips each jingle, cuts the menu instructions, then leaves the game.
for _ in $(seq 10); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    press Escape
    sleep 1
done
wait_exit 20
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
# Every save replaces the file, so a new one shows the exit saved again.
[ "$(stat -c %i "$SETTINGS")" != "$first_save" ] || fail "the settings were not saved on leaving"
for key in Version GameMode GameSpeed HSPacMan HSSoccerStar HSSafari HSHeist HSHauntedHouse HSWildWest \
           MVPacMan MVSoccerStar MVHeist MVSafari MVHauntedHouse MVWildWest 0I 0S 0P 5I 5S 5P; do
    grep -q "^$key=" "$SETTINGS" || fail "settings file lacks $key"
done
[ "$(setting GameMode)" = 0 ] || fail "GameMode is not 0"
echo "startup: ok (peak level $(peak_level))"
