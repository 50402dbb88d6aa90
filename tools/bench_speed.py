#!/usr/bin/env python3
"""Speed of "bench" against an older commit or other builds, measured side by side.

Builds the given commit in a temporary work tree (once; kept under /tmp), then
runs "bench" with the older and the current binary alternately, several times,
and prints each run, the median time of each and their ratio. Alternating runs
in one go share whatever else the machine is doing. Every bench must report
the same node total. With --against, the given binaries (other targets,
another compiler's build) run in the rotation instead of the older commit.

Usage: python3 tools/bench_speed.py [--base 1d1be74] [--runs 7] [--engine build/velta]
       python3 tools/bench_speed.py --against build/x86-64/velta ... [--engine build/velta]
"""
import argparse
import os
import re
import resource
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
    # (nodes, the bench's own seconds, wall seconds of the process, its CPU seconds)
    started, used = time.perf_counter(), resource.getrusage(resource.RUSAGE_CHILDREN)
    # No "quit" after "bench": input waiting during a search would end it early.
    out = subprocess.run([binary], input="bench\n", capture_output=True, text=True, errors="replace").stdout
    seconds = time.perf_counter() - started
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime + after.ru_stime - used.ru_utime - used.ru_stime
    summary = re.search(r"^(\d+) nodes in (\d+) ms", out, re.M)
    return int(summary[1]), int(summary[2]) / 1000, seconds, cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--base", default="1d1be74", help="the older commit")
    parser.add_argument("--against", nargs="+", metavar="BINARY", help="other binaries instead of the older commit")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "velta"))
    args = parser.parse_args()
    others = {path: path for path in args.against} if args.against else {args.base: build_base(args.base)}
    binaries = dict(others, current=args.engine)
    names = list(binaries)
    times = {name: [] for name in names}
    cpu_times = {name: [] for name in names}
    totals = set()
    width = max(len(name) for name in names)
    for run in range(args.runs):
        for name in names[run % len(names):] + names[:run % len(names)]:  # each first in turn
            nodes, bench_seconds, wall, cpu = bench(binaries[name])
            totals.add(nodes)
            times[name].append(bench_seconds)
            cpu_times[name].append(cpu)
            print(f"run {run + 1} {name:<{width}} {nodes} nodes {bench_seconds:.3f} s "
                  f"(process {wall:.3f} s, CPU {cpu:.3f} s)", flush=True)
    # The process's CPU time is the steadier figure on a machine others load,
    # and the fastest run the one least disturbed.
    current, current_cpu = statistics.median(times["current"]), statistics.median(cpu_times["current"])
    print(f"\nmedian bench time: current ({args.engine}) {current:.3f} s, CPU {current_cpu:.3f} s")
    for name in others:
        median, cpu = statistics.median(times[name]), statistics.median(cpu_times[name])
        fastest = min(cpu_times["current"]) / min(cpu_times[name])
        print(f"  {name}: {median:.3f} s, {current / median:.2f}x as fast as current; "
              f"CPU {cpu:.3f} s, {current_cpu / cpu:.2f}x; fastest runs' CPU {fastest:.2f}x")
    if len(totals) != 1:
        print("NODE TOTALS DIFFER:", sorted(totals))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
