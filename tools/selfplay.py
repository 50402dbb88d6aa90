#!/usr/bin/env python3
"""Velta against itself with its opening book, every move refereed.

Both sides play with OwnBook on (the Debian book by default) from the start
position, every move a "go nodes N" search once out of book (node-limited
games do not depend on the machine's load). Each game is written as a JSON
line: the result and, for every move, the position, the mover's score and
whether the move came from the book, which is what tools/wdl_fit.py reads.
The summary says at which ply each game left the book (the first move not
from it) and counts illegal moves, crashes and hangs; the exit status is 1
when there was any.

Usage: selfplay.py --engine build/velta --games 100 --out games.jsonl [--nodes 20000]
                   [--book FILE] [--concurrency 2] [--seed 1]
"""
import argparse
import collections
import json
import os
import queue
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import games  # noqa: E402
import polyglot  # noqa: E402
from uci_engine import stockfish_path  # noqa: E402


def worker(args, stockfish, jobs, results):
    options = ("setoption name OwnBook value true", f"setoption name BookFile value {args.book}")
    white = games.Player(args.engine, "velta", True, options)
    black = games.Player(args.engine, "velta-2", True, options)
    referee = games.Referee(stockfish)
    try:
        while True:
            try:
                index = jobs.get_nowait()
            except queue.Empty:
                return
            opening = ("start position", None, "")
            # Node-limited: no clock, but a move may take at most a minute.
            game = games.play_game(white, black, opening, (60, 0), referee, args.max_plies, 30.0, args.nodes)
            record = game["record"]
            out_of_book = next((i for i, r in enumerate(record) if not r["book"]), len(record))
            results.put({"index": index, "result": game["result"], "reason": game["reason"], "plies": game["plies"],
                         "left_book": out_of_book, "moves": game["moves"], "record": record,
                         "faults": [(p.name, kind, detail) for p, kind, detail in game["faults"]]})
    finally:
        for p in (white, black):
            p.quit()
        referee.close()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--engine", default="build/velta")
    parser.add_argument("--games", type=int, default=100)
    parser.add_argument("--nodes", type=int, default=20000)
    parser.add_argument("--book", default=polyglot.DEBIAN_BOOK)
    parser.add_argument("--concurrency", type=int, default=2)
    parser.add_argument("--max-plies", type=int, default=400)
    parser.add_argument("--out", required=True, help="the games, one JSON line each (appended)")
    args = parser.parse_args(argv)
    stockfish = stockfish_path()
    if not stockfish:
        print("stockfish is not installed: it is the referee")
        return 77
    jobs, results = queue.Queue(), queue.Queue()
    for i in range(args.games):
        jobs.put(i)
    print(f"{args.games} games of Velta against itself, nodes {args.nodes}, book {args.book}", flush=True)
    started = time.monotonic()
    for _ in range(args.concurrency):
        threading.Thread(target=worker, args=(args, stockfish, jobs, results), daemon=True).start()
    left, results_seen, faults = collections.Counter(), collections.Counter(), collections.Counter()
    with open(args.out, "a") as out:
        for done in range(1, args.games + 1):
            g = results.get()
            out.write(json.dumps(g) + "\n")
            out.flush()
            left[g["left_book"]] += 1
            results_seen[g["result"]] += 1
            for who, kind, detail in g["faults"]:
                faults[kind] += 1
                print(f"  {kind} by {who}: {detail}", flush=True)
            print(f"game {done}/{args.games}: {g['result']} {g['reason']}, {g['plies']} plies, "
                  f"left the book at ply {g['left_book'] + 1} [{time.monotonic() - started:.0f}s]", flush=True)
    print(f"\nresults: " + ", ".join(f"{r} {n}" for r, n in sorted(results_seen.items())))
    print("left the book at ply (count): " + ", ".join(f"{p + 1} ({n})" for p, n in sorted(left.items())))
    print(f"illegal moves {faults['illegal']}, crashes {faults['crash']}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
