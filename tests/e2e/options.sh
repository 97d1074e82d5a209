#!/usr/bin/env bash
# A player walks the whole options menu of the real program with real key
# presses: every entry is spoken, every option is changed (with Enter, and
# the volumes also with the arrows), each change is heard and is in the
# settings file at once. Every step waits on what the program reports (its
# state file, and TAMBLOR_TRACE=1 naming each sound it makes).
source "$(dirname "$0")/lib/common.bash" "$1"
export TAMBLOR_TRACE=1

mark() { LOG_MARK=$(wc -l <"$WORK/game.log"); }
traced() { tail -n +"$(( LOG_MARK + 1 ))" "$WORK/game.log" | grep -qF "tamblor-trace: sound $1"; }
# heard MEMBER...: each was made (played) since the last mark.
heard() {
    local m
    for m in "$@"; do traced "sounds/$m.wav" || fail "sounds/$m.wav was not heard"; done
}
# stored KEY VALUE: the settings file has it (saved at once: waited for
# only as long as the save itself takes).
stored() {
    local _
    for _ in $(seq 100); do
        [ -f "$SETTINGS" ] && [ "$(setting "$1")" = "$2" ] && return 0
        sleep 0.05
    done
    fail "$1 is '$(setting "$1")' in the settings file, not '$2'"
}
# change KEY STATE: presses KEY on the current entry and waits until the
# option has been changed and said (the menu then notes STATE again).
change() {
    mark
    press "$1"
    wait_state "$2" 30
}

start_display
start_game
until_state "menu 0" space       # Space skips the jingles and the instructions
step Up "entry 9"
step Up "entry 8"
press Return
until_state "options 0" space    # into the options menu, its instructions cut

# Every entry is spoken: Up from the first reaches "leave", Down walks on.
mark
step Up "entry 14"
heard menu/mnuEOM
names=(mnuTestS mnuGMode mnuGSped mnuMInst mnuSpVol mnuFxVol mnuMuVol mnuDuck mnuPan mnuRate mnuVoice mnuScrn mnuRumbl mnuNHits)
for i in "${!names[@]}"; do
    mark
    step Down "entry $i"
    heard "menu/${names[$i]}"
    if [ "$i" = 0 ]; then
        change Return "options 0"; heard TestSpkr
    fi
    case $i in
        1) change Return "options 1"; heard menu/mnuClass; stored GameMode 1 ;;
        2) change Return "options 2"; heard menu/mnuInsan; stored GameSpeed 1 ;;
        3) change Return "options 3"; heard menu/mnuFirst; stored MenuInstructions 1 ;;
        4) change Return "options 4"; heard numbers/3 menu/mnuDbDn; stored SpeechVolume -300
           step Up "entry 3"; step Down "entry 4"
           change Right "options 4"; heard menu/mnuFull; stored SpeechVolume 0 ;;
        5) change Left "options 5"; heard numbers/3 menu/mnuDbDn; stored EffectsVolume -300 ;;
        6) change Return "options 6"; heard numbers/3 menu/mnuDbDn; stored MusicVolume -300
           step Up "entry 5"; step Down "entry 6"
           change Right "options 6"; heard menu/mnuFull; stored MusicVolume 0 ;;
        7) change Return "options 7"; heard numbers/15 menu/mnuDbUnd; stored Ducking 1500 ;;
        8) change Return "options 8"; heard menu/mnuPanWd; stored Pan 1 ;;
        9) change Right "options 9"; heard numbers/1 numbers/hundred numbers/20 numbers/5 menu/mnuPcent
           stored SpeechRate 125 ;;
        10) change Left "options 10"; heard menu/mnuVRec; stored Voice 0 ;;
        11) change Return "options 11"; heard menu/mnuScCO; stored Screen 1
            step Up "entry 10"; step Down "entry 11"
            change Right "options 11"; heard menu/mnuScTC; stored Screen 0 ;;
        12) change Left "options 12"; heard menu/mnuRmbOf; stored Rumble 0
            step Up "entry 11"; step Down "entry 12"
            change Right "options 12"; heard menu/mnuRmbOn; stored Rumble 1 ;;
        13) change Return "options 13"; heard menu/mnuNHOn; stored NameHits 1
            step Up "entry 12"; step Down "entry 13"
            change Left "options 13"; heard menu/mnuNHOf; stored NameHits 0 ;;
    esac
done

press Escape                     # back to a fresh main menu: only its entry now
until_state "menu 0" space
step Up "entry 9"
press Return                     # leave
wait_exit 20
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
# What the walk set, and every key the file always had, are all kept.
for pair in GameMode=1 GameSpeed=1 MenuInstructions=1 SpeechVolume=0 EffectsVolume=-300 MusicVolume=0 \
            Ducking=1500 Pan=1 SpeechRate=125; do
    [ "$(setting "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is not kept as ${pair#*=}"
done
for key in Version HSPacMan HSSoccerStar HSSafari HSHeist HSHauntedHouse HSWildWest \
           MVPacMan MVSoccerStar MVHeist MVSafari MVHauntedHouse MVWildWest 0I 0S 0P 5I 5S 5P; do
    grep -q "^$key=" "$SETTINGS" || fail "settings file lacks $key"
done
[ "$(peak_level)" -gt 0 ] || fail "nothing reached the sound device"
echo "options: ok"
