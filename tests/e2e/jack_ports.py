"""A JACK client that receives MIDI for the sequencer port test (jack_ports.sh).

Usage: jack_ports.py CLIENT PORT LOG

Registers the MIDI input port CLIENT:PORT on the server JACK_DEFAULT_SERVER
names, then appends to LOG one line per message received, its bytes in
decimal ("145 36 127"). Each line read on standard input asks for a barrier:
once two whole process cycles have run after it, every message received
before it is in LOG, followed by the line "end". "ready" on standard output
says the port is there. Exits at the end of standard input, or with status 1
when the server goes away or a barrier does not come within ten seconds.
"""

import os
import queue
import sys
import threading
import time

import jack

BARRIER_SECONDS = 10


def main():
    client_name, port_name, log_path = sys.argv[1:4]
    client = jack.Client(client_name, no_start_server=True)
    port = client.midi_inports.register(port_name)
    received = queue.Queue()
    cycles = [0]
    cycle_done = threading.Condition()
    gone = threading.Event()

    @client.set_process_callback
    def process(frames):
        for _, data in port.incoming_midi_events():
            received.put(bytes(data))
        with cycle_done:
            cycles[0] += 1
            cycle_done.notify_all()

    @client.set_shutdown_callback
    def shutdown(status, reason):
        gone.set()
        with cycle_done:
            cycle_done.notify_all()

    client.activate()
    with open(log_path, "a", encoding="ascii") as log:
        print("ready", flush=True)
        for _ in sys.stdin:
            with cycle_done:
                wanted = cycles[0] + 2
                deadline = time.monotonic() + BARRIER_SECONDS
                while cycles[0] < wanted and not gone.is_set():
                    left = deadline - time.monotonic()
                    if left <= 0 or not cycle_done.wait(left):
                        break
            if cycles[0] < wanted:
                print("jack_ports.py: the server stopped running cycles", file=sys.stderr)
                os._exit(1)
            while not received.empty():
                log.write(" ".join(str(b) for b in received.get()) + "\n")
            log.write("end\n")
            log.flush()
    client.deactivate()
    client.close()


if __name__ == "__main__":
    main()
