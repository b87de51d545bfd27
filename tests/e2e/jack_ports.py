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
import sys

from jack_client import TestClient


def main():
    client_name, port_name, log_path = sys.argv[1:4]
    client = TestClient(client_name, inputs=[port_name])
    client.activate()
    with open(log_path, "a", encoding="ascii") as log:
        print("ready", flush=True)
        for _ in sys.stdin:
            if not client.barrier():
                print("jack_ports.py: the server stopped running cycles", file=sys.stderr)
                os._exit(1)
            for _, _, data in client.take_received():
                log.write(" ".join(str(b) for b in data) + "\n")
            log.write("end\n")
            log.flush()
    client.close()


if __name__ == "__main__":
    main()
