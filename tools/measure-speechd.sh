#!/usr/bin/env bash
# Time from a key press to speech-dispatcher receiving the text: the real
# program with system speech on, a private daemon (its output module writes
# files, no sound card), 50 steps down the main menu. Each step's key-down
# and key-up times are taken just before xdotool sends them; the receipt
# time is the daemon's own log line queueing the message. Prints the median
# and the spread, from key-down and from key-up (a menu voice starts once
# the arrow is let go, as a recorded one does).
# Usage: tools/measure-speechd.sh [BUILD_DIR] [STEPS]
source "$(dirname "$0")/../tests/e2e/lib/common.bash" "${1:-build}"
STEPS=${2:-50}

source "$(dirname "$0")/../tests/e2e/lib/speechd.bash"
start_speechd 0.2
LOG="$SD_LOG"
queued() { grep -c "Queueing message" "$LOG" 2>/dev/null || true; }

mkdir -p "$(dirname "$SETTINGS")"
printf '[Settings]\nVoice=1\n' >"$SETTINGS"
start_display
start_game
until_state "menu 0" space
sleep 1
: >"$WORK/times"
for step in $(seq "$STEPS"); do
    before=$(queued)
    down=$(date +%s.%N); xdotool keydown Down
    sleep 0.05
    up=$(date +%s.%N); xdotool keyup Down
    for _ in $(seq 400); do [ "$(queued)" -gt "$before" ] && break; sleep 0.005; done
    [ "$(queued)" -gt "$before" ] || fail "step $step: no text reached the daemon"
    # "[Mon Dec  7 18:35:06 2026 : 425047] speechd: ... Queueing message |...|"
    line=$(grep "Queueing message" "$LOG" | tail -n1)
    stamp=$(sed -n 's/^\[\(.*\) : \([0-9]*\)\].*/\1/p' <<<"$line")
    micros=$(sed -n 's/^\[.* : \([0-9]*\)\].*/\1/p' <<<"$line")
    # The daemon reads its seconds and its microseconds apart: across a
    # second's turn the seconds can lag one behind.
    got=$(awk -v s="$(date -d "$stamp" +%s)" -v u="$micros" -v d="$down" \
        'BEGIN { g = s + u / 1e6; if (g < d) g += 1; printf "%.6f", g }')
    awk -v d="$down" -v u="$up" -v g="$got" 'BEGIN { printf "%.1f %.1f\n", (g - d) * 1000, (g - u) * 1000 }' >>"$WORK/times"
    sleep 0.4  # the entry's words end before the next step
done
leave_with_escape
summary() {
    sort -n | awk '{ v[NR] = $1 } END { printf "median %.1f ms, min %.1f, max %.1f (n=%d)", v[int((NR + 1) / 2)], v[1], v[NR], NR }'
}
echo "key-down to daemon: $(cut -d' ' -f1 "$WORK/times" | summary)"
echo "key-up to daemon:   $(cut -d' ' -f2 "$WORK/times" | summary)"
