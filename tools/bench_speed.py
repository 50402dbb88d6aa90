#!/usr/bin/env python3
"""Speed of "bench" against an older commit, measured side by side.

Builds the given commit in a temporary work tree (once; kept under /tmp), then
runs "bench" with the older and the current binary alternately, several times,
and prints each run, the median time of each and their ratio. Alternating runs
in one go share whatever else the machine is doing. Both benches must report
the same node total.

Usage: python3 tools/bench_speed.py [--base 1d1be74] [--runs 7] [--engine build/velta]
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def build_base(revision):
    tree = f"/tmp/velta-base-{revision}"
    binary = os.path.join(tree, "build-base", "velta")
    if not os.path.exists(binary):
        if not os.path.isdir(tree):
            subprocess.run(["git", "-C", ROOT, "worktree", "add", "--detach", "-f", tree, revision], check=True)
        subprocess.run(["cmake", "-S", tree, "-B", os.path.join(tree, "build-base"), "-DCMAKE_BUILD_TYPE=Release",
                        "-DVELTA_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", os.path.join(tree, "build-base"), "-j", "2"], check=True,
                       stdout=subprocess.DEVNULL)
    return binary


def bench(binary):
    started = time.perf_counter()
    # No "quit" after "bench": input waiting during a search would end it early.
    out = subprocess.run([binary], input="bench\n", capture_output=True, text=True, errors="replace").stdout
    seconds = time.perf_counter() - started
    summary = re.search(r"^(\d+) nodes in (\d+) ms", out, re.M)
    return int(summary[1]), int(summary[2]) / 1000, seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--base", default="1d1be74", help="the older commit")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "velta"))
    args = parser.parse_args()
    binaries = {"base": build_base(args.base), "current": args.engine}
    times = {name: [] for name in binaries}
    totals = set()
    for run in range(args.runs):
        for name in (("base", "current") if run % 2 == 0 else ("current", "base")):
            nodes, bench_seconds, wall = bench(binaries[name])
            totals.add(nodes)
            times[name].append(bench_seconds)
            print(f"run {run + 1} {name:<8} {nodes} nodes {bench_seconds:.3f} s (process {wall:.3f} s)", flush=True)
    base, current = statistics.median(times["base"]), statistics.median(times["current"])
    print(f"\nmedian bench time: {args.base} {base:.3f} s, current {current:.3f} s; "
          f"current is {base / current:.2f}x as fast")
    if len(totals) != 1:
        print("NODE TOTALS DIFFER:", sorted(totals))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
