#!/usr/bin/env python3
# A few short timed games through the real protocol, against a second Velta and
# against Stockfish, every move checked by a Stockfish referee: fails on any
# illegal move, loss on time, crash or hang of Velta.
import os, sys  # noqa: E401
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "common"), os.path.join(HERE, "..", "..", "tools")]
from engine import SKIP, engine_path, stockfish_path  # noqa: E402
import games  # noqa: E402

if __name__ == "__main__":
    velta = engine_path()
    if not stockfish_path():
        print("skipped: stockfish is not installed; it referees every move")
        sys.exit(SKIP)
    # Castling both ways, en passant and promotions come up within a few moves here.
    games.OPENINGS[:] = [o for o in games.OPENINGS if o[0] == "busy middlegame"]
    # 2 s + 0.1 s keeps Velta's budget well above its 10000-node check interval on a
    # loaded machine; the ply cap bounds the run.
    sys.exit(games.main(["--engine", velta, "--games", "4", "--tc", "2+0.1", "--max-plies", "50", "--margin", "10"]))
