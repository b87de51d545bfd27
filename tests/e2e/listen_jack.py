"""A keyboard and a sound module on JACK for the listening test (listen_jack.sh).

Usage: listen_jack.py CLIENT LOG

Registers the MIDI output port CLIENT:touches (the keyboard) and the input
port CLIENT:retour (what the listener plays back) on the server
JACK_DEFAULT_SERVER names; "ready" on standard output says they are there.
Then reads commands on standard input, one a line:
  B B [B]     sends these bytes (decimal) from touches at the next cycle
  sleep MS    waits that many milliseconds
  barrier     once two whole cycles have run, appends to LOG one line per
              message retour received ("144 60 90"), then the line "end"
Exits at the end of standard input, or with status 1 when the server goes
away or a barrier does not come within ten seconds.
"""

import os
import sys
import time

from jack_client import TestClient


def main():
    client_name, log_path = sys.argv[1:3]
    client = TestClient(client_name, inputs=["retour"], outputs=["touches"])
    client.activate()
    with open(log_path, "a", encoding="ascii") as log:
        print("ready", flush=True)
        for line in sys.stdin:
            words = line.split()
            if not words:
                continue
            if words[0] == "sleep":
                time.sleep(int(words[1]) / 1000)
            elif words[0] == "barrier":
                if not client.barrier():
                    print("listen_jack.py: the server stopped running cycles", file=sys.stderr)
                    os._exit(1)
                for _, _, data in client.take_received():
                    log.write(" ".join(str(b) for b in data) + "\n")
                log.write("end\n")
                log.flush()
            else:
                client.send("touches", [int(w) for w in words])
    client.close()


if __name__ == "__main__":
    main()
