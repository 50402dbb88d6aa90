# Perft divides at depth 3 compared with Stockfish's, move by move, along seeded
# random walks. The walks pick their moves from Stockfish's list, so a generator
# fault in Velta cannot steer them away from the positions that expose it.
# Then the same with UCI_Chess960 set, from random Fischer Random and Double
# Fischer Random starts and the hard cases of tools/chess960.py.
# Usage: test_stockfish_perft.py <velta binary>
import os, random, re, sys  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SKIP, Engine, start_velta, stockfish_path  # noqa: E402
import chess960  # noqa: E402  (tools/, on the path through engine)

SEED = 20240917
# Castling through and out of check, en passant with pinned and checking pawns,
# promotions with and without capture, a side in check.
STARTS = ["r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
          "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
          "r3k2r/8/8/8/3pPp2/8/8/R3K1RR b KQkq e3 0 1",
          "4k3/8/8/2KpP2r/8/8/8/8 w - d6 0 1"]
DIVIDE = re.compile(r"^([a-h][1-8][a-h][1-8][nbrq]?): (\d+)$")
SUMMARY = re.compile(r"^(\d+) nodes in \d+ ms, speed = \d+ nodes/s$")


def divides(velta, sf, command):
    # Both divides, and Velta's lines that are neither a divide line nor the right total.
    sf.send(command, "go perft 3")
    sf_div = dict(m.groups() for m in map(DIVIDE.match, sf.until_prefix("Nodes searched:", 60)) if m)
    velta.send(command, "perft 3")
    *lines, summary = velta.read_until(SUMMARY.match, 60)
    velta_div = dict(m.groups() for m in map(DIVIDE.match, lines) if m)
    total_right = int(SUMMARY.match(summary)[1]) == sum(map(int, velta_div.values()))
    return sf_div, velta_div, [line for line in lines if not DIVIDE.match(line)] + [summary] * (not total_right)


def walks(velta, sf, rng, starts, positions):
    # Walks from the starts in turn until `positions` are compared; the number compared, walked and failed.
    compared = failures = walked = 0
    while compared < positions and failures < 5:
        start, moves, walked = starts[walked % len(starts)], [], walked + 1
        for _ in range(rng.randint(7, 25)):
            command = f"position fen {start}" + (" moves " + " ".join(moves) if moves else "")
            sf_div, velta_div, stray = divides(velta, sf, command)
            compared += 1
            if sf_div != velta_div or stray:
                failures += 1
                print(f"MISMATCH at {command}\n  only stockfish: {sorted(sf_div.items() - velta_div.items())}"
                      f"\n  only velta: {sorted(velta_div.items() - sf_div.items())}\n  unexpected: {stray}")
            if sf_div != velta_div or stray or not sf_div:
                break  # a mate ends the walk; past a wrong position it proves little more
            # The move with the fewest replies below it usually gives check: take it often.
            moves.append(min(sf_div, key=lambda m: int(sf_div[m])) if rng.random() < 0.4 else rng.choice(list(sf_div)))
    return compared, walked, failures


def main():
    if not stockfish_path():
        print("skipped: Stockfish is not installed (tools/ensure_test_tools.sh installs it)")
        return SKIP
    rng, velta, sf = random.Random(SEED), start_velta(), Engine(stockfish_path(), "stockfish")
    compared, walked, failures = walks(velta, sf, rng, STARTS, 1000)
    print(f"{compared} positions in {walked} walks compared at depth 3 (seed {SEED}); {failures} failed")
    for engine in (velta, sf):
        engine.send("setoption name UCI_Chess960 value true")
    starts = [chess960.start_fen(rng.randrange(960), rng.randrange(960) if i % 2 else None) for i in range(30)]
    starts += [fen for fen, _ in chess960.HARD_CASES]
    rng.shuffle(starts)
    compared, walked, failed = walks(velta, sf, rng, starts, 600)
    print(f"Chess960: {compared} positions in {walked} walks compared at depth 3; {failed} failed")
    failures += failed
    errors = velta.errors()
    velta.kill(), sf.kill()
    if errors:
        print("velta wrote on standard error:", *errors[:5], sep="\n  ")
    return 1 if failures or errors else 0


sys.exit(main())
