#!/usr/bin/env bash
# How often a program that wakes its waiting main thread from another thread
# exits with a wrong status once its window is gone, for the two ways of
# waking: an SDL event pushed from the other thread (which SDL turns into an
# X client message on a second connection) and the way the game wakes, a
# descriptor of its own beside the X connection. A lone SDL program stands
# for the game, so thousands of runs take minutes.
# Usage: tools/measure-wake-race.sh [RUNS]   (default 2000 of each)
set -euo pipefail
runs=${1:-2000}
work=$(mktemp -d)
trap 'kill "$xpid" 2>/dev/null || true; rm -rf "$work"' EXIT
cat > "$work/wake.c" <<'C'
#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <unistd.h>
static int own, wakeFd;
static Uint32 wakeType;
static volatile int stop;
static int Waker(void* unused) {
    (void)unused;
    const uint64_t one = 1;
    while (!stop) {
        if (own) {
            (void)!write(wakeFd, &one, sizeof one);
        } else {
            SDL_Event e = {0};
            e.type = wakeType;
            SDL_PushEvent(&e);
        }
        usleep(100);
    }
    return 0;
}
int main(int argc, char** argv) {
    own = argc > 1 && argv[1][0] == '1';
    SDL_Init(SDL_INIT_VIDEO);
    SDL_Window* w = SDL_CreateWindow("wake", 0, 0, 64, 64, SDL_WINDOW_SHOWN);
    wakeType = SDL_RegisterEvents(1);
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_GetWindowWMInfo(w, &info);
    const int xfd = ConnectionNumber(info.info.x11.display);
    SDL_Thread* t = SDL_CreateThread(Waker, "waker", NULL);
    const Uint32 end = SDL_GetTicks() + 60;
    SDL_Event ev;
    while (SDL_GetTicks() < end) {
        while (SDL_PollEvent(&ev)) {}
        if (own) {
            struct pollfd f[2] = {{xfd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
            uint64_t n;
            poll(f, 2, 5);
            (void)!read(wakeFd, &n, sizeof n);
        } else {
            SDL_WaitEventTimeout(&ev, 5);
        }
    }
    // The waker runs on while the window goes, as the audio thread does.
    SDL_DestroyWindow(w);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    stop = 1;
    SDL_WaitThread(t, NULL);
    SDL_Quit();
    return 0;
}
C
cc -O1 "$work/wake.c" $(pkg-config --cflags --libs sdl2) -o "$work/wake"
display=:$((200 + RANDOM % 300))
Xvfb "$display" -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
for mode in 0 1; do
    bad=0 hung=0
    for _ in $(seq "$runs"); do
        status=0
        DISPLAY=$display timeout 10 "$work/wake" "$mode" >/dev/null 2>&1 || status=$?
        if [ "$status" = 124 ]; then hung=$((hung + 1)); elif [ "$status" != 0 ]; then bad=$((bad + 1)); fi
    done
    name=$([ "$mode" = 0 ] && echo "SDL event from the other thread" || echo "own wake descriptor")
    echo "$name: $bad of $runs runs exited with a wrong status, $hung hung"
done
