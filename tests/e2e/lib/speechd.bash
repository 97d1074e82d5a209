# A speech-dispatcher of our own on a private socket, whose output module
# writes each text it is given to $SD/said.txt instead of a sound card.
# Its log at level 5 names every message it queues. Source after
# common.bash; start_speechd [SECONDS_A_TEXT_TAKES] starts it and points
# the game at it.
SD="$WORK/speechd"
SD_PID=""
SD_LOG="$SD/log/speech-dispatcher.log"
trap 'in_main_shell && [ -n "$SD_PID" ] && kill "$SD_PID" 2>/dev/null; cleanup' EXIT

start_speechd() {
    local _
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
GenericExecuteSynth "printf '%s\\\\n' \'\$DATA\' >> $SD/said.txt; sleep ${1:-0.3}"
GenericLanguage "en" "en" "utf-8"
AddVoice "en" "MALE1" "plain"
CONF
    speech-dispatcher -s -t 0 -C "$SD/conf" -c unix_socket -S "$SD/speechd.sock" -L "$SD/log" >"$SD/daemon.out" 2>&1 &
    SD_PID=$!
    for _ in $(seq 100); do [ -S "$SD/speechd.sock" ] && break; sleep 0.1; done
    [ -S "$SD/speechd.sock" ] || fail "speech-dispatcher did not start: $(cat "$SD/daemon.out")"
    export SPEECHD_ADDRESS="unix_socket:$SD/speechd.sock"
}
