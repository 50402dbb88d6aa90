"""Perft divides compared with Stockfish's along seeded random games.

From each start position a few random walks are played; at every position on
the way both engines count "perft 3" per root move, and the divides must agree
move for move. The walk picks its moves from Stockfish's list, so a generator
fault in Velta cannot steer the walk away from the positions that expose it.
Usage: test_stockfish_perft.py <velta binary>
"""
import os
import random
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SKIP, Engine, start_velta, stockfish_path  # noqa: E402

DEPTH = 3
POSITIONS_WANTED = 1000
SEED = int(os.environ.get("VELTA_PERFT_SEED", "20240917"))

# Castling through and out of check, en passant with pinned and checking pawns,
# promotions with and without capture, and early checks.
STARTS = [
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "8/PPP4k/8/8/8/8/4Kppp/8 w - - 0 1",
    "r3k2r/8/8/8/3pPp2/8/8/R3K1RR b KQkq e3 0 1",
    "4k3/8/8/2KpP2r/8/8/8/8 w - d6 0 1",
    "r1bqkb1r/pppp1Qpp/2n2n2/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4",
]

DIVIDE_LINE = re.compile(r"^([a-h][1-8][a-h][1-8][nbrq]?): (\d+)$")
VELTA_SUMMARY = re.compile(r"^(\d+) nodes in \d+ ms, speed = \d+ nodes/s$")


def position_command(start, moves):
    return f"position fen {start}" + (" moves " + " ".join(moves) if moves else "")


def stockfish_divide(sf, command):
    sf.send(command, f"go perft {DEPTH}")
    lines = sf.until_prefix("Nodes searched:", timeout=60)
    divide = {m.group(1): int(m.group(2)) for m in map(DIVIDE_LINE.match, lines) if m}
    return divide, int(lines[-1].split(":")[1])


def velta_divide(velta, command):
    """Velta's divide, total, and any unexpected output or error lines."""
    velta.send(command)
    velta.send("isready")
    stray = velta.until_prefix("readyok")[:-1]
    velta.send(f"perft {DEPTH}")
    lines = velta.read_until(lambda l: VELTA_SUMMARY.match(l) is not None, timeout=60)
    divide, total = {}, int(VELTA_SUMMARY.match(lines[-1]).group(1))
    for line in lines[:-1]:
        m = DIVIDE_LINE.match(line)
        if m and m.group(1) not in divide:
            divide[m.group(1)] = int(m.group(2))
        else:
            stray.append(line)
    while not velta.err.empty():
        stray.append("stderr: " + str(velta.err.get_nowait()))
    return divide, total, stray


def compare(where, sf_div, sf_total, v_div, v_total, stray):
    problems = [f"unexpected output: {line!r}" for line in stray]
    for move in sorted(set(sf_div) | set(v_div)):
        expected, actual = sf_div.get(move), v_div.get(move)
        if expected != actual:
            problems.append(f"{move}: stockfish {expected}, velta {actual}")
    if sf_total != v_total:
        problems.append(f"total: stockfish {sf_total}, velta {v_total}")
    if problems:
        print(f"MISMATCH at {where}\n  " + "\n  ".join(problems))
    return not problems


def pick_move(rng, divide):
    """A random move, often one of the rare kinds that stress the generator.

    The move whose subtree is smallest usually gives check (the replies are
    few), so favouring it walks into positions with checks and pins.
    """
    moves = sorted(divide)
    special = [m for m in moves if len(m) == 5 or m in ("e1g1", "e1c1", "e8g8", "e8c8")]
    roll = rng.random()
    if special and roll < 0.25:
        return rng.choice(special)
    if roll < 0.5:
        return min(moves, key=lambda m: (divide[m], m))
    return rng.choice(moves)


def main():
    sf_path = stockfish_path()
    if not sf_path:
        print("skipped: Stockfish is not installed (tools/ensure_stockfish.sh installs it)")
        return SKIP
    rng = random.Random(SEED)
    velta, sf = start_velta(), Engine(sf_path, "stockfish")
    started, compared, failures, walk = time.monotonic(), 0, 0, 0
    try:
        sf.send("uci")
        sf.until_prefix("uciok")
        while compared < POSITIONS_WANTED and failures < 5:
            start, moves = STARTS[walk % len(STARTS)], []
            length = rng.randint(6, 24)
            walk += 1
            while True:
                command = position_command(start, moves)
                sf_div, sf_total = stockfish_divide(sf, command)
                v_div, v_total, stray = velta_divide(velta, command)
                compared += 1
                if not compare(command, sf_div, sf_total, v_div, v_total, stray):
                    failures += 1
                    break  # the walk past a wrong position proves little more
                if len(moves) >= length or not sf_div:
                    break
                moves.append(pick_move(rng, sf_div))
        errors = velta.errors()
        if errors:
            print("velta wrote on standard error:", *errors[:5], sep="\n  ")
            failures += 1
    finally:
        velta.kill()
        sf.kill()
    print(f"{compared} positions in {walk} walks compared at depth {DEPTH} "
          f"(seed {SEED}) in {time.monotonic() - started:.1f} s; {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
