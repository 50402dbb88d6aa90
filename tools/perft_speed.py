"""Perft speed of Velta beside Stockfish's on the same positions.

Both engines are timed the same way, from the command sent to the line that
ends the count (Velta's own millisecond figure is shown as well). Without
Stockfish only Velta's figures are printed. With --against, two Velta
binaries are timed instead, alternately, and their median times compared.
Usage: python3 tools/perft_speed.py <velta binary> [--against <other binary> [--runs N]]
"""
import os
import statistics
import sys
import time

from uci_engine import Engine, start_velta, stockfish_path  # noqa: E402

CASES = [  # (name, FEN, depth)
    ("start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6),
    ("castling middlegame", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5),
]
TIMEOUT = 600


def timed(engine, command, done):
    """Seconds from sending the command to its final line, and that line."""
    began = time.perf_counter()
    engine.send(command)
    last = engine.read_until(done, timeout=TIMEOUT)[-1]
    return time.perf_counter() - began, last


def velta_perft(velta, fen, depth):
    velta.send(f"position fen {fen}", "isready")
    velta.until_prefix("readyok")
    seconds, summary = timed(velta, f"perft {depth}", lambda l: " nodes in " in l)
    words = summary.split()
    return int(words[0]), seconds, int(words[3])


def stockfish_perft(sf, fen, depth):
    sf.send(f"position fen {fen}", "isready")
    sf.until_prefix("readyok")
    seconds, last = timed(sf, f"go perft {depth}", lambda l: l.startswith("Nodes searched:"))
    return int(last.split(":")[1]), seconds


def rate(nodes, seconds):
    return nodes / seconds if seconds > 0 else 0.0


def cpu_seconds(engine):
    """The processor time an engine process has used so far (Linux), which a busy machine disturbs less."""
    with open(f"/proc/{engine.proc.pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def compare(binaries, runs):
    """Each binary counts every case in turn, the order swapped each run; median times and ratios."""
    engines = [start_velta(path) for path in binaries]
    try:
        for name, fen, depth in CASES:
            times, cpu, nodes = [[], []], [[], []], set()
            for run in range(runs):
                for i in (0, 1) if run % 2 == 0 else (1, 0):
                    # Five counts a sample, so the processor time (in ticks) is long enough to compare.
                    before, seconds = cpu_seconds(engines[i]), 0
                    for _ in range(5):
                        count, taken, _ = velta_perft(engines[i], fen, depth)
                        nodes.add(count)
                        seconds += taken
                    cpu[i].append(cpu_seconds(engines[i]) - before)
                    times[i].append(seconds)
            wall = [statistics.median(t) for t in times]
            used = [statistics.median(t) for t in cpu]
            print(f"{name:<20} perft {depth}, medians of {runs}: {binaries[0]} {wall[0]:.3f} s ({used[0]:.2f} s cpu), "
                  f"{binaries[1]} {wall[1]:.3f} s ({used[1]:.2f} s cpu); the first is {wall[1] / wall[0]:.3f}x as "
                  f"fast ({used[1] / used[0]:.3f}x by cpu)" + ("" if len(nodes) == 1 else "   NODE COUNTS DIFFER"),
                  flush=True)
    finally:
        for engine in engines:
            engine.kill()
    return 0


def main():
    if "--against" in sys.argv:
        runs = int(sys.argv[sys.argv.index("--runs") + 1]) if "--runs" in sys.argv else 9
        return compare([sys.argv[1], sys.argv[sys.argv.index("--against") + 1]], runs)
    velta = start_velta(sys.argv[1] if len(sys.argv) > 1 else None)
    sf_path = stockfish_path()
    sf = Engine(sf_path, "stockfish") if sf_path else None
    if sf:
        sf.send("uci")
        sf.until_prefix("uciok")
    else:
        print("Stockfish is not installed: Velta's figures only")
    print(f"{'position':<20} {'depth':>5} {'engine':<9} {'nodes':>12} {'ms':>8} {'Mnodes/s':>9}")
    try:
        for name, fen, depth in CASES:
            nodes, seconds, own_ms = velta_perft(velta, fen, depth)
            v_rate = rate(nodes, seconds)
            print(f"{name:<20} {depth:>5} {'velta':<9} {nodes:>12} {seconds * 1000:>8.0f} "
                  f"{v_rate / 1e6:>9.1f}   (own figure {own_ms} ms)")
            if sf:
                sf_nodes, sf_seconds = stockfish_perft(sf, fen, depth)
                sf_rate = rate(sf_nodes, sf_seconds)
                ratio = f"{v_rate / sf_rate:.2f}" if sf_rate else "n/a"
                agree = "" if sf_nodes == nodes else "   NODE COUNTS DIFFER"
                print(f"{'':<20} {'':>5} {'stockfish':<9} {sf_nodes:>12} {sf_seconds * 1000:>8.0f} "
                      f"{sf_rate / 1e6:>9.1f}   velta/stockfish speed = {ratio}{agree}")
    finally:
        velta.kill()
        if sf:
            sf.kill()
    return 0


if __name__ == "__main__":
    sys.exit(main())
