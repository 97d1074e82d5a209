#!/usr/bin/env python3
"""Timing probes for tools/measure-lean.sh, read from SDL's disk audio output.

The disk driver renders 512-frame chunks of 16-bit stereo and hands each to
the C library, which passes them on to the file in bursts. A burst of one
chunk ends with the chunk that has just started to play; a larger one is
written when the next chunk arrives and finds the buffer full, so that next
chunk, not yet in the file, is the one starting to play. A straight line
through the burst times gives the moment the output reaches any frame.

  lean_probe.py start AUDIO -- COMMAND...
      runs COMMAND, waits for the first sample that is not silence, ends the
      program (SIGTERM) and prints the milliseconds from the start to that
      sample.
  lean_probe.py key AUDIO STATEFILE KEY CUTKEY MEMBER_WAV COUNT
      COUNT times: waits for the state "play" (launching a new ball when
      one was lost, stopping early at game over), presses KEY (XTEST), finds
      the answering voice MEMBER_WAV in the output, presses CUTKEY to cut
      it short; prints each latency in ms and then the median.
"""
import ctypes
import os
import signal
import statistics
import struct
import subprocess
import sys
import time

RATE = 48000
FRAME = 4  # bytes of one stereo frame
CHUNK = 512  # frames the game asks the device for at a time


class Output:
    """The growing capture: burst times, and its samples read on demand."""

    def __init__(self, path):
        self.path = path
        self.bursts = []  # (monotonic seconds, file size)
        self.size = -1

    def poll(self):
        try:
            size = os.stat(self.path).st_size
        except FileNotFoundError:
            return
        if size != self.size:
            if size > 0 and self.size >= 0:
                self.bursts.append((time.monotonic(), size))
            self.size = size

    def watch(self, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.poll()
            time.sleep(0.0002)

    def samples(self, start_frame, end_frame):
        with open(self.path, "rb") as f:
            f.seek(start_frame * FRAME)
            data = f.read(max(0, end_frame - start_frame) * FRAME)
        return struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])

    def playing(self, near):
        """(time, frame starting to play) at each burst near a moment."""
        steps = sorted(b[1] - a[1] for a, b in zip(self.bursts, self.bursts[1:]))
        buffered = bool(steps) and steps[len(steps) // 2] > CHUNK * FRAME
        lag = 0 if buffered else CHUNK
        return [(t, s / FRAME - lag) for t, s in self.bursts if abs(t - near) < 0.4]

    def time_of_frame(self, frame, near):
        """When the output reaches `frame`, from the bursts near that time."""
        pts = self.playing(near)
        if len(pts) < 4:
            raise SystemExit("lean_probe: too few output bursts to time the sound")
        n = len(pts)
        mt = sum(t for t, _ in pts) / n
        mp = sum(p for _, p in pts) / n
        slope = sum((t - mt) * (p - mp) for t, p in pts) / sum((t - mt) ** 2 for t, _ in pts)
        return mt + (frame - mp) / slope

    def frame_at(self, when):
        """The output's position at a moment (the inverse of time_of_frame)."""
        pts = self.playing(when)
        n = len(pts)
        mt = sum(t for t, _ in pts) / n
        mp = sum(p for _, p in pts) / n
        slope = sum((t - mt) * (p - mp) for t, p in pts) / sum((t - mt) ** 2 for t, _ in pts)
        return mp + (when - mt) * slope


def first_loud(samples, threshold):
    for i, v in enumerate(samples):
        if abs(v) > threshold:
            return i
    return -1


def start(audio, command):
    try:
        os.unlink(audio)
    except FileNotFoundError:
        pass
    out = Output(audio)
    began = time.monotonic()
    game = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    checked = 0  # frames already searched
    onset = -1
    deadline = began + 10
    while onset < 0 and time.monotonic() < deadline:
        out.poll()
        frames = max(out.size, 0) // FRAME
        if frames > checked:
            s = out.samples(checked, frames)
            i = first_loud(s, 0)
            if i >= 0:
                onset = checked + i // 2
            checked = frames
        time.sleep(0.0002)
    seen = time.monotonic()
    out.watch(0.25)  # bursts after it, for the line
    game.send_signal(signal.SIGTERM)
    game.wait()
    if onset < 0:
        raise SystemExit("lean_probe: no sound within 10 s")
    if os.environ.get("LEAN_DEBUG"): print("seen %.1f onset %d bursts %s" % ((seen - began) * 1000, onset, [(round((t - began) * 1000, 1), s) for t, s in out.bursts[:6]]), file=sys.stderr)
    print("%.1f" % ((out.time_of_frame(onset, seen) - began) * 1000))


class Keys:
    def __init__(self):
        self.x = ctypes.CDLL("libX11.so.6")
        self.t = ctypes.CDLL("libXtst.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XStringToKeysym.restype = ctypes.c_ulong
        self.x.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.t.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.d = self.x.XOpenDisplay(None)
        if not self.d:
            raise SystemExit("lean_probe: no X display")

    def send(self, name, down):
        code = self.x.XKeysymToKeycode(self.d, self.x.XStringToKeysym(name.encode()))
        self.t.XTestFakeKeyEvent(self.d, code, 1 if down else 0, 0)
        self.x.XSync(self.d, 0)


def read_wav_samples(path):
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(b"data")
    n = struct.unpack("<I", data[at + 4 : at + 8])[0]
    body = data[at + 8 : at + 8 + n]
    rate = struct.unpack("<I", data[24:28])[0]
    channels = struct.unpack("<H", data[22:24])[0]
    return struct.unpack("<%dh" % (len(body) // 2), body[: len(body) // 2 * 2]), rate, channels


def state(path):
    try:
        with open(path) as f:
            return f.read().strip()
    except FileNotFoundError:
        return ""


def key(audio, state_file, key_name, cut_key, member, count):
    voice, voice_rate, voice_channels = read_wav_samples(member)
    keys = Keys()
    out = Output(audio)
    results = []
    tries = 0
    while len(results) < count and tries < 3 * count:
        tries += 1
        end = time.monotonic() + 60
        while state(state_file) != "play":
            now_in = state(state_file).split("\n")[0]
            if now_in in ("game over", "press any key"):
                break  # every ball drained: what was read so far stands
            if now_in == "launch":  # a ball was lost: the next one launched
                keys.send("space", True)
                time.sleep(0.1)
                keys.send("space", False)
                time.sleep(0.5)
            if time.monotonic() > end:
                raise SystemExit("lean_probe: the game is not in play")
            time.sleep(0.05)
        if state(state_file) != "play":
            break
        out.watch(0.5)  # the bursts before the press
        out.poll()
        background = out.samples(max(0, out.size // FRAME - RATE // 5), out.size // FRAME)
        threshold = max(500, 4 * max((abs(v) for v in background), default=0))
        pressed = time.monotonic()
        keys.send(key_name, True)
        out.watch(0.35)
        keys.send(key_name, False)
        keys.send(cut_key, True)
        time.sleep(0.1)
        keys.send(cut_key, False)
        at = int(out.frame_at(pressed))
        s = out.samples(at - CHUNK, at + RATE // 3)
        i = first_loud(s, threshold)
        # The voice's own lead-in: its first sample past the same level
        # (the output carries it at half amplitude).
        j = first_loud(voice, 2 * threshold)
        if i < 0 or j < 0 or state(state_file) not in ("play", ""):
            time.sleep(1)
            continue  # a lost ball or a louder moment: not a clean reading
        # Where the voice's first frame went out, in the output's own frames.
        start_frame = at - CHUNK + i // 2 - (j // voice_channels) * RATE / voice_rate
        heard = out.time_of_frame(start_frame, pressed)
        results.append((heard - pressed) * 1000)
        if os.environ.get("LEAN_DEBUG"):
            print("voice starts %d frames after the press, threshold %d" % (start_frame - at, threshold), file=sys.stderr)
        print("%.1f" % results[-1], flush=True)
        time.sleep(0.5)
    if not results:
        raise SystemExit("lean_probe: no clean reading")
    print("median %.1f" % statistics.median(results))


def main():
    if len(sys.argv) > 3 and sys.argv[1] == "start" and sys.argv[3] == "--":
        start(sys.argv[2], sys.argv[4:])
    elif len(sys.argv) == 8 and sys.argv[1] == "key":
        key(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6], int(sys.argv[7]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
