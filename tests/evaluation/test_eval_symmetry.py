"""The static score does not depend on which colour is which.

Along seeded random games, every position P is compared with its colour-
reflected twin (ranks mirrored, colours and side to move swapped): "debug" must
give both the same score, the same number of legal moves, and P's rank-mirrored
move list must be the twin's move list. The walks use Velta's own move list, so
the test needs no other engine.
Usage: test_eval_symmetry.py <velta binary>
"""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import start_velta  # noqa: E402

POSITIONS_WANTED = 400
SEED = int(os.environ.get("VELTA_SYMMETRY_SEED", "7031"))
STARTS = [  # openings, tactics and the few-piece endings that have rules of their own
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "8/PPP4k/8/8/8/8/4Kppp/8 w - - 0 1",
    "8/8/4k3/8/2P5/8/8/4K3 b - - 0 1",
    "8/8/3k4/8/8/2BN4/4K3/8 w - - 0 1",
    "8/5k2/8/3R4/8/8/4K3/6r1 w - - 0 1",
    "8/8/2k5/4P3/8/3K4/2R5/8 b - - 0 1",
]


def mirror_fen(fen):
    placement, side, castling, ep, *counters = fen.split()
    placement = "/".join(reversed(placement.split("/"))).swapcase()
    castling = "".join(c for c in "KQkq" if c in castling.swapcase()) or "-"
    ep = ep if ep == "-" else ep[0] + {"3": "6", "6": "3"}[ep[1]]
    return " ".join([placement, "b" if side == "w" else "w", castling, ep, *counters])


def debug(velta, position):
    """(fen, score text, first move list, second move list) of the position."""
    velta.send(position)
    velta.send("debug")
    lines = velta.read_until(lambda l: l.endswith(" legal moves:"))
    lines += velta.read_until(lambda l: l.endswith(" legal moves:"))
    velta.send("isready")
    lines += velta.until_prefix("readyok")
    fen = next(l[len("fen = "):] for l in lines if l.startswith("fen = "))
    score = next(l.strip() for l in lines if l.startswith("score "))
    heads = [i for i, l in enumerate(lines) if l.endswith(" legal moves:")]
    return fen, score, lines[heads[0]:heads[1]], lines[heads[1]:-1]


def legal_moves(velta):
    velta.send("perft 1")
    return velta.read_until(lambda l: " nodes in " in l)[0].split()


def main():
    rng, velta, failures, compared = random.Random(SEED), start_velta(), 0, 0
    try:
        while compared < POSITIONS_WANTED and failures < 5:
            start, moves = rng.choice(STARTS), []
            for _ in range(rng.randint(4, 40)):
                position = f"position fen {start}" + (" moves " + " ".join(moves) if moves else "")
                fen, score, listed, mirrored = debug(velta, position)
                twin_fen, twin_score, twin_listed, _ = debug(velta, "position fen " + mirror_fen(fen))
                compared += 1
                problems = []
                if score != twin_score:
                    problems.append(f"score: {score!r} but the twin has {twin_score!r}")
                if twin_fen.split()[:5] != mirror_fen(fen).split()[:5]:
                    problems.append(f"twin read back as {twin_fen}")
                if sorted(" ".join(mirrored).split()) != sorted(" ".join(twin_listed).split()):
                    problems.append(f"mirrored moves {mirrored} but the twin has {twin_listed}")
                if problems:
                    failures += 1
                    print(f"ASYMMETRY at {fen} / {mirror_fen(fen)}\n  " + "\n  ".join(problems))
                    break
                velta.send(position)
                choices = legal_moves(velta)
                if not choices:
                    break
                moves.append(rng.choice(choices))
        errors = velta.errors()
        if errors:
            failures += 1
            print("velta wrote on standard error:", *errors[:5], sep="\n  ")
    finally:
        velta.kill()
    print(f"{compared} positions and their twins compared (seed {SEED}); {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
