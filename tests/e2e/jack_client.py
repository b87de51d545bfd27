"""A JACK client for the end-to-end tests of MIDI through JACK.

Its ports send and receive short MIDI messages. What a port receives is kept
with the time its cycle began and its frame within it, and a barrier (two
whole process cycles) tells when everything sent before it has been read.
The server is the one JACK_DEFAULT_SERVER names; none is started.
"""

import collections
import queue
import threading
import time

import jack

BARRIER_SECONDS = 10


class TestClient:
    """Registers MIDI input ports `inputs` and output ports `outputs`."""

    def __init__(self, name, inputs=(), outputs=()):
        self.client = jack.Client(name, no_start_server=True)
        self.inputs = {n: self.client.midi_inports.register(n) for n in inputs}
        self.outputs = {n: self.client.midi_outports.register(n) for n in outputs}
        self.received = queue.Queue()  # (port name, frame time, bytes)
        self.pending = {n: collections.deque() for n in outputs}
        self.sent = queue.Queue()  # (port name, frame time, bytes, monotonic time)
        self.lock = threading.Lock()
        self.cycles = 0
        self.cycle_done = threading.Condition()
        self.gone = threading.Event()
        self.client.set_process_callback(self._process)
        self.client.set_shutdown_callback(self._shutdown)

    def _process(self, frames):
        start = self.client.last_frame_time
        now = time.monotonic()
        with self.lock:
            for name, port in self.outputs.items():
                port.clear_buffer()
                while self.pending[name]:
                    data = self.pending[name].popleft()
                    port.write_midi_event(0, data)
                    self.sent.put((name, start, data, now))
        for name, port in self.inputs.items():
            for offset, data in port.incoming_midi_events():
                self.received.put((name, start + offset, bytes(data)))
        with self.cycle_done:
            self.cycles += 1
            self.cycle_done.notify_all()

    def _shutdown(self, status, reason):
        self.gone.set()
        with self.cycle_done:
            self.cycle_done.notify_all()

    def activate(self):
        self.client.activate()

    def send(self, port, data):
        """Sends the bytes from `port` at the start of the next cycle."""
        with self.lock:
            self.pending[port].append(bytes(data))

    def barrier(self):
        """Waits until two whole cycles have run; False when they did not."""
        with self.cycle_done:
            wanted = self.cycles + 2
            deadline = time.monotonic() + BARRIER_SECONDS
            while self.cycles < wanted and not self.gone.is_set():
                left = deadline - time.monotonic()
                if left <= 0 or not self.cycle_done.wait(left):
                    break
            return self.cycles >= wanted

    def take_received(self):
        """Everything received so far, in order."""
        out = []
        while not self.received.empty():
            out.append(self.received.get())
        return out

    def take_sent(self):
        out = []
        while not self.sent.empty():
            out.append(self.sent.get())
        return out

    def close(self):
        self.client.deactivate()
        self.client.close()
