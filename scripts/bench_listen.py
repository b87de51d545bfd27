#!/usr/bin/env python3
"""Measures velk0-ecoute on a JACK server and prints the figures.

Run through scripts/bench-listen.sh, which builds the release preset, starts
a dummy JACK server and a null sink; this script plays a keyboard (a JACK
client of its own, tests/e2e/jack_client.py) into velk0-ecoute and measures:

  line    from the last key of a chord to its line on velk0-ecoute's output
          (from the JACK cycle that sent the key, as the keyboard's process
          callback saw the monotonic clock, to the time the line was read
          from the pipe); a chord whose line did not come is counted apart
  midi    the thru to a JACK port: from the cycle that carried a note-on into
          velk0-ecoute's input to the frame at which it reached the port
          kalvesta chose (exact, from JACK's frame times)
  jack    keys to sound on the JACK sink (VELK0_AUDIO=jack): from the frame
          at which a note-on reached velk0-ecoute's JACK input to the frame
          of the woodblock's first sample on its JACK output (exact, from
          JACK's frame times: the keyboard's own audio input listens to it)
  sdl     the thru to the embedded synthesizer's live output (SDL, into the
          null sink): from the JACK cycle that sent a note-on to the first
          sound of the woodblock in the sink's monitor
  wav     the thru into a WAV file, which velk0 renders in step with its
          clock: how far each woodblock's sound lies from where its arrival
          (velk0's clock, in the trace) puts it, the first note's giving the
          file's origin

Each prints the median and the worst of its notes. Only the standard library,
python3-jack-client and the two helpers are used.
"""

import argparse
import array
import json
import os
import queue
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, HERE)

from bench_sound import RATE, Recorder, mono_peaks, read_wav  # noqa: E402
from jack_client import TestClient  # noqa: E402

WOODBLOCK = 115
WINDOW = RATE // 5  # where a note's sound is looked for: 200 ms from its time
# On the JACK output, a note's sound starts with its first sample over four
# times the loudest of the 5 ms before it (what is left of the note before),
# and over -60 dBFS.
TAIL_FRAMES = 240
OVER_TAIL = 4
FIRST_SAMPLE = 0.001


class Keyboard(TestClient):
    """The keyboard, with an audio input of its own that keeps what it hears,
    each cycle's samples with the frame of the first."""

    def __init__(self):
        super().__init__("clavier", inputs=["retour"], outputs=["touches"])
        self.ear = self.client.inports.register("oreille")
        self.heard = queue.Queue()

    def _process(self, frames):
        super()._process(frames)
        self.heard.put((self.client.last_frame_time, bytes(self.ear.get_buffer())))

    def take_heard(self):
        """What was heard so far: the first frame, and the samples from it."""
        cycles = []
        while not self.heard.empty():
            cycles.append(self.heard.get())
        samples = array.array("f")
        for start, data in cycles:
            samples.frombytes(data)
        return (cycles[0][0] if cycles else 0), samples


def first_samples(sent, origin, samples):
    """For each frame in `sent`, how many frames after it the sound that
    follows it starts (before the next), or nothing when it does not."""
    found = []
    for i, frame in enumerate(sent):
        at = frame - origin
        end = (sent[i + 1] if i + 1 < len(sent) else origin + len(samples)) - origin
        if at < TAIL_FRAMES:
            found.append(None)
            continue
        tail = max(abs(v) for v in samples[at - TAIL_FRAMES : at])
        over = max(FIRST_SAMPLE, OVER_TAIL * tail)
        found.append(next((j for j, v in enumerate(samples[at:end]) if abs(v) >= over), None))
    return found


class Listener:
    """velk0-ecoute on input 0, its lines kept with the time each was read."""

    def __init__(self, args, env, kalvesta_choice):
        subprocess.run([args.kalvesta, str(kalvesta_choice)], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        self.proc = subprocess.Popen([args.ecoute, "0"], env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.lines = []
        self.ready = threading.Event()
        threading.Thread(target=self._read, daemon=True).start()
        if not self.ready.wait(20):
            raise RuntimeError("velk0-ecoute does not listen: %s" % self.proc.stderr.read())

    def _read(self):
        for raw in self.proc.stdout:
            line = raw.decode("utf-8").rstrip("\n")
            self.lines.append((time.monotonic(), line))
            if "q ou \u00c9chap pour finir" in line:
                self.ready.set()

    def stop(self):
        self.proc.terminate()
        self.proc.wait()



def env_for(args, root, **extra):
    env = dict(os.environ, VELK0_ROOT=root, VELK0_DIALOGS="terminal",
               VELK0_SOUNDFONT=args.soundfont)
    env.update(extra)
    return env


def port_number(args, env, name):
    listed = subprocess.run([args.kalvesta], env=env, check=True, capture_output=True).stdout
    for line in listed.decode("utf-8").splitlines():
        if line.split(" : ", 1)[-1].startswith(name + ","):
            return int(line.split(" ", 1)[0])
    raise RuntimeError("kalvesta does not list %s" % name)


def summary(name, values, unit="ms"):
    print("%s: median %.1f %s, worst %.1f %s, %d notes"
          % (name, statistics.median(values), unit, max(values), unit, len(values)))


def chords_and_thru(args, keyboard, root):
    """Chord lines and the thru to a JACK port, in one run."""
    env = env_for(args, root, VELK0_AUDIO="none")
    listener = Listener(args, env, port_number(args, env, "clavier:retour"))
    chords = [((48, 52, 55), "majeur : o4 c e g"), ((53, 57, 60), "majeur : o4 f a >c")]
    keyboard.take_sent(), keyboard.take_received()
    for i in range(args.notes):
        for key in chords[i % 2][0]:
            keyboard.send("touches", [0x90, key, 90])
        time.sleep(0.25)
        for key in chords[i % 2][0]:
            keyboard.send("touches", [0x80, key, 0])
        time.sleep(0.1)
    keyboard.barrier()
    time.sleep(0.2)
    listener.stop()
    sent = [(f, t) for _, f, d, t in keyboard.take_sent() if d[0] == 0x90]
    came = [f for _, f, d in keyboard.take_received() if d[0] == 0x90]
    # Each chord's last key, and the first line after it that names it.
    lines, missed = [], 0
    said = [(t, line) for t, line in listener.lines if " : o" in line]
    for i in range(args.notes):
        struck = sent[3 * i + 2][1]
        after = [t for t, line in said if t >= struck and line == chords[i % 2][1]]
        if after and (i + 1 == args.notes or after[0] < sent[3 * i + 3][1]):
            lines.append((after[0] - struck) * 1000)
        else:
            missed += 1
    # The first key of each chord.
    thru = [(c - s[0]) * 1000 / args.jack_rate for s, c in zip(sent[::3], came[::3])]
    summary("line: last key to its line (settle time %d ms)" % args.settle_ms, lines)
    if missed:
        print("line: %d chords of %d had no line of their own" % (missed, args.notes))
    if len(came) != len(sent):
        print("midi: %d note-ons sent, %d came back" % (len(sent), len(came)))
    summary("midi: note-on on the JACK input to the JACK output port", thru)


def woodblocks(keyboard, count, frames=False):
    """Plays `count` woodblock notes 250 ms apart; the times they were handed
    (or the frames at which they were)."""
    keyboard.send("touches", [0xC0, WOODBLOCK])
    time.sleep(0.5)
    keyboard.take_sent()
    for _ in range(count):
        keyboard.send("touches", [0x90, 72, 110])
        time.sleep(0.05)
        keyboard.send("touches", [0x80, 72, 0])
        time.sleep(0.2)
    keyboard.barrier()
    return [f if frames else t for _, f, d, t in keyboard.take_sent() if d[0] == 0x90]


def keys_to_jack(args, keyboard, root):
    """Keys to sound on the JACK sink, in frames."""
    env = env_for(args, root, VELK0_AUDIO="jack")
    listener = Listener(args, env, 0)
    ports = keyboard.client.get_ports("velk0.*:gauche", is_audio=True, is_output=True)
    if not ports:
        listener.stop()
        print("jack: velk0-ecoute has no JACK output port")
        return
    keyboard.client.connect(ports[0], "clavier:oreille")
    time.sleep(0.3)
    keyboard.take_heard()
    sent = woodblocks(keyboard, args.notes, frames=True)
    time.sleep(0.3)
    origin, samples = keyboard.take_heard()
    listener.stop()
    found = first_samples(sent, origin, samples)
    delays = [f * 1000 / args.jack_rate for f in found if f is not None]
    if len(delays) != len(sent):
        print("jack: %d note-ons, %d sounds found after them" % (len(sent), len(delays)))
    if delays:
        summary("jack: note-on on the JACK input to its first sample on the JACK output", delays)
        print("jack: in frames: worst %d (period %d)"
              % (round(max(delays) * args.jack_rate / 1000), keyboard.client.blocksize))


def first_sound(frames, at):
    """The onset of the note whose sound starts after frame `at`: the first
    frame that reaches half the loudest of the next 200 ms (the tail of the
    note before is far below it)."""
    window = frames[max(0, at) : max(0, at) + WINDOW]
    if not window or max(window) < 100:
        return None
    half = max(window) / 2
    return max(0, at) + next(i for i, v in enumerate(window) if v >= half)


def thru_to_sdl(args, keyboard, root):
    env = env_for(args, root)
    env.pop("VELK0_AUDIO", None)
    listener = Listener(args, env, 0)
    recorder = Recorder(args.source)
    handed = woodblocks(keyboard, args.notes)
    time.sleep(0.5)
    frames, _ = recorder.stop()
    listener.stop()
    delays = []
    for t in handed:
        origin = recorder.origin_at(t)
        found = first_sound(frames, int((t - origin) * RATE))
        if found is not None:
            delays.append((found / RATE + origin - t) * 1000)
    summary("sdl: note-on on the JACK input to its first sound (null sink)", delays)


def thru_to_wav(args, keyboard, root):
    wav = os.path.join(root, "thru.wav")
    trace = os.path.join(root, "trace")
    env = env_for(args, root, VELK0_AUDIO=wav, VELK0_TRACE=trace)
    listener = Listener(args, env, 0)
    woodblocks(keyboard, args.notes)
    time.sleep(0.3)
    listener.stop()
    with open(trace, encoding="utf-8") as f:
        events = [json.loads(line) for line in f]
    arrivals = [e["at"] for e in events if e["ev"] == "heard" and e["bytes"][0] == 0x90]
    frames = mono_peaks(read_wav(wav))
    loudest = max(frames)
    first = first_sound(frames, next(i for i, v in enumerate(frames) if v >= loudest / 4) - 440)
    delays = []
    for at in arrivals:
        found = first_sound(frames, first + (at - arrivals[0] - 5) * RATE // 1000)
        if found is not None:
            delays.append((found - first) * 1000 / RATE - (at - arrivals[0]))
    summary("wav: each sound from where its arrival puts it, the first note's the origin", delays)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ecoute", required=True)
    parser.add_argument("--kalvesta", required=True)
    parser.add_argument("--source", help="the null sink's monitor (no SDL figures without)")
    parser.add_argument("--soundfont", default="/usr/share/sounds/sf2/TimGM6mb.sf2")
    parser.add_argument("--notes", type=int, default=int(os.environ.get("BENCH_NOTES", 200)))
    parser.add_argument("--jack-rate", type=int, default=48000)
    parser.add_argument("--settle-ms", type=int, default=80)
    parser.add_argument("--only", choices=["chords", "wav", "jack", "sdl"],
                        default=os.environ.get("BENCH_ONLY"))
    args = parser.parse_args()
    keyboard = Keyboard()
    keyboard.activate()
    print("SoundFont: %s; JACK: %s" % (args.soundfont, os.environ.get("JACK_DEFAULT_SERVER")))
    with tempfile.TemporaryDirectory() as root:
        if args.only in (None, "chords"):
            chords_and_thru(args, keyboard, root)
        if args.only in (None, "wav"):
            thru_to_wav(args, keyboard, root)
        if args.only in (None, "jack"):
            keys_to_jack(args, keyboard, root)
        if args.source and args.only in (None, "sdl"):
            thru_to_sdl(args, keyboard, root)
    keyboard.close()


if __name__ == "__main__":
    main()
