#!/usr/bin/env bash
# System speech against a real speech-dispatcher: a daemon of our own on a
# private socket, whose output module writes each text it is given to a
# file instead of a sound card. With the Voice option stored on, the main
# menu's words arrive there as text, Escape still leaves (the goodbye is
# waited for until the daemon reports its end) and the game ends with 0.
source "$(dirname "$0")/lib/common.bash" "$1"

SD="$WORK/speechd"
SD_PID=""
trap '[ -n "$SD_PID" ] && kill "$SD_PID" 2>/dev/null; cleanup' EXIT
mkdir -p "$SD/conf/modules" "$SD/log"
cat >"$SD/conf/speechd.conf" <<CONF
LogLevel 5
LogDir "$SD/log"
AddModule "textfile" "sd_generic" "textfile.conf"
DefaultModule textfile
# The module writes files; it never opens a sound device, but one must be named.
AudioOutputMethod "libao"
CONF
cat >"$SD/conf/modules/textfile.conf" <<CONF
GenericExecuteSynth "printf '%s\\\\n' \'\$DATA\' >> $SD/said.txt; sleep 0.3"
GenericLanguage "en" "en" "utf-8"
AddVoice "en" "MALE1" "plain"
CONF
speech-dispatcher -s -t 0 -C "$SD/conf" -c unix_socket -S "$SD/speechd.sock" -L "$SD/log" >"$SD/daemon.out" 2>&1 &
SD_PID=$!
for _ in $(seq 100); do [ -S "$SD/speechd.sock" ] && break; sleep 0.1; done
[ -S "$SD/speechd.sock" ] || fail "speech-dispatcher did not start: $(cat "$SD/daemon.out")"
export SPEECHD_ADDRESS="unix_socket:$SD/speechd.sock"

# said TEXT [SECONDS]: waits until the daemon received TEXT as one message
# (its log at level 5 names every message it queues; the module is handed
# it sentence by sentence).
said() {
    local _
    for _ in $(seq $(( ${2:-20} * 20 ))); do
        grep -qF "Queueing message |$1| " "$SD/log/speech-dispatcher.log" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the speech service never got '$1'; it got: $(sed -n 's/.*Queueing message |\(.*\)| with.*/\1/p' "$SD/log/speech-dispatcher.log")"
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
echo "speechd: ok ($(grep -c "Queueing message" "$SD/log/speech-dispatcher.log") texts received)"
