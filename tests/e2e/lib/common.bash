# Shared set-up for end-to-end runs of the real program: a private X server,
# SDL's disk audio driver (the output goes to a file we can measure), private
# settings and data folders, and helpers to press keys and wait.
# Usage: source this with the build folder in $1.

set -euo pipefail
BUILD=$(cd "$1" && pwd)
WORK=$(mktemp -d /tmp/tamblor-e2e.XXXXXX)
GAME_PID=""
XVFB_PID=""

# A subshell killed just after it started (a watchdog a run ends at once)
# runs this shell's EXIT trap as its own, which would take the X server and
# the work folder from under the run: only the run's own shell cleans up.
MAIN_PID=$$
in_main_shell() {
    local self _
    read -r self _ </proc/self/stat
    [ "$self" = "$MAIN_PID" ]
}

cleanup() {
    in_main_shell || return 0
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    if [ "${KEEP_E2E:-0}" != 1 ]; then rm -rf "$WORK"; fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -n "$XVFB_PID" ]; then
        { kill -0 "$XVFB_PID" 2>/dev/null && echo "(the X server on $DISPLAY still runs" || echo "(the X server on ${DISPLAY:-?} is gone"
          echo " and its socket is $(ls -l "/tmp/.X11-unix/X${DISPLAY#:}" 2>&1))"; } >&2
    fi
    echo "--- game output ---" >&2
    cat "$WORK/game.log" >&2 || true
    exit 1
}

export HOME="$WORK/home"
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw"
export TAMBLOR_MESSAGES=stderr
# The game writes where the player is (a menu entry, the launch prompt,
# play, game over) to this file; the runs wait on it rather than on clocks.
export TAMBLOR_STATE_FILE="$WORK/state"
SETTINGS="$XDG_CONFIG_HOME/tamblor/VKM222005.ini"

# Waits cost no process: the runs poll the game's state every 50 ms, and a
# `sleep` and a `cat` started at each poll took about a third of a core per
# waiting run, which slowed every run beside it. A pipe that only this shell
# holds never has anything to read, so reading it with a time limit pauses.
exec {NAP_FD}<> <(:)
sleep() { read -r -t "$1" -u "$NAP_FD" || true; }

start_display() {
    # Xvfb picks a free display itself and tells us which, so runs side by
    # side never share one. Without -noreset the server starts over each
    # time its last client leaves (our first probe, a game that ended), and
    # a game connecting just then keeps running with its window gone.
    local n _
    exec 5>"$WORK/display"
    Xvfb -displayfd 5 -noreset -screen 0 640x480x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 5>&-
    for _ in $(seq 100); do
        n=$(tr -dc 0-9 <"$WORK/display")
        [ -n "$n" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || fail "no X server could be started"
        sleep 0.1
    done
    [ -n "$n" ] || fail "the X server named no display"
    export DISPLAY=":$n"
    for _ in $(seq 100); do
        xdotool getmouselocation >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "the X server on $DISPLAY does not answer"
}

# The game's top-level window ("Tamblor v..."), as X lists it; xdotool's
# own search is asked only if that finds nothing.
game_window() {
    local id
    id=$(xwininfo -root -children 2>>"$WORK/x.err" | awk '/ "Tamblor v/ { print $1; exit }' || true)
    [ -n "$id" ] || id=$(xdotool search --name '^Tamblor' 2>>"$WORK/x.err" | head -n1 || true)
    echo "$id"
}

# start_game [COMMAND...]: runs the program from $APP (the build folder
# unless set), or COMMAND there (an installed program).
start_game() {
    if [ $# = 0 ]; then set -- ./tamblor; fi
    (cd "${APP:-$BUILD}" && exec "$@") >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
    local _
    # Generous: a loaded machine can take a while to map the first window.
    for _ in $(seq 300); do
        WINDOW=$(game_window)
        [ -n "$WINDOW" ] && break
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            set +e; wait "$GAME_PID"; GAME_STATUS=$?; set -e
            { echo "--- the folder it ran in ---"; ls -la "${APP:-$BUILD}"; } >&2 || true
            fail "the game ended (status $GAME_STATUS) before showing its window"
        fi
        sleep 0.1
    done
    if [ -z "${WINDOW:-}" ]; then
        { echo "--- the X tools said ---"; sort "$WORK/x.err" | uniq -c | head -n 20
          echo "--- windows on $DISPLAY (X server $XVFB_PID) ---"; xwininfo -root -tree 2>&1 | head -n 40
          echo "--- X sockets and locks ---"; ls -la /tmp/.X11-unix/ 2>&1; head /tmp/.X*-lock 2>&1
          echo "--- the game's sockets ---"; ss -xp 2>&1 | grep -E "pid=($GAME_PID|$XVFB_PID)," | head -n 20
          echo "--- its DISPLAY ---"; tr '\0' '\n' </proc/"$GAME_PID"/environ | grep DISPLAY; } >&2 || true
        fail "no game window appeared"
    fi
    timeout 5 xdotool windowfocus --sync "$WINDOW" >/dev/null 2>&1 || xdotool windowfocus "$WINDOW" >/dev/null 2>&1 || true
}

# press KEY [HOLD_SECONDS]: a real key press on the game window.
press() {
    local key=$1 hold=${2:-0.15}
    # Real (XTEST) key events to the focused window, as a keyboard makes them.
    xdotool keydown "$key"
    sleep "$hold"
    xdotool keyup "$key"
}

# wait_exit SECONDS: waits for the game to end; sets GAME_STATUS.
wait_exit() {
    local _
    for _ in $(seq $(( $1 * 10 ))); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            set +e; wait "$GAME_PID"; GAME_STATUS=$?; set -e
            GAME_PID=""
            return 0
        fi
        sleep 0.1
    done
    fail "the game did not end within $1 s"
}

# Waits for the start-up save and for the jingle to reach the audio device.
wait_for_first_sound() {
    local _
    for _ in $(seq 300); do [ -f "$SETTINGS" ] && break; sleep 0.1; done
    [ -f "$SETTINGS" ] || fail "start-up wrote no settings file at $SETTINGS"
    for _ in $(seq 300); do [ "$(peak_level)" -gt 1000 ] && return 0; sleep 0.1; done
    fail "no sound reached the audio device"
}

# Escape skips the jingles, cuts the menu's instructions, then leaves; the
# game must end cleanly.
leave_with_escape() {
    local _
    for _ in $(seq 10); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        press Escape
        sleep 1
    done
    wait_exit 20
    [ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS"
}

# The loudest sample written to the audio device so far (0 = silence).
peak_level() {
    [ -s "$SDL_DISKAUDIOFILE" ] || { echo 0; return; }
    od -An -v -td2 -w2 "$SDL_DISKAUDIOFILE" | awk '{v=$1<0?-$1:$1; if(v>m)m=v} END{print m+0}'
}

# read_state: the game's current state line ("" before the first) into
# STATE, read by the shell itself; `state` prints it.
read_state() {
    STATE=""
    read -r STATE 2>/dev/null <"$TAMBLOR_STATE_FILE" || true
}
state() {
    read_state
    printf '%s\n' "$STATE"
}

# final_score: the score a game ended with, which the game notes under its
# game over and press-any-key states ("" in any other state).
final_score() {
    sed -n 's/^score //p' "$TAMBLOR_STATE_FILE" 2>/dev/null
}

# wait_state REGEX [SECONDS]: waits until the whole state line matches.
wait_state() {
    local want=$1 limit=${2:-30} _
    for _ in $(seq $(( limit * 20 ))); do
        read_state
        [[ "$STATE" =~ ^($want)$ ]] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while waiting for '$want'"
        sleep 0.05
    done
    fail "state '$(state)' is not '$want' after $limit s"
}

# until_state REGEX KEY [SECONDS [PRESSER]]: presses KEY once a second
# (skipping a voice, answering a prompt) until the state matches; PRESSER
# is the command that presses it (press, or a controller's button tap).
# A press that lands just as the state changes acts on the new one (a Space
# at the launch prompt launches), so callers also accept the state after.
until_state() {
    local want=$1 key=$2 limit=${3:-60} presser=${4:-press} _ __
    for _ in $(seq "$limit"); do
        read_state
        [[ "$STATE" =~ ^($want)$ ]] && return 0
        "$presser" "$key"
        for __ in $(seq 17); do
            read_state
            [[ "$STATE" =~ ^($want)$ ]] && return 0
            kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while waiting for '$want'"
            sleep 0.05
        done
    done
    fail "state '$(state)' is not '$want' after $limit presses of $key"
}

# play_rounds ROUNDS PRESSER LEFT RIGHT LAUNCH: plays as a player would,
# the left then the right flipper each second (Shift also fires from a launch
# hole), and LAUNCH again after a lost ball.
play_rounds() {
    local _
    for _ in $(seq "$1"); do
        sleep 0.5; "$2" "$3" 0.2
        sleep 0.5; "$2" "$4" 0.2
        [ "$(state)" = launch ] && "$2" "$5" 0.3
    done
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during play"
}

# step KEY STATE: presses KEY where the game listens and waits for STATE.
step() {
    press "$1"
    wait_state "$2" "${3:-30}"
}

# end_game_with_escape [SECONDS [AGAIN]]: presses Escape while the ball
# rolls or an aim or a hunt waits (at a launch prompt Escape would leave
# without a game over, so there Space launches first; a lost ball's words
# or a tilt are waited out, however long a busy machine makes them), until
# game over. Sets ESCAPED=1 once Escape was pressed. A ball can be lost
# between reading "play" and the Escape arriving; the Escape then leaves
# from the next launch prompt, as a player's would, and AGAIN (the script's
# way from the main menu back to a rolling ball) starts the table once more.
ESCAPED=0
end_game_with_escape() {
    local seconds=${1:-120} again=${2:-}
    local limit=$(( SECONDS + seconds ))
    while [ "$SECONDS" -lt "$limit" ]; do
        [[ "$(state)" =~ ^(game\ over|press\ any\ key)$ ]] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its game over"
        case "$(state)" in
            launch) press space 0.3; sleep 0.5 ;;
            play|aim|hunt) press Escape 0.3; ESCAPED=1; sleep 1 ;;
            menu\ *|entry\ *)
                [ "$ESCAPED" = 1 ] || fail "the table left for the main menu before any Escape"
                [ -n "$again" ] || fail "an Escape left from a launch prompt (no way back given)"
                echo "the ball was lost as Escape was pressed; the table once more" >&2
                ESCAPED=0
                "$again"
                limit=$(( SECONDS + seconds )) ;;
            *) sleep 0.3 ;;
        esac
    done
    fail "no game over within $seconds s of Escape presses (state '$(state)')"
}

# setting KEY: the stored value of a settings key.
setting() {
    sed -n "s/^$1=//p" "$SETTINGS" | head -n1
}
