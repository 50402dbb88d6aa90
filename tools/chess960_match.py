#!/usr/bin/env python3
"""A Fischer Random match of Velta against itself under fastchess, as an
OpenBench worker plays one with an FRC book: "-variant fischerandom", so
fastchess sets UCI_Chess960 and sends castling as the king taking its rook.

Plays from tests/frc960.epd, then reads the PGN: the games, how each ended,
and the castlings played (O-O and O-O-O in the move text). Fails on any
illegal move, time forfeit, disconnect, stall or crash, and when no game
castled.
Without fastchess (build it with /work/shared/tools/fastchess/build.sh
build/fastchess, or give --fastchess) it exits with 77.

Usage: chess960_match.py [--engine build/velta] [--rounds 50] [--tc 2+0.02 | --nodes N]
"""
import argparse
import collections
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIP = 77
MOVE_TEXT = re.compile(r"\{[^}]*\}|\[[^\]]*\]")  # comments and tags, removed before counting
CASTLING = re.compile(r"\bO-O(?:-O)?\b")


def read_pgn(path):
    """Each game's Termination tag and its number of castlings."""
    with open(path, encoding="latin-1") as f:
        text = f.read()
    games = [g for g in re.split(r"\n(?=\[Event )", text) if g.strip()]
    return [(re.search(r'\[Termination "([^"]*)"\]', g)[1], len(CASTLING.findall(MOVE_TEXT.sub(" ", g))))
            for g in games]


def play(engine, fastchess, rounds, limit, concurrency=2, seed=960):
    """The (termination, castlings) of each game and fastchess's output."""
    with tempfile.TemporaryDirectory() as folder:
        pgn = os.path.join(folder, "games.pgn")
        command = [fastchess, "-variant", "fischerandom", "-recover", "-concurrency", str(concurrency),
                   "-rounds", str(rounds), "-games", "2", "-resign", "movecount=3", "score=400",
                   "-draw", "movenumber=40", "movecount=8", "score=10",
                   "-engine", f"cmd={engine}", "name=velta-a", "-engine", f"cmd={engine}", "name=velta-b",
                   "-each", limit, "option.Hash=16", "-openings", f"file={ROOT}/tests/frc960.epd", "format=epd",
                   "order=random", "-srand", str(seed), "-pgnout", f"file={pgn}"]
        output = subprocess.run(command, capture_output=True, text=True, errors="replace", cwd=folder).stdout
        return read_pgn(pgn), output


def summary(games):
    """Lines describing the games, and whether they pass."""
    endings = collections.Counter(ending for ending, _ in games)
    castled = sum(c for _, c in games)
    bad = sum(n for ending, n in endings.items() if ending not in ("normal", "adjudication"))
    lines = [f"{len(games)} games: " + ", ".join(f"{n} {ending}" for ending, n in sorted(endings.items())),
             f"{castled} castlings in {sum(1 for _, c in games if c)} games"]
    return lines, bool(games) and bad == 0 and castled > 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "velta"))
    parser.add_argument("--fastchess", default=os.path.join(ROOT, "build", "fastchess", "fastchess"))
    parser.add_argument("--rounds", type=int, default=50, help="pairs of games, each opening played with both colours")
    parser.add_argument("--tc", default="2+0.02")
    parser.add_argument("--nodes", type=int, help="a node limit per move instead of a clock")
    args = parser.parse_args()
    if not os.access(args.fastchess, os.X_OK):
        print(f"skipped: no fastchess at {args.fastchess}")
        return SKIP
    limit = f"nodes={args.nodes}" if args.nodes else f"tc={args.tc}"
    games, output = play(os.path.abspath(args.engine), os.path.abspath(args.fastchess), args.rounds, limit)
    lines, passed = summary(games)
    print(*lines, sep="\n")
    if not passed:
        print(output[-3000:])
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
