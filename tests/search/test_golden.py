#!/usr/bin/env python3
# The engine's answers, kept in tests/search/golden.txt: for each position of
# tests/perft.txt, a search to depth 7 (every info line and the answer, node
# counts included), the "debug" display and the "perft 2" divide; then
# searches that use the table left by the ones before, and the displays of a
# game with its moves, a checkmate and a stalemate. Speed work must leave
# every one of these lines as it is; times and speeds are left out.
# With --write the file is made anew (only when an answer changes on purpose).
import os, re, sys  # noqa: E401
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "common"))
from engine import SKIP, THREADS, start_velta, without_clock  # noqa: E402

GOLDEN = os.path.join(HERE, "golden.txt")


def session(velta):
    fens = [line.split("|")[0].strip() for line in open(os.path.join(HERE, "..", "perft.txt"))
            if line.strip() and not line.startswith("#")]
    commands = [c for fen in fens for c in ("ucinewgame", "position fen " + fen, "go depth 7", "debug", "perft 2")]
    commands += ["ucinewgame", "position startpos moves e2e4 e7e5 g1f3 b8c6", "go depth 10",
                 "position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5", "go depth 9", "go nodes 50000",
                 "position startpos moves g1f3 g8f6 f3g1 f6g8 f2f3", "debug", "perft 0", "perft -3",
                 "position fen k6R/8/K7/8/8/8/8/8 b - - 0 1", "debug",  # checkmate
                 "position fen k7/8/1Q6/8/8/8/8/7K b - - 0 1", "debug"]  # stalemate
    lines = []
    for command in commands:
        if command.startswith("go"):  # isready would be answered during the search
            lines += [command] + velta.search(command, 120)
        else:
            velta.send(command, "isready")
            lines += [command] + velta.until_prefix("readyok", 120)[:-1]
    return [re.sub(r"( nodes) in \d+ ms, speed = \d+ nodes/s", r"\1", line) for line in without_clock(lines)]


def main():
    if THREADS > 1:
        print("skipped: the golden answers are those of one thread")
        return SKIP
    velta = start_velta()
    lines = session(velta)
    velta.kill()
    if "--write" in sys.argv:
        open(GOLDEN, "w", encoding="latin-1").write("\n".join(lines) + "\n")
        return 0
    golden = open(GOLDEN, encoding="latin-1").read().split("\n")[:-1]
    for i, (want, got) in enumerate(zip(golden + [None], lines + [None])):
        if want != got:
            print(f"line {i + 1} differs:\n  golden: {want}\n  now:    {got}")
            return 1
    print(f"{len(lines)} lines as in {GOLDEN}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
