"""A few short timed games through the real protocol: against a second Velta and
against Stockfish, every move checked by a Stockfish referee. Fails on any
illegal move, loss on time, crash or hang of Velta."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "common"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
from engine import SKIP, engine_path, stockfish_path  # noqa: E402
import games  # noqa: E402


def main():
    velta = engine_path()
    if not stockfish_path():
        print("skipped: stockfish is not installed; it referees every move")
        return SKIP
    # 2 s + 0.1 s keeps Velta's budget well above its 10000-node check interval
    # even on a loaded machine; the ply cap bounds the run to well under 90 s.
    # Two openings per opponent: the quiet start and a position where castling,
    # en passant and promotions come up within a few moves.
    games.OPENINGS[:] = [o for o in games.OPENINGS if o[0] in ("start position", "busy middlegame")]
    status = games.main(["--engine", velta, "--games", "8", "--tc", "2+0.1",
                         "--max-plies", "50", "--margin", "10"])
    if status != 0:
        print("FAIL: Velta played an illegal move, lost on time or crashed (see above)")
    return status


if __name__ == "__main__":
    sys.exit(main())
