"""Along seeded random walks, "debug" gives each position and its colour-reflected
twin (ranks mirrored, colours and side to move swapped) the same score."""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import start_velta  # noqa: E402

STARTS = ["rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  # openings, tactics, few-piece rules
          "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", "8/PPP4k/8/8/8/8/4Kppp/8 w - - 0 1",
          "8/8/4k3/8/2P5/8/8/4K3 b - - 0 1", "8/8/3k4/8/8/2BN4/4K3/8 w - - 0 1", "8/8/2k5/4P3/8/3K4/2R5/8 b - - 0 1"]


def debug(velta, position):  # the FEN and the score text of the position
    velta.send(position, "debug", "isready")
    lines = velta.until_prefix("readyok")
    return next(l[6:] for l in lines if l.startswith("fen = ")), next(l for l in lines if l.startswith("score "))


def main():
    rng, velta, failures, position = random.Random(7031), start_velta(), [], None
    try:
        for _ in range(400):
            if not position or rng.random() < 0.04:
                position = f"position fen {rng.choice(STARTS)} moves"
            fen, score = debug(velta, position)
            # The twin; castling rights and en passant play no part in the score.
            twin = "/".join(reversed(fen.split()[0].split("/"))).swapcase() + (" b" if " w " in fen else " w")
            if (twin_score := debug(velta, f"position fen {twin} - - 0 1")[1]) != score:
                failures.append(f"{fen}: {score.strip()}; its twin {twin}: {twin_score.strip()}")
            velta.send(position, "perft 1")  # alone: waiting input would cut the count short
            legal = velta.read_until(lambda l: " nodes in " in l)[0].split()
            position = legal and f"{position} {rng.choice(legal)}"
        failures += velta.errors()
    finally:
        velta.kill()
    print("400 positions compared with their twins", *failures[:5], sep="\n  ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
