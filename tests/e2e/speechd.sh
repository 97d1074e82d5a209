#!/usr/bin/env bash
# System speech against a real speech-dispatcher: a daemon of our own on a
# private socket, whose output module writes each text it is given to a
# file instead of a sound card. With the Voice option stored on, the main
# menu's words arrive there as text, Escape still leaves (the goodbye is
# waited for until the daemon reports its end) and the game ends with 0.
source "$(dirname "$0")/lib/common.bash" "$1"
source "$(dirname "$0")/lib/speechd.bash"
start_speechd

# said TEXT [SECONDS]: waits until the daemon received TEXT as one message
# (its log at level 5 names every message it queues; the module is handed
# it sentence by sentence).
said() {
    local _
    for _ in $(seq $(( ${2:-20} * 20 ))); do
        grep -qF "Queueing message |$1| " "$SD_LOG" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the speech service never got '$1'; it got: $(sed -n 's/.*Queueing message |\(.*\)| with.*/\1/p' "$SD_LOG")"
}

mkdir -p "$(dirname "$SETTINGS")"
printf '[Settings]\nVoice=1\n' >"$SETTINGS"
start_display
start_game
until_state "menu 0" space
step Down "entry 1"
said "Soccer Star."
step Up "entry 0"
said "Pac Man."
grep -qxF "Pac Man." "$SD/said.txt" || fail "the output module was not given the text"
# No recorded voice was made for the entries the service said.
grep -q "mnuPM" "$WORK/game.log" && fail "the recorded voice played as well"
leave_with_escape
said "Thanks for playing Tamblor. Goodbye!"
[ "$(setting Voice)" = 1 ] || fail "the Voice option was not kept"
echo "speechd: ok ($(grep -c "Queueing message" "$SD_LOG") texts received)"
