#!/usr/bin/env python3
"""Speed of "bench" in the WebAssembly build (under node) beside the console engine's.

Runs `velta bench` and `node velta.js bench` alternately, several times, and
prints each run, the median bench time of each, their ratio, and the
processor time of each process (less sensitive to what else the machine is
doing than the wall clock). Both must report the same node total.

Usage: python3 tools/web_bench_speed.py [--runs 5] [--engine build/velta] [--web build/web/engine/velta.js]
"""
import argparse
import os
import re
import resource
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def bench(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    out = subprocess.run(command, capture_output=True, text=True, errors="replace", check=True).stdout
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    summary = re.search(r"^(\d+) nodes in (\d+) ms", out, re.M)
    return int(summary[1]), int(summary[2]) / 1000, cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "velta"))
    parser.add_argument("--web", default=os.path.join(ROOT, "build", "web", "engine", "velta.js"))
    args = parser.parse_args()
    commands = {"native": [args.engine, "bench"], "wasm": ["node", "--no-experimental-fetch", args.web, "bench"]}
    times = {name: [] for name in commands}
    cpus = {name: [] for name in commands}
    totals = set()
    for run in range(args.runs):
        for name in (("native", "wasm") if run % 2 == 0 else ("wasm", "native")):
            nodes, seconds, cpu = bench(commands[name])
            totals.add(nodes)
            times[name].append(seconds)
            cpus[name].append(cpu)
            print(f"run {run + 1} {name:<6} {nodes} nodes {seconds:.3f} s, {nodes / seconds / 1e6:.2f} Mnps "
                  f"(process {cpu:.2f} s of processor)", flush=True)
    native, wasm = statistics.median(times["native"]), statistics.median(times["wasm"])
    print(f"\nmedian bench time: native {native:.3f} s, WebAssembly {wasm:.3f} s; "
          f"WebAssembly runs at {native / wasm:.2f} of the native speed "
          f"(processor time: {statistics.median(cpus['native']):.2f} s and {statistics.median(cpus['wasm']):.2f} s)")
    if len(totals) != 1:
        print("NODE TOTALS DIFFER:", sorted(totals))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
