#!/usr/bin/env python3
"""Speed of the search with more threads: for each position, a search to a fixed
depth with 1 thread and with N threads, alternately, from an empty table. Prints
nodes per second and time to depth for each, and their ratios (N threads against 1).

Usage: python3 tools/smp_speed.py [--engine build/velta] [--threads 2] [--depth 14] [--rounds 1]
"""
import argparse
import statistics
import time

from uci_engine import start_velta

POSITIONS = [  # openings, middlegames and endings
    "startpos",
    "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "fen 2r1k2r/pq1p1ppp/1pbPpn2/8/2P2B2/P2B1P2/1PQ3PP/R3K2R b KQk - 2 16",
    "fen 1n1q1rk1/r3ppbp/p1p3p1/1p3b2/P1pP3B/1NP1PB2/5PPP/R2QR1K1 w - - 10 16",
    "fen r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16",
    "fen r5k1/p2qp1bp/6p1/1pP3P1/2n1P3/1QP1B3/P3N1PP/R4K2 b - - 0 17",
    "fen r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "fen rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "fen 6k1/5pp1/4p2p/3pP3/3P4/2r2PP1/5K1P/1R6 w - - 0 30",
]


def search(engine, position, depth):
    engine.send("ucinewgame", "position " + position, "isready")
    engine.until_prefix("readyok")
    started = time.perf_counter()
    lines = engine.search("go depth %d" % depth, 3600)
    seconds = time.perf_counter() - started
    nodes = int(lines[-2].split(" nodes ")[1].split()[0])
    return seconds, nodes


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--engine", default=None)
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--depth", type=int, default=14)
    parser.add_argument("--rounds", type=int, default=1)
    args = parser.parse_args()
    engines = {1: start_velta(args.engine), args.threads: start_velta(args.engine)}
    engines[args.threads].send("setoption name Threads value %d" % args.threads)
    totals = {n: [0.0, 0] for n in engines}
    time_ratios, nps_ratios = [], []
    print(f"{'position':<10} {'threads':>7} {'seconds':>8} {'nodes':>10} {'Mnodes/s':>9}")
    for round_ in range(args.rounds):
        for i, position in enumerate(POSITIONS):
            result = {}
            for n in (sorted(engines) if (i + round_) % 2 == 0 else sorted(engines, reverse=True)):
                seconds, nodes = result[n] = search(engines[n], position, args.depth)
                totals[n][0] += seconds
                totals[n][1] += nodes
                print(f"{i + 1:<10} {n:>7} {seconds:>8.2f} {nodes:>10} {nodes / seconds / 1e6:>9.2f}", flush=True)
            (t1, n1), (tn, nn) = result[1], result[args.threads]
            time_ratios.append(t1 / tn)
            nps_ratios.append((nn / tn) / (n1 / t1))
    for engine in engines.values():
        engine.kill()
    (t1, n1), (tn, nn) = totals[1], totals[args.threads]
    print(f"\n{args.threads} threads against 1, depth {args.depth}, {len(time_ratios)} searches:")
    print(f"  nodes per second: {nn / tn / 1e6:.2f} M against {n1 / t1 / 1e6:.2f} M, ratio {(nn / tn) / (n1 / t1):.2f} "
          f"(median per position {statistics.median(nps_ratios):.2f})")
    print(f"  time to depth: {tn:.1f} s against {t1:.1f} s, speed-up {t1 / tn:.2f} "
          f"(median per position {statistics.median(time_ratios):.2f})")


if __name__ == "__main__":
    main()
