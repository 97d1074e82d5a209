#!/usr/bin/env bash
# SIGTERM (and SIGINT) end the real program within a second and in order,
# during a game and while a message box is up, leaving the settings file as
# it was and the single-instance lock free. A message box closes with
# Return, Space or Escape. Every step waits on what the program reports it
# is doing (its state file, and TAMBLOR_TRACE=1 naming each sound it
# creates) or on its windows.
source "$(dirname "$0")/lib/common.bash" "$1"
export TAMBLOR_TRACE=1
# Nothing here listens to the output, and a process writing audio to a file
# can be held in the kernel by a busy disk, which would time the disk, not
# the game's end.
export SDL_AUDIODRIVER=dummy

# Two copies of the program: one without its voice folder system/ (the
# version key then gets a message box), one whose archive is cut short
# (start-up refuses it with a message box).
NOVOICES="$WORK/novoices"
BROKEN="$WORK/broken"
mkdir -p "$NOVOICES" "$BROKEN"
cp "$BUILD/tamblor" "$BUILD/tamblor.tmb" "$NOVOICES/"
cp -r "$BUILD/tamblor" "$BUILD/system" "$BROKEN/"
head -c "$(( $(stat -c %s "$BUILD/tamblor.tmb") - 1000 ))" "$BUILD/tamblor.tmb" >"$BROKEN/tamblor.tmb"

# wait_for WHAT SECONDS COMMAND...: until COMMAND succeeds.
wait_for() {
    local what=$1 seconds=$2 _
    shift 2
    for _ in $(seq $(( seconds * 20 ))); do
        "$@" && return 0
        [ -z "$GAME_PID" ] || kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while waiting for $what"
        sleep 0.05
    done
    fail "no $what within $seconds s"
}
# Lines of the log read so far (start_game starts a fresh log).
mark() { LOG_MARK=$(cat "$WORK/game.log" 2>/dev/null | wc -l); }
traced() { tail -n +"$(( LOG_MARK + 1 ))" "$WORK/game.log" | grep -qF "tamblor-trace: sound $1"; }
# The box is the top-level window named just "Tamblor" (the game's own is
# "Tamblor v..."). xdotool cannot read the UTF-8 name the box sets.
box_up() { xwininfo -root -children 2>/dev/null | grep -qF '"Tamblor": ('; }
box_gone() { ! box_up; }

# end_by SIGNAL: sends it and checks the game is gone within a second.
end_by() {
    local start end watchdog
    # Only there so a game that ignores the signal cannot hang the test.
    (sleep 10; kill -KILL "$GAME_PID" 2>/dev/null) &
    watchdog=$!
    # The shell's own clock: starting `date` twice would add two process
    # starts to the time measured, which a loaded machine makes long.
    start=${EPOCHREALTIME/[.,]/}
    kill -"$1" "$GAME_PID"
    set +e; wait "$GAME_PID"; GAME_STATUS=$?; set -e
    end=${EPOCHREALTIME/[.,]/}
    kill "$watchdog" 2>/dev/null || true
    GAME_PID=""
    ENDED_MS=$(( (end - start) / 1000 ))
    [ "$ENDED_MS" -lt 1000 ] || fail "SIG$1 took $ENDED_MS ms (status $GAME_STATUS)"
}

settings_untouched() {
    cmp -s "$WORK/settings.before" "$SETTINGS" || fail "the settings file changed"
    ! ls "$(dirname "$SETTINGS")" | grep -q '\.tmp-' || fail "a save temporary was left behind"
}

start_display

# 1. SIGTERM while the ball rolls on the Pac Man table.
APP=$NOVOICES
LOG_MARK=0
start_game
wait_for "main menu" 60 traced sounds/menu/mnuInstr.wav
cp "$SETTINGS" "$WORK/settings.before"
# Keys are pressed again until the game shows it took them: on a loaded
# machine a short press can fall between two of the game's passes.
until_state "launch|play" Return 60
until_state "play" space 60
end_by TERM
[ "$GAME_STATUS" = 143 ] || fail "exit status $GAME_STATUS after SIGTERM"
settings_untouched
echo "signals: SIGTERM during a game ended it in $ENDED_MS ms"

# 2. SIGTERM while a message box is up. Starting again at all shows that
#    the lock went with the first process.
unset TAMBLOR_MESSAGES
LOG_MARK=0
start_game
wait_for "main menu" 60 traced sounds/menu/mnuInstr.wav
mark
until_state "menu 0" space 60    # the instructions cut short; V then counts as a new press
version_box() {
    box_up && return 0
    press v
    for _ in $(seq 20); do box_up && return 0; sleep 0.05; done
    return 1
}
wait_for "message box" 60 version_box
wait_for "spoken error" 10 traced sounds/errors/nofile.wav
end_by TERM
[ "$GAME_STATUS" = 143 ] || fail "exit status $GAME_STATUS after SIGTERM"
settings_untouched
wait_for "message box to go with the game" 5 box_gone
echo "signals: SIGTERM during a message box ended it in $ENDED_MS ms"

# 3. The box for a damaged archive closes with each of the three keys, and
#    SIGINT ends the program while it is up.
APP=$BROKEN
for key in Return space Escape; do
    LOG_MARK=0
    start_game
    wait_for "message box" 20 box_up
    wait_for "spoken error" 10 traced system/errors/archive.wav
    press "$key"
    wait_for "box closed by $key" 5 box_gone
    wait_exit 5
    [ "$GAME_STATUS" = 1 ] || fail "exit status $GAME_STATUS for a damaged archive"
done
grep -q "cannot be used, because it is cut short" "$WORK/game.log" || fail "no message about the damaged archive"
grep -q "cut short" "$XDG_DATA_HOME/Tamblor/error-report.txt" || fail "the report file lacks the message"
start_game
wait_for "message box" 20 box_up
end_by INT
[ "$GAME_STATUS" = 130 ] || fail "exit status $GAME_STATUS after SIGINT"
wait_for "message box to go with the game" 5 box_gone
echo "signals: boxes close with Return, Space and Escape; SIGINT ended one in $ENDED_MS ms"
echo "signals: ok"
