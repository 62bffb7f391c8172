"""Median wall time of whole runs, started directly (no shell), with
standard input from a file and standard output to /dev/null. The commands
take turns, so that a busy machine slows them alike.

    python3 spawn_timing.py <runs> <stdin file> -- <command> [-- <command> ...]

Prints one median in milliseconds per command, one per line.
"""

import os
import statistics
import sys
import time


def run_once(argv, stdin_path):
    source = os.open(stdin_path, os.O_RDONLY)
    sink = os.open(os.devnull, os.O_WRONLY)
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ,
                         file_actions=[(os.POSIX_SPAWN_DUP2, source, 0),
                                       (os.POSIX_SPAWN_DUP2, sink, 1)])
    os.waitpid(pid, 0)
    elapsed = time.perf_counter() - start
    os.close(source)
    os.close(sink)
    return elapsed


def main():
    runs, stdin_path = int(sys.argv[1]), sys.argv[2]
    commands, current = [], None
    for word in sys.argv[3:]:
        if word == "--":
            current = []
            commands.append(current)
        else:
            current.append(word)
    times = [[] for _ in commands]
    for round_number in range(runs + 10):
        for command, record in zip(commands, times):
            elapsed = run_once(command, stdin_path)
            if round_number >= 10:  # the first rounds warm the caches
                record.append(elapsed)
    for record in times:
        print("%.3f" % (statistics.median(record) * 1000.0))


if __name__ == "__main__":
    main()
