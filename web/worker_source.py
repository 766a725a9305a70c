#!/usr/bin/env python3
"""Wraps the worker's script (the program as emscripten writes it, with the
worker's own part) as a script the page loads like its others: it keeps
the worker's source in self.snplnWorkerSource, and the page starts every
worker from that text (a Blob URL), so that a worker started again after a
cancel asks the network for nothing. The program's WebAssembly goes
inside, deflated (zlib's format) and in base64, as snplnWasmDeflated,
which web/page/worker_wasm.js inflates.

Usage: worker_source.py WORKER.js WORKER.wasm OUTPUT.js
"""
import base64
import json
import sys
import zlib


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        program = f.read()
    with open(sys.argv[2], "rb") as f:
        wasm = base64.b64encode(zlib.compress(f.read(), 9)).decode("ascii")
    source = ("var snplnWasmDeflated = '" + wasm + "';\n" + program)
    with open(sys.argv[3], "w", encoding="utf-8") as f:
        f.write("// The worker's script (web/page/worker.js after the program)"
                ", as text.\n")
        f.write("self.snplnWorkerSource = ")
        f.write(json.dumps(source, ensure_ascii=True))
        f.write(";\n")


if __name__ == "__main__":
    main()
