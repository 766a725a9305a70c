#!/usr/bin/env python3
"""Wraps the worker's script (the program as emscripten writes it, with the
worker's own part) as a script the page loads like its others: it keeps
the worker's source in self.snplnWorkerSource, and the page starts every
worker from that text (a Blob URL), so that a worker started again after a
cancel asks the network for nothing.

Usage: worker_source.py WORKER.js OUTPUT.js
"""
import json
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        source = f.read()
    with open(sys.argv[2], "w", encoding="utf-8") as f:
        f.write("// The worker's script (web/page/worker.js after the program)"
                ", as text.\n")
        f.write("self.snplnWorkerSource = ")
        f.write(json.dumps(source, ensure_ascii=True))
        f.write(";\n")


if __name__ == "__main__":
    main()
