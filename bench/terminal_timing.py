"""Key-to-echo latency and idle processor time of the tool in a
pseudo-terminal.

    python3 terminal_timing.py <quorvane> <sample RPG_RT.exe>

Prints one line of JSON: the median and maximum echo latency over 50 keys
in milliseconds, and the processor time used while idle at the prompt and at
the final key wait, in percent of one core.
"""

import fcntl
import json
import os
import select
import statistics
import struct
import sys
import termios
import time

CURSOR_QUERY = b"\x1b[6n"


class Terminal:
    def __init__(self, argv):
        self.pid, self.fd = os.forkpty()
        if self.pid == 0:
            os.execv(argv[0], argv)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        self.seen = b""

    def read(self, timeout):
        """Output that arrives within timeout seconds; answers cursor queries."""
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if not ready:
            return b""
        try:
            data = os.read(self.fd, 65536)
        except OSError:
            return b""
        if CURSOR_QUERY in data:
            os.write(self.fd, b"\x1b[1;1R")
        self.seen += data
        return data

    def wait_for(self, text, timeout=10.0):
        end = time.monotonic() + timeout
        while text not in self.seen:
            if time.monotonic() > end:
                raise TimeoutError(f"{text!r} never appeared")
            self.read(0.05)
        self.seen = b""

    def cpu_seconds(self):
        with open(f"/proc/{self.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def idle_percent(self, seconds):
        before = self.cpu_seconds()
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.read(0.1)
        return 100.0 * (self.cpu_seconds() - before) / seconds


def main():
    tool, sample = sys.argv[1:3]
    terminal = Terminal([tool, sample])
    terminal.wait_for(b"Enter new value: ")
    idle_prompt = terminal.idle_percent(5.0)

    latencies = []
    for _ in range(50):
        terminal.read(0.02)  # let any earlier output drain
        start = time.perf_counter()
        os.write(terminal.fd, b"1")
        while not terminal.read(1.0):
            pass
        latencies.append((time.perf_counter() - start) * 1000.0)

    os.write(terminal.fd, b"\x1b")
    time.sleep(0.1)
    os.write(terminal.fd, b"50\r")
    terminal.wait_for(b"Press any key to exit...")
    idle_wait = terminal.idle_percent(5.0)
    os.write(terminal.fd, b"x")
    _, status = os.waitpid(terminal.pid, 0)
    print(json.dumps({
        "echo_median_ms": statistics.median(latencies),
        "echo_max_ms": max(latencies),
        "idle_prompt_percent": idle_prompt,
        "idle_key_wait_percent": idle_wait,
        "exit_status": os.waitstatus_to_exitcode(status),
    }))


if __name__ == "__main__":
    main()
