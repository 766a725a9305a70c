#!/usr/bin/env python3
"""Compares the CPU time (user + system) two commands take, for commands
too short for a stop watch: each runs RUNS times, the two taking turns,
and its time is the kernel's own count for the child (wait4), to the
microsecond. Prints one line per command: its median, and the ratio of
the first median to the second.

    cpu_time.py [--runs N] -- COMMAND ... -- COMMAND ...

A command that ends with a status other than 0 fails the measurement
(status 1, the command named on standard error).
"""

import argparse
import os
import statistics
import subprocess
import sys


def cpu_of(command):
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit("status %d: %s" % (child.returncode, " ".join(command)))
    return usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("rest", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    words = args.rest[1:] if args.rest[:1] == ["--"] else args.rest
    if "--" not in words:
        sys.exit("usage: cpu_time.py [--runs N] -- COMMAND ... -- COMMAND ...")
    cut = words.index("--")
    commands = [words[:cut], words[cut + 1:]]
    times = [[], []]
    for _ in range(args.runs):
        for i, command in enumerate(commands):
            times[i].append(cpu_of(command))
    medians = [statistics.median(t) for t in times]
    for command, median in zip(commands, medians):
        print("%.6f %s" % (median, " ".join(command)))
    print("ratio %.3f" % (medians[0] / medians[1] if medians[1] > 0 else 0))


if __name__ == "__main__":
    main()
