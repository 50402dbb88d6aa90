#!/usr/bin/env python3
"""Writes an opening book for matches (one FEN per line, as fastchess reads an
EPD book): positions 6 to 10 plies from the start, reached by seeded random
walks over Stockfish's good moves and kept when Stockfish calls them roughly
level, so that a match between equals starts from many balanced positions.

Usage: make_book.py [--count 100] [--seed 1] > tools/openings.epd
"""
import argparse
import random
import re
import sys

from uci_engine import Engine, stockfish_path

LINE = re.compile(r"info depth (\d+) .*multipv (\d+) score (cp|mate) (-?\d+) .* pv (\S+)")


def best_moves(sf, moves, depth, k):
    """(score in cp for the side to move, move) of the k best moves, best first."""
    sf.send("setoption name MultiPV value %d" % k, "position startpos moves " + " ".join(moves), "go depth %d" % depth)
    found = {}
    for line in sf.until_prefix("bestmove", 120):
        m = LINE.match(line)
        if m and int(m[1]) == depth:
            found[int(m[2])] = (int(m[4]) if m[3] == "cp" else 10000 * (1 if int(m[4]) > 0 else -1), m[5])
    return [found[i] for i in sorted(found)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--count", type=int, default=100)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    sf = Engine(stockfish_path(), "stockfish")
    sf.send("uci", "setoption name Threads value 1", "setoption name Hash value 64")
    rng, book = random.Random(args.seed), {}
    while len(book) < args.count:
        moves = []
        for ply in range(rng.randint(6, 10)):
            options = best_moves(sf, moves, 8, 5)
            # Wide choice for the first moves, then only moves that keep the balance.
            spread = 60 if ply < 2 else 30
            moves.append(rng.choice([m for s, m in options if s >= options[0][0] - spread]))
        score = best_moves(sf, moves, 14, 1)[0][0]
        sf.send("position startpos moves " + " ".join(moves), "d")
        fen = next(l[5:] for l in sf.until_prefix("Checkers:") if l.startswith("Fen: "))
        if abs(score) <= 50 and fen not in book:
            book[fen] = score
            print(f"{len(book)}: {' '.join(moves)} ({score:+d})", file=sys.stderr)
    sf.kill()
    print("\n".join(book))


if __name__ == "__main__":
    main()
