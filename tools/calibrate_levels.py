#!/usr/bin/env python3
"""Calibrates Velta's playing levels against Stockfish's own levels.

Each level plays a match against Stockfish (Debian's package) with
UCI_LimitStrength on at the same UCI_Elo (or another Elo, "LEVEL:ELO"; "full"
for Velta without a level). Stockfish's scale is anchored to a public rating
list, so the score says where the level really stands: its performance is
Stockfish's Elo plus the Elo difference of the score. With two or more levels
the script fits the performance as a line of the nominal Elo, which is how the
constants of src/uci/level.cpp were set: nominal Elo E plays like a + b * E,
so the level that plays like E is asked for as (E - a) / b.

Openings are lines of the Debian opening book (gnuchess-book) drawn at random
by weight, each played twice with the colours swapped; without the book, the
openings of tools/games.py. Every move is checked by a referee (tools/games.py),
and games run side by side (--concurrency), each pair with its own processes.

Usage: calibrate_levels.py --engine build/velta --levels 1400,1800,2200
                           [--games 100] [--tc 10+0.1] [--concurrency 2] [--out FILE]
"""
import argparse
import collections
import json
import math
import os
import queue
import random
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import games  # noqa: E402
import polyglot  # noqa: E402
from uci_engine import stockfish_path  # noqa: E402


def parse_level(text):
    """'1800' (Velta 1800 against Stockfish 1800), '1800:2000', or 'full:2400'."""
    velta, _, sf = text.partition(":")
    return (None if velta == "full" else int(velta)), int(sf or velta)


def openings(count, seed, referee):
    """`count` book lines of 8 plies (fewer where the book ends), or the built-in openings."""
    if not os.path.exists(polyglot.DEBIAN_BOOK):
        return [games.OPENINGS[i % len(games.OPENINGS)] for i in range(count)]
    book, rng = polyglot.Book(), random.Random(seed)
    fen_after = lambda moves: referee.examine(games.position_command(None, moves))[0]  # noqa: E731
    return [(f"book line {i + 1}", None, " ".join(polyglot.random_line(book, 8, rng, fen_after)))
            for i in range(count)]


def score_elo(score):
    score = min(max(score, 0.001), 0.999)
    return -400 * math.log10(1 / score - 1)


def players_for(engine, stockfish, level, sf_elo):
    # Both keep 100 ms a move for a machine slowed by other work. More would
    # cost Stockfish much of its time: it reserves the overhead for each of
    # the 50 moves it plans for, so 300 ms leaves it nearly none at 10+0.1.
    velta_options = ("setoption name Move Overhead value 100",) + (
        ("setoption name UCI_LimitStrength value true", f"setoption name UCI_Elo value {level}") if level else ())
    sf_options = ("setoption name UCI_LimitStrength value true", f"setoption name UCI_Elo value {sf_elo}",
                  "setoption name Move Overhead value 100")
    return games.Player(engine, "velta", True, velta_options), games.Player(stockfish, "stockfish", False, sf_options)


def worker(engine, stockfish, jobs, results, args):
    """Plays games off the queue until it is empty, with processes of its own."""
    referee = games.Referee(stockfish)
    key, pair = None, ()
    try:
        while True:
            try:
                index, (level, sf_elo), opening, velta_white = jobs.get_nowait()
            except queue.Empty:
                return
            if key != (level, sf_elo):
                for p in pair:
                    p.quit()
                key, pair = (level, sf_elo), players_for(engine, stockfish, level, sf_elo)
            velta, sf = pair
            white, black = (velta, sf) if velta_white else (sf, velta)
            game = games.play_game(white, black, opening, games.parse_tc(args.tc), referee, args.max_plies, 5.0)
            points = {"1-0": 1, "0-1": 0, "1/2-1/2": 0.5}.get(game["result"])
            score = None if points is None else points if velta_white else 1 - points
            faults = [(p.name, kind, detail) for p, kind, detail in game["faults"]]
            results.put({"index": index, "level": level, "sf_elo": sf_elo, "opening": opening[2],
                         "velta_white": velta_white, "result": game["result"], "reason": game["reason"],
                         "score": score, "plies": game["plies"], "moves": game["moves"], "faults": faults})
    finally:
        for p in pair:
            p.quit()
        referee.close()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--engine", default="build/velta")
    parser.add_argument("--levels", default="1400,1800,2200", help="LEVEL or LEVEL:STOCKFISH_ELO or full:ELO, comma-separated")
    parser.add_argument("--games", type=int, default=100, help="games per level (even)")
    parser.add_argument("--tc", default="10+0.1")
    parser.add_argument("--concurrency", type=int, default=2)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--max-plies", type=int, default=400)
    parser.add_argument("--out", help="append every game as a JSON line to this file")
    args = parser.parse_args(argv)
    stockfish = stockfish_path()
    if not stockfish:
        print("stockfish is not installed")
        return 77
    # Stockfish takes Elo values within its range only (1350 - 2850 in Debian's 15.1).
    probe = games.Player(stockfish, "stockfish", False)
    probe.start()
    probe.engine.send("uci")
    spin = next(l for l in probe.engine.until_prefix("uciok") if l.startswith("option name UCI_Elo "))
    probe.quit()
    low, high = int(spin.split(" min ")[1].split()[0]), int(spin.split(" max ")[1].split()[0])
    levels = [(velta, min(max(sf, low), high)) for velta, sf in map(parse_level, args.levels.split(","))]
    referee = games.Referee(stockfish)
    lines = openings(args.games // 2, args.seed, referee)
    referee.close()
    jobs, results = queue.Queue(), queue.Queue()
    n = 0
    for level in levels:
        for i in range(args.games):
            jobs.put((n, level, lines[(i // 2) % len(lines)], i % 2 == 0))
            n += 1
    print(f"{n} games at {args.tc}, {args.concurrency} at a time; levels {args.levels}", flush=True)
    started = time.monotonic()
    threads = [threading.Thread(target=worker, args=(args.engine, stockfish, jobs, results, args), daemon=True)
               for _ in range(args.concurrency)]
    for t in threads:
        t.start()
    out = open(args.out, "a") if args.out else None
    tally = collections.defaultdict(list)
    faults = collections.Counter()
    for done in range(1, n + 1):
        g = results.get()
        tally[(g["level"], g["sf_elo"])].append(g)
        for who, kind, detail in g["faults"]:
            faults[(who, kind)] += 1
            print(f"  {kind} by {who}: {detail}", flush=True)
        if out:
            out.write(json.dumps(g) + "\n")
            out.flush()
        print(f"game {done}/{n}: velta {g['level'] or 'full'} vs stockfish {g['sf_elo']} "
              f"({'white' if g['velta_white'] else 'black'}): {g['result']} {g['reason']}, {g['plies']} plies"
              f" [{time.monotonic() - started:.0f}s]", flush=True)
    for t in threads:
        t.join()
    print(f"\n{'level':>6} {'stockfish':>9} {'games':>5} {'+':>4} {'=':>4} {'-':>4} {'score':>6} {'Elo diff':>9} {'plays like':>10}")
    points = []
    for (level, sf_elo), played in tally.items():
        scores = [g["score"] for g in played if g["score"] is not None]
        c = collections.Counter(scores)
        s = sum(scores) / max(len(scores), 1)
        perf = sf_elo + score_elo(s)
        print(f"{level or 'full':>6} {sf_elo:>9} {len(played):>5} {c[1]:>4} {c[0.5]:>4} {c[0]:>4} {100 * s:>5.1f}% "
              f"{score_elo(s):>+9.0f} {perf:>10.0f}")
        if level:
            points.append((level, perf))
    print("faults: " + (", ".join(f"{w} {k} {n}" for (w, k), n in sorted(faults.items())) or "none"))
    if len(points) >= 2:
        mx = sum(p[0] for p in points) / len(points)
        my = sum(p[1] for p in points) / len(points)
        b = sum((x - mx) * (y - my) for x, y in points) / sum((x - mx) ** 2 for x, _ in points)
        print(f"fit: nominal Elo E plays like {my - b * mx:.0f} + {b:.3f} * E")
    print(f"{time.monotonic() - started:.0f} s")
    return 1 if any(w == "velta" for w, _ in faults) else 0


if __name__ == "__main__":
    sys.exit(main())
