"""Records velk0's JACK audio ports, and finds the onsets of a piece (jack_audio.sh).

Usage:
  jack_audio.py record CLIENT RAW   registers two audio input ports, CLIENT:g and
      CLIENT:d, on the server JACK_DEFAULT_SERVER names, and connects velk0's
      ports (velk0:gauche, velk0:droite) to them as soon as velk0 has connected
      them to the playback ports. Writes "ready" on standard output once its
      ports are there, and "connected" once velk0's are connected to them.
      At the end of standard input, writes into RAW what the ports received
      from then on, as interleaved 32-bit floats, and on standard output the
      line "recorded FRAMES RATE PERIOD". Exits with status 1 when the server
      goes away.
  jack_audio.py compare RAW RATE WAV PERIOD   finds the onsets of the
      recording (stereo floats at RATE) and of the WAV file (16-bit stereo);
      prints them, and fails (status 1) unless both hold as many, at least
      one, each as far from the first as in the other within PERIOD frames of
      the recording.
  jack_audio.py level RAW   prints the peak magnitude of the recording.
  jack_audio.py ending RAW MS   prints the peak magnitude of the last MS
      milliseconds of sound of the recording, before the silence after velk0
      left.
"""

import array
import struct
import sys
import threading

# An onset: the sound rises past this share of the piece's peak after staying
# under it for this long (a woodblock falls under it within 30 ms).
ONSET_SHARE = 0.25
QUIET_SECONDS = 0.05


def record(client_name, raw_path):
    import jack

    client = jack.Client(client_name, no_start_server=True)
    ports = [client.inports.register(name) for name in ("g", "d")]
    cycles = []
    recording = threading.Event()
    velk0_connected = threading.Event()
    gone = threading.Event()

    @client.set_process_callback
    def process(frames):
        if recording.is_set():
            cycles.append((bytes(ports[0].get_buffer()), bytes(ports[1].get_buffer())))

    @client.set_port_connect_callback
    def connected(a, b, connect):
        if connect and a.name == "velk0:droite" and b.name.startswith("system:"):
            velk0_connected.set()

    @client.set_shutdown_callback
    def shutdown(status, reason):
        gone.set()
        velk0_connected.set()

    client.activate()
    print("ready", flush=True)
    recording.set()
    velk0_connected.wait()
    if gone.is_set():
        sys.exit("jack_audio.py: the server went away")
    # Connecting from a callback would wait for the server, which waits for it.
    client.connect("velk0:gauche", ports[0])
    client.connect("velk0:droite", ports[1])
    print("connected", flush=True)
    sys.stdin.read()
    recording.clear()
    if gone.is_set():
        sys.exit("jack_audio.py: the server went away")
    rate, period = client.samplerate, client.blocksize
    client.deactivate()
    client.close()
    out = array.array("f")
    for left_bytes, right_bytes in cycles:
        left, right = array.array("f", left_bytes), array.array("f", right_bytes)
        for i in range(len(left)):
            out.append(left[i])
            out.append(right[i])
    with open(raw_path, "wb") as raw:
        out.tofile(raw)
    print("recorded %d %d %d" % (len(out) // 2, rate, period), flush=True)


def envelope_of_raw(path):
    samples = array.array("f")
    with open(path, "rb") as raw:
        samples.frombytes(raw.read())
    return [max(abs(samples[i]), abs(samples[i + 1])) for i in range(0, len(samples) - 1, 2)]


def envelope_of_wav(path):
    with open(path, "rb") as wav:
        data = wav.read()
    channels, rate = struct.unpack("<HI", data[22:28])
    if data[:4] != b"RIFF" or channels != 2:
        sys.exit("%s: not a stereo WAV file" % path)
    pcm = struct.unpack("<%dh" % ((len(data) - 44) // 2), data[44 : 44 + (len(data) - 44) // 4 * 4])
    return [max(abs(pcm[i]), abs(pcm[i + 1])) / 32768.0 for i in range(0, len(pcm), 2)], rate


def onsets(envelope, rate):
    if not envelope or max(envelope) == 0:
        return []
    threshold = ONSET_SHARE * max(envelope)
    quiet_needed = int(QUIET_SECONDS * rate)
    found, quiet = [], quiet_needed
    for i, value in enumerate(envelope):
        if value >= threshold:
            if quiet >= quiet_needed:
                found.append(i)
            quiet = 0
        else:
            quiet += 1
    return found


def compare(raw_path, rate, wav_path, period):
    recorded = [i / rate for i in onsets(envelope_of_raw(raw_path), rate)]
    wav_envelope, wav_rate = envelope_of_wav(wav_path)
    rendered = [i / wav_rate for i in onsets(wav_envelope, wav_rate)]
    print("JACK onsets (s): " + " ".join("%.4f" % t for t in recorded))
    print("WAV onsets (s):  " + " ".join("%.4f" % t for t in rendered))
    if not rendered or len(recorded) != len(rendered):
        sys.exit("%d onsets recorded from JACK, %d in the WAV file"
                 % (len(recorded), len(rendered)))
    off = [(r - recorded[0]) - (w - rendered[0]) for r, w in zip(recorded, rendered)]
    worst = max(abs(d) for d in off)
    print("farthest onset from its place in the WAV file: %.2f ms (one period: %.2f ms)"
          % (worst * 1000, period / rate * 1000))
    if worst * rate > period:
        sys.exit("an onset is more than a period (%d frames) from its place" % period)


def ending(raw_path, ms, rate=48000):
    envelope = envelope_of_raw(raw_path)
    last = max((i for i, v in enumerate(envelope) if v > 0), default=0)
    print("%.6f" % max(envelope[max(0, last - rate * ms // 1000) : last + 1] or [0.0]))


def main():
    command = sys.argv[1]
    if command == "record":
        record(sys.argv[2], sys.argv[3])
    elif command == "compare":
        compare(sys.argv[2], int(sys.argv[3]), sys.argv[4], int(sys.argv[5]))
    elif command == "level":
        print("%.6f" % max(envelope_of_raw(sys.argv[2]) or [0.0]))
    elif command == "ending":
        ending(sys.argv[2], int(sys.argv[3]))
    else:
        sys.exit("jack_audio.py: unknown command " + command)


if __name__ == "__main__":
    main()
