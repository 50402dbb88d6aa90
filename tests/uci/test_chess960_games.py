#!/usr/bin/env python3
# Fischer Random games under fastchess, as an OpenBench worker plays them with
# an FRC book: 16 node-limited games (so the same games each run) from
# tests/frc960.epd, none lost to an illegal move or a crash, and castlings
# among them. Skipped without build/fastchess/fastchess; "make games960"
# plays a longer match under a clock.
import os, sys  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import chess960_match  # noqa: E402
from engine import SKIP, engine_path  # noqa: E402

FASTCHESS = os.path.join(chess960_match.ROOT, "build", "fastchess", "fastchess")


def main():
    if not os.access(FASTCHESS, os.X_OK):
        print(f"skipped: no fastchess at {FASTCHESS} (/work/shared/tools/fastchess/build.sh build/fastchess)")
        return SKIP
    games, output = chess960_match.play(os.path.abspath(engine_path()), FASTCHESS, 8, "nodes=10000")
    lines, passed = chess960_match.summary(games)
    print(*lines, sep="\n")
    if not passed:
        print(output[-3000:])
    return 0 if passed else 1


sys.exit(main())
