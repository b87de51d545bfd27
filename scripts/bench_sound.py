#!/usr/bin/env python3
"""Measures the sound of velk0's embedded synthesizer and prints the figures.

Run through scripts/bench-sound.sh, which builds velk0 and provides a sound
server with a null sink; this script only plays, records and measures:

  timing    woodblock sixteenths (62 ms apart) recorded from the sink's monitor:
            how far each onset lies from its place on the grid of 62 ms
            that fits them best (spaced by the sink's clock, which may run
            apart from the system's)
  level     peak and RMS of a C major scale and of a ten-note string chord,
            live (recorded) and rendered into a WAV file
  tail      how a WAV file ends after the last note-off
  latency   launch to first audible sound (recorded), with where the time goes
            (each step of the start, noted by start_marks.c preloaded into
            velk0, and the note-on as it leaves, read from the trace), launch
            to first note-on (read from the trace with audio off)
  memory    resident memory at its peak, with audio off and with sound
  callback  memory blocks taken on the audio thread while a piece with
            program changes plays (SDL's disk driver, a counting malloc)
  jack      from each note-on velk0 sends into a dummy JACK server of the
            benchmark's own to the cycle that hands its first frame to the
            server, at each period of --jack-periods (needs jackd and Python's
            jack module)

Only the standard library is used. Times are taken with time.monotonic().
"""

import argparse
import contextlib
import math
import os
import re
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

RATE = 44100
FULL_SCALE = 32768.0
SIXTEENTHS = "ii115: t239 o4 16 " + "c " * 32
SIXTEENTH_MS = 62
SCALE = "o3 c d e f g a b >c"
SCALE_MS = 8000
CHORD = "ii48: o2 1(c e g >c e g >c e g >c)"
FIRST_NOTE = "t120 c"  # the first sound of `velk0 't120 c'`
LOAD_NOTES = 484  # 30 s of sixteenths
LOAD_PIECE = "ii115: t239 o4 16 " + "c " * LOAD_NOTES
GAP_FRAMES = 88  # 2 ms of digital silence: the sound server had nothing to play
QUIET_DBFS = -90.0
NOTE_ON = re.compile(rb'"bytes":\[(14[4-9]|15[0-9]),[0-9]+,[1-9]')
JACK_NOTES = 40
JACK_PIECE = "ii115: t240 o4 4 p " + "c " * JACK_NOTES  # a woodblock every 250 ms, after a rest
JACK_RATE = 48000
JACK_QUIET = 0.1  # an onset comes after this long (s) below the threshold
JACK_THRESHOLD = 0.003


def dbfs(value):
    return 20 * math.log10(value / FULL_SCALE) if value > 0 else float("-inf")


def mono_peaks(pcm):
    """Largest magnitude of each stereo frame of 16-bit little-endian PCM."""
    samples = struct.unpack("<%dh" % (len(pcm) // 2), pcm[: len(pcm) // 4 * 4])
    return [max(abs(samples[i]), abs(samples[i + 1])) for i in range(0, len(samples), 2)]


def read_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(path + " is not a WAV file")
    channels, rate = struct.unpack("<HI", data[22:28])
    if channels != 2 or rate != RATE:
        raise ValueError(path + ": %d channels at %d Hz" % (channels, rate))
    return data[44:]


def level(frames):
    """Peak and RMS (dBFS) of the sounding part of a recording."""
    loud = [i for i, v in enumerate(frames) if v >= 33]
    if not loud:
        return float("-inf"), float("-inf")
    part = frames[loud[0] : loud[-1] + 1]
    rms = math.sqrt(sum(v * v for v in part) / len(part))
    return dbfs(max(part)), dbfs(rms)


def onsets(frames, count, period):
    """Onsets of `count` identical notes about `period` frames apart: the first
    from silence, the others where they match the first one's attack best."""
    peak = max(frames) if frames else 0
    if peak < 100:
        return []
    start = next(i for i, v in enumerate(frames) if v >= peak * 0.02)
    head = 220  # 5 ms of attack
    strong = max(frames[start : start + head])
    rise = next(i for i in range(start, start + head) if frames[i] >= strong / 2) - start
    found = [start]
    for k in range(1, count):
        expected = found[-1] + round(period)
        window = range(max(0, expected - int(period / 2)), expected + int(period / 2))
        crossing = next((i for i in window if i < len(frames) and frames[i] >= strong / 2), None)
        if crossing is None:
            break
        guess = crossing - rise
        best = max(
            range(guess - 32, guess + 33),
            key=lambda s: -sum(
                abs(frames[s + j] - frames[start + j]) for j in range(head) if s + j < len(frames)
            ),
        )
        found.append(best)
    return found


def grid_fit(found):
    """The grid that fits the onsets best: its spacing (frames) and each
    onset's distance from its place (frames). The spacing is the sink's: a
    sink whose clock runs apart from the system's, which times the messages,
    plays a piece that follows it a little faster or slower, evenly."""
    n = len(found)
    if n < 2:
        return 0.0, [0.0] * n
    mean_k, mean_f = (n - 1) / 2, sum(found) / n
    spacing = sum((k - mean_k) * (f - mean_f) for k, f in enumerate(found)) / sum(
        (k - mean_k) ** 2 for k in range(n))
    return spacing, [f - mean_f - (k - mean_k) * spacing for k, f in enumerate(found)]


def grid_deviation_ms(found, period):
    """Largest distance (ms) of an onset from its place on the grid of the best
    fixed delay and spacing, and how far that spacing is from `period`, in
    parts per million."""
    spacing, off = grid_fit(found)
    centre = (max(off) + min(off)) / 2 if off else 0
    farthest = max((abs(d - centre) for d in off), default=0) * 1000 / RATE
    return farthest, (spacing / period - 1) * 1e6 if len(found) > 1 else 0.0


class Recorder:
    """Records the sink's monitor with parec, noting when each block arrives."""

    def __init__(self, source):
        self.proc = subprocess.Popen(
            ["parec", "-d", source, "--raw", "--format=s16le", "--rate=%d" % RATE,
             "--channels=2", "--latency-msec=5"],
            stdout=subprocess.PIPE)
        self.chunks = []
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()
        # An idle sink may wait a while before the first block: measure from
        # the moment the recording flows.
        deadline = time.monotonic() + 5
        while len(self.chunks) < 20 and time.monotonic() < deadline:
            time.sleep(0.01)

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            block = os.read(fd, 4096)
            if not block:
                return
            self.chunks.append((time.monotonic(), block))

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
        self.thread.join()
        pcm = b"".join(c for _, c in self.chunks)
        # The least delayed block tells when the recording's frame 0 was played.
        end, self.origins = 0, []
        for arrived, block in self.chunks:
            end += len(block) // 4
            self.origins.append((arrived, arrived - end / RATE))
        return mono_peaks(pcm), min(origin for _, origin in self.origins)

    def origin_at(self, moment, span=2.0):
        """When frame 0 was played, by the least delayed block of those that
        came within `span` seconds of `moment`: over a long recording, the
        sink's clock drifts from the system's."""
        near = [origin for arrived, origin in self.origins if abs(arrived - moment) <= span]
        return min(near) if near else min(origin for _, origin in self.origins)


def velk0_env(args, soundfont, audio=None, virtual=False, trace=None):
    env = dict(os.environ)
    for name in ("VELK0_AUDIO", "VELK0_CLOCK", "VELK0_TRACE", "VELK0_ANSWERS"):
        env.pop(name, None)
    env["VELK0_SOUNDFONT"] = soundfont
    env["VELK0_ROOT"] = args.root
    if audio:
        env["VELK0_AUDIO"] = audio
    if virtual:
        env["VELK0_CLOCK"] = "virtual"
    if trace:
        env["VELK0_TRACE"] = trace
    return env


def measured(args, piece):
    """The command that runs velk0 under GNU time, which notes its peak
    resident memory (a child of this script would count the script's own)."""
    return ["/usr/bin/time", "-f", "%M", "-o", os.path.join(args.root, "memory"),
            args.velk0, piece]


def peak_memory_mb(args):
    with open(os.path.join(args.root, "memory")) as f:
        return int(f.read().split()[-1]) / 1024


def run_velk0(args, piece, env):
    """Runs velk0 to its end; returns its peak resident memory in MB."""
    status = subprocess.call(measured(args, piece), env=env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if status != 0:
        sys.exit("velk0 ended with status %d" % status)
    return peak_memory_mb(args)


def record_live(args, soundfont, piece, settle=0.3):
    """Plays a piece on the sound server; returns the recording, the launch
    time on the recording's time line (s), and the peak memory in MB."""
    rec = Recorder(args.source)
    time.sleep(settle)
    launched = time.monotonic()
    memory = run_velk0(args, piece, velk0_env(args, soundfont))
    time.sleep(0.3)
    frames, origin = rec.stop()
    return frames, launched - origin, memory


def render_wav(args, soundfont, piece, name):
    path = os.path.join(args.root, name)
    run_velk0(args, piece, velk0_env(args, soundfont, audio=path, virtual=True))
    return mono_peaks(read_wav(path))


def timing(args, soundfont):
    period = SIXTEENTH_MS * RATE / 1000
    print("timing: %d woodblock sixteenths, %d ms apart" % (32, SIXTEENTH_MS))
    frames = render_wav(args, soundfont, SIXTEENTHS, "sixteenths.wav")
    found = onsets(frames, 32, period)
    late = [(found[k] - round(k * period)) * 1000 / RATE for k in range(len(found))]
    print("  WAV (virtual clock): %d onsets, %.2f to %.2f ms after their exact time"
          % (len(found), min(late), max(late)))
    worst = []
    for run in range(args.runs):
        frames, _, _ = record_live(args, soundfont, SIXTEENTHS)
        found = onsets(frames, 32, period)
        if len(found) < 32:
            print("  live run %d: only %d onsets found" % (run + 1, len(found)))
            worst.append(float("inf"))
            continue
        gaps = [(b - a) * 1000 / RATE for a, b in zip(found, found[1:])]
        farthest, ppm = grid_deviation_ms(found, period)
        worst.append(farthest)
        print("  live run %d: gaps %.1f to %.1f ms, farthest onset %.2f ms from its place;"
              " the sink's clock %+.0f ppm" % (run + 1, min(gaps), max(gaps), farthest, ppm))
    print("  live: farthest onset from its place, median of %d runs: %.2f ms, worst %.2f ms"
          % (args.runs, statistics.median(worst), max(worst)))


def gaps(frames, found, end=None):
    """Stretches of digital silence between the first onset and `end` (the
    last onset found, by default)."""
    count, run = 0, 0
    for v in frames[found[0] : end or found[-1]] if found else []:
        run = run + 1 if v == 0 else 0
        count += run == GAP_FRAMES
    return count


def built_tool(args, name, *flags):
    """A helper program of the benchmark's, built from scripts/NAME.c the first
    time it is needed."""
    here = os.path.dirname(os.path.abspath(__file__))
    built = os.path.join(args.root, name + (".so" if "-shared" in flags else ""))
    if not os.path.exists(built):
        subprocess.check_call(["cc", "-O2", *flags, "-o", built, os.path.join(here, name + ".c")])
    return built


def under_load(args, soundfont):
    """Live playing of a 30-second piece while processes of normal priority
    keep every processor busy. Probe threads at the audio threads' priority
    and at a real-time one tell, for each run, how long the machine kept them
    from running."""
    period = SIXTEENTH_MS * RATE / 1000
    probe_tool = built_tool(args, "stall_probe", "-pthread")
    piece = os.path.join(args.root, "load.tab")
    with open(piece, "w") as f:
        f.write(LOAD_PIECE + "\n")
    print("under load: %d sixteenths (30 s), %d busy processes" % (LOAD_NOTES, args.busy))
    busy = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(args.busy)]
    try:
        worst, whole = [], 0
        for run in range(args.runs):
            probe = subprocess.Popen([probe_tool], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
            frames, _, _ = record_live(args, soundfont, piece)
            stall_nice, stall_rt, velk0_rt = probe.communicate()[0].decode().split()
            found = onsets(frames, LOAD_NOTES, period)
            farthest, ppm = grid_deviation_ms(found, period) if found else (float("inf"), 0)
            worst.append(farthest)
            whole += len(found) == LOAD_NOTES
            print("  run %d: %d of %d onsets, farthest %.2f ms from its place, %d gaps;"
                  " the sink's clock %+.0f ppm; probes held back up to %.0f ms (nice -20),"
                  " %.0f ms (real time); velk0's threads in real time: %s"
                  % (run + 1, len(found), LOAD_NOTES, worst[-1], gaps(frames, found), ppm,
                     float(stall_nice), float(stall_rt), velk0_rt))
            if found and len(found) < LOAD_NOTES:
                # Where the onsets stopped, and whether the sound server ran
                # dry there or the sound went on off the grid.
                end = found[0] + round(LOAD_NOTES * period)
                print("  run %d: onsets lost from %.2f s into the piece; %d gaps up to its end"
                      % (run + 1, (found[-1] - found[0] + period) / RATE, gaps(frames, found, end)))
        print("  under load: every onset found in %d runs of %d; farthest onset found %.2f ms"
              % (whole, args.runs, max(worst)))
    finally:
        for process in busy:
            process.kill()
            process.wait()


def levels(args, soundfont):
    print("level:")
    for name, piece in (("scale", SCALE), ("chord", CHORD)):
        wav_peak, wav_rms = level(render_wav(args, soundfont, piece, name + ".wav"))
        frames, _, _ = record_live(args, soundfont, piece)
        live_peak, live_rms = level(frames)
        print("  %-5s  WAV peak %6.1f dBFS RMS %6.1f dBFS   live peak %6.1f dBFS RMS %6.1f dBFS"
              % (name, wav_peak, wav_rms, live_peak, live_rms))


def tail(args, soundfont):
    frames = render_wav(args, soundfont, SCALE, "tail.wav")
    end = SCALE_MS * RATE // 1000
    quiet = 10 ** (QUIET_DBFS / 20) * FULL_SCALE
    last_loud = max((i for i, v in enumerate(frames) if v > quiet), default=-1)
    print("tail: WAV of the scale: %.3f s, %.0f ms after the last note-off; last 10 ms peak "
          "%.1f dBFS; %.1f ms after the last sample above %.0f dBFS"
          % (len(frames) / RATE, (len(frames) - end) * 1000 / RATE,
             dbfs(max(frames[-441:], default=0)), (len(frames) - 1 - last_loud) * 1000 / RATE,
             QUIET_DBFS))


def first_note_on(args, soundfont):
    """Launch to the first note-on in the trace, audio off (ms), the run's
    processor time (ms) and its memory (MB)."""
    env = velk0_env(args, soundfont, audio="none", trace="-")
    launched = time.monotonic()
    proc = subprocess.Popen(measured(args, FIRST_NOTE), env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seen = None
    for line in proc.stderr:
        if seen is None and NOTE_ON.search(line):
            seen = time.monotonic()
    _, _, usage = os.wait4(proc.pid, 0)
    cpu = (usage.ru_utime + usage.ru_stime) * 1000
    return (seen - launched) * 1000, cpu, peak_memory_mb(args)


# The steps of a start, as start_marks.c notes them, in the order they are
# printed: (name, from, to), each mark in ms after the launch.
STEPS = (
    ("libraries loaded", "launch", "loaded"),
    ("to the synthesizer's start", "loaded", "start"),
    ("SoundFont: settings and synthesizer", "settings", "sfload_begin"),
    ("SoundFont: presets and instruments", "sfload_begin", "sfload_end"),
    ("SoundFont: samples of the first programs", "sfload_end", "programs_end"),
    ("device: audio subsystem", "audio_init_begin", "audio_init_end"),
    ("device: opening", "open_begin", "open_end"),
    ("start done to the note-on sent", "start_done", "note_on_sent"),
    ("note-on sent to applied (lead, what is ready)", "note_on_sent", "first_note_on"),
    ("applied to heard (ready sound, device, server)", "first_note_on", "audible"),
    ("note-on sent to heard", "note_on_sent", "audible"),
    ("launch to heard", "launch", "audible"),
)


def start_marks(args, path, launched):
    """The marks of a run, in ms after its launch."""
    marks = {"launch": 0.0}
    if os.path.exists(path):
        with open(path) as f:
            for line in f:
                name, seconds = line.split()
                marks[name] = (float(seconds) - launched) * 1000
        os.remove(path)
    start = [marks[m] for m in ("settings", "audio_init_begin", "open_begin") if m in marks]
    done = [marks[m] for m in ("programs_end", "started") if m in marks]
    if start:
        marks["start"] = min(start)
    if done:
        marks["start_done"] = max(done)
    return marks


class TraceWatch:
    """Notes when the first note-on comes in a run's trace (standard error)."""

    def __init__(self, stream):
        self.seen = None
        self.thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.thread.start()

    def _read(self, stream):
        for line in stream:
            if self.seen is None and NOTE_ON.search(line):
                self.seen = time.monotonic()


def first_sound(args, soundfont):
    """One live run of the first note, with its start's marks; returns them,
    in ms after the launch, with the first audible sample's, and the run's
    peak memory in MB."""
    shim = built_tool(args, "start_marks", "-shared", "-fPIC")
    marks_file = os.path.join(args.root, "marks")
    env = velk0_env(args, soundfont, trace="-")
    env.update(LD_PRELOAD=shim, VELK0_BENCH_MARKS=marks_file)
    rec = Recorder(args.source)
    time.sleep(0.3)
    launched = time.monotonic()
    proc = subprocess.Popen(measured(args, FIRST_NOTE), env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    watch = TraceWatch(proc.stderr)
    if proc.wait() != 0:
        sys.exit("velk0 ended with status %d" % proc.returncode)
    watch.thread.join()
    time.sleep(0.3)
    frames, origin = rec.stop()
    marks = start_marks(args, marks_file, launched)
    if watch.seen is not None:
        marks["note_on_sent"] = (watch.seen - launched) * 1000
    first = next((i for i, v in enumerate(frames) if v >= 33), None)
    if first is not None:
        marks["audible"] = (first / RATE + origin - launched) * 1000
    return marks, peak_memory_mb(args)


def latency(args, soundfont):
    runs, note_on, cpu, memory_live, memory_off = [], [], [], [], []
    for _ in range(args.latency_runs):
        marks, memory = first_sound(args, soundfont)
        runs.append(marks)
        memory_live.append(memory)
        ms, processor, memory = first_note_on(args, soundfont)
        note_on.append(ms)
        cpu.append(processor)
        memory_off.append(memory)
    audible = [m.get("audible", float("inf")) for m in runs]
    print("latency: launch to first audible sound: median %.0f ms (%.0f to %.0f), %d runs"
          % (statistics.median(audible), min(audible), max(audible), len(audible)))
    print("latency: where the time goes, median of the runs (ms; the device opens while"
          " the SoundFont is read):")
    for name, begin, end in STEPS:
        spans = [m[end] - m[begin] for m in runs if begin in m and end in m]
        if spans:
            print("  %-48s %6.1f  (%.1f to %.1f)"
                  % (name, statistics.median(spans), min(spans), max(spans)))
    print("latency: launch to first note-on, audio off: median %.0f ms (%.0f to %.0f); "
          "processor time of the run %.0f ms"
          % (statistics.median(note_on), min(note_on), max(note_on), statistics.median(cpu)))
    print("memory: resident at its peak: %.0f MB with sound, %.0f MB with audio off"
          % (max(memory_live), max(memory_off)))


def callback_memory(args, soundfont):
    """Memory taken and given back on SDL's audio thread while a 4-second piece
    with program changes plays, counted by a preloaded malloc."""
    shim = built_tool(args, "audio_thread_memory", "-shared", "-fPIC")
    report = os.path.join(args.root, "callback-memory")
    env = velk0_env(args, soundfont)
    env.update(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE="/dev/null", LD_PRELOAD=shim,
               VELK0_BENCH_MEMORY=report)
    piece = "t239 16 " + " ".join("ii%d: c e g >c <" % p for p in (1, 115, 41, 1, 74, 115) * 2)
    subprocess.check_call([args.velk0, piece], env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(report) as f:
        taken, given = (int(v) for v in f.read().split())
    print("callback: memory blocks on the audio thread: %d taken, %d given back" % (taken, given))


@contextlib.contextmanager
def dummy_jack_server(args, period):
    """A dummy JACK server of the benchmark's own, real-time where the system
    grants it, its name in JACK_DEFAULT_SERVER meanwhile."""
    import jack

    jack.set_error_function(lambda message: None)  # no server yet, at first
    jack.set_info_function(lambda message: None)
    name = "velk0-bench-%d" % os.getpid()
    log = open(os.path.join(args.root, "jackd.log"), "w")
    server = subprocess.Popen(["jackd", "-R", "-S", "-n", name, "-d", "dummy", "-r",
                               str(JACK_RATE), "-p", str(period)], stdout=log, stderr=log)
    client = None
    try:
        for _ in range(100):
            try:
                client = jack.Client("velk0-bench", servername=name, no_start_server=True)
                break
            except jack.JackError:
                time.sleep(0.05)
        if client is None:
            raise RuntimeError("no dummy JACK server starts here")
        os.environ["JACK_DEFAULT_SERVER"] = name
        yield client
    finally:
        os.environ.pop("JACK_DEFAULT_SERVER", None)
        if client is not None:
            client.close()
        server.terminate()
        server.wait()
        log.close()


def onsets_into_jack(client):
    """Registers an input port and starts noting, for each onset that reaches
    it, the time of the cycle that carries it; returns that list."""
    port = client.inports.register("in")
    found, quiet = [], [int(JACK_QUIET * JACK_RATE)]

    @client.set_process_callback
    def process(frames):
        now = time.monotonic()
        for value in memoryview(port.get_buffer()).cast("f"):
            if abs(value) < JACK_THRESHOLD:
                quiet[0] += 1
                continue
            if quiet[0] >= JACK_QUIET * JACK_RATE:
                found.append(now)
            quiet[0] = 0

    client.activate()
    return found


def jack_latency(args, soundfont):
    """Note-on sent to its first frame handed to a dummy JACK server."""
    try:
        import jack  # noqa: F401
    except ImportError:
        print("jack: skipped (no jack module for Python: python3-jack-client)")
        return
    if not shutil.which("jackd"):
        print("jack: skipped (no jackd)")
        return
    for period in args.jack_periods:
        with dummy_jack_server(args, period) as client:
            found = onsets_into_jack(client)
            env = velk0_env(args, soundfont, audio="jack", trace="-")
            proc = subprocess.Popen([args.velk0, JACK_PIECE], env=env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            sent = []
            connected = False
            for line in proc.stderr:
                if NOTE_ON.search(line):
                    sent.append(time.monotonic())
                if not connected and client.get_ports("velk0:gauche"):
                    client.connect("velk0:gauche", "velk0-bench:in")
                    connected = True
            proc.wait()
            client.deactivate()
        if len(found) != len(sent) or not sent:
            print("jack: %d frames a period: %d note-ons sent, %d onsets found"
                  % (period, len(sent), len(found)))
            continue
        delays = [(f - s) * 1000 for s, f in zip(sent, found)]
        print("jack: %d frames a period (%.1f ms): note-on sent to its first frame handed to the"
              " server: median %.1f ms, %.1f to %.1f, %d notes (then a period to be played)"
              % (period, period * 1000 / JACK_RATE, statistics.median(delays), min(delays),
                 max(delays), len(delays)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--velk0", required=True)
    parser.add_argument("--source", required=True, help="the sink's monitor source")
    parser.add_argument("--soundfont", action="append", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--latency-runs", type=int, default=10)
    parser.add_argument("--only",
                        choices=["timing", "level", "tail", "latency", "load", "callback", "jack"])
    parser.add_argument("--load", action="store_true",
                        help="also play a 30-second piece with every processor busy")
    parser.add_argument("--busy", type=int, default=2,
                        help="busy processes of normal priority for the load case")
    parser.add_argument("--jack-periods", type=lambda v: [int(p) for p in v.split(",")],
                        default=[256], help="JACK periods for the jack case (frames, 256,1024)")
    args = parser.parse_args()
    with open("/proc/loadavg") as f:
        load = f.read().split()[:3]
    # Timings on a busy machine say more about the machine than about velk0.
    print("machine: %d processors, load average %s" % (os.cpu_count(), " ".join(load)))
    with tempfile.TemporaryDirectory(prefix="velk0-bench-") as root:
        args.root = root
        for soundfont in args.soundfont:
            print("== " + soundfont)
            for name, measure in (("timing", timing), ("level", levels), ("tail", tail),
                                  ("latency", latency), ("callback", callback_memory),
                                  ("jack", jack_latency), ("load", under_load)):
                if args.only == name or (args.only is None and (name != "load" or args.load)):
                    measure(args, soundfont)
                    sys.stdout.flush()


if __name__ == "__main__":
    main()
