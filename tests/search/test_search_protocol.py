#!/usr/bin/env python3
"""The search as a GUI sees it: progress lines, game-over answers, mate
announcements, the clock and interruptions, "bench" and reproducibility.

Every command waits for its answer before the next is sent: unread input ends
a running search, exactly as "stop" does.
"""
import os
import re
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "common"))
from engine import engine_path, start_velta  # noqa: E402

VELTA = engine_path()
BENCH_FILE = os.path.join(HERE, "..", "bench.txt")

INFO = re.compile(r"info depth (\d+) seldepth (\d+) score (cp|mate) (-?\d+) (lowerbound )?"
                  r"pv ((?:[a-h][1-8][a-h][1-8][qrbn]? )+)time \d+ nodes (\d+) nps \d+ hashfull \d+$")
SUMMARY = re.compile(r"(\d+) nodes in (\d+) ms, speed = (\d+) nodes/s$")
START_MOVES = {f"{f}2{f}{r}" for f in "abcdefgh" for r in "34"} | {"b1a3", "b1c3", "g1f3", "g1h3"}
MATE_IN_ONE = "position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1"
# Slack for a loaded two-core machine.
MOVETIME_LIMIT = 1.5
STOP_LIMIT = 0.3


def settle(e, *commands):
    """Sends commands that print nothing, each followed by the isready barrier."""
    for command in commands:
        e.send(command)
        e.send("isready")
        lines = e.until_prefix("readyok")
        assert lines == ["readyok"], f"{command!r} printed {lines[:-1]}"


def go(e, line, timeout=60.0):
    e.send(line)
    return e.until_prefix("bestmove", timeout)


def wait_for_search(e):
    """Waits until a "go infinite" search has reported its first line."""
    e.until_prefix("info depth", 10.0)


def check_iteration_lines(e):
    settle(e, "ucinewgame", "position startpos")
    lines = go(e, "go depth 3")
    assert len(lines) == 5, lines
    infos = [INFO.match(line) for line in lines[:3]]
    assert all(infos), lines[:3]
    assert [int(m.group(1)) for m in infos] == [1, 2, 3], lines[:3]
    nodes = [int(m.group(7)) for m in infos]
    assert nodes == sorted(nodes), f"node counts go down: {nodes}"
    for m in infos:
        assert int(m.group(2)) >= int(m.group(1)), f"seldepth below depth: {m.group(0)}"
        assert m.group(5) is None, f"depth-limited iterations report exact scores: {m.group(0)}"
    last = infos[-1]
    assert last.group(3) == "cp", lines
    assert lines[3] == f"info score cp {last.group(4)} ", repr(lines[3])
    best = lines[4].split()
    assert len(best) == 2 and best[1] in START_MOVES, lines[4]
    assert best[1] == last.group(6).split()[0], f"bestmove is not the reported move: {lines[2:]}"


def check_single_legal_move(e):
    settle(e, "position fen 7k/8/8/8/8/8/6q1/7K w - - 0 1")
    assert go(e, "go depth 5") == ["bestmove h1g2"]
    settle(e)


def check_game_over(e):
    cases = [
        ("position startpos moves f2f3 e7e5 g2g4 d8h4", "mate"),
        ("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "pat"),
        ("position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", "draw"),
        ("position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 100 80", "draw"),
    ]
    for position, kind in cases:
        settle(e, position)
        lines = go(e, "go depth 5")
        assert lines == [f"info string Game over ({kind}) !", "bestmove 0000"], (position, lines)
    # The second occurrence is still a game.
    settle(e, "position startpos moves g1f3 g8f6 f3g1 f6g8")
    lines = go(e, "go depth 2")
    assert not any("Game over" in line for line in lines), lines
    assert lines[-1].split()[1] in START_MOVES, lines[-1]


def check_mate_in_one(e):
    settle(e, "ucinewgame", MATE_IN_ONE)
    lines = go(e, "go depth 8")
    assert len(lines) == 4, lines
    m = INFO.match(lines[0])
    assert m and m.group(1) == "1" and m.group(3) == "mate" and m.group(4) == "1", lines[0]
    assert m.group(6) == "a1a8 ", lines[0]
    assert lines[1:] == ["info string Mate in 1 half-moves !", "info score mate 1 ", "bestmove a1a8"], lines


def check_movetime(e):
    settle(e, "ucinewgame", "position startpos")
    start = time.monotonic()
    lines = go(e, "go movetime 500", 10.0)
    took = time.monotonic() - start
    print(f"go movetime 500: bestmove after {took:.3f} s")
    assert 0.49 <= took < MOVETIME_LIMIT, f"bestmove after {took:.3f} s"
    assert any(INFO.match(line) for line in lines), lines
    assert lines[-1].split()[1] in START_MOVES, lines[-1]


def check_stop_and_isready_end_infinite(e):
    settle(e, "ucinewgame", "position startpos")
    e.send("go infinite")
    wait_for_search(e)
    time.sleep(0.3)
    start = time.monotonic()
    e.send("stop")
    lines = e.until_prefix("bestmove", 5.0)
    took = time.monotonic() - start
    print(f"stop during go infinite: bestmove after {took * 1000:.0f} ms")
    assert took < STOP_LIMIT, f"bestmove {took * 1000:.0f} ms after stop"
    assert lines[-1].split()[1] in START_MOVES, lines[-1]
    settle(e)  # the "stop" line itself is read afterwards and ignored

    e.send("go infinite")
    wait_for_search(e)
    e.send("isready")
    lines = e.until_prefix("readyok", 5.0)
    best = [i for i, line in enumerate(lines) if line.startswith("bestmove")]
    assert len(best) == 1 and best[0] == len(lines) - 2, f"expected bestmove then readyok: {lines[-3:]}"


def check_quit_during_search(_):
    e = start_velta(VELTA)
    try:
        settle(e, "position startpos")
        e.send("go infinite")
        wait_for_search(e)
        e.send("quit")
        e.until_prefix("bestmove", 5.0)
        status = e.proc.wait(5.0)
        assert status == 0, f"exit status {status}"
    finally:
        e.kill()


def bench_total(e):
    e.send("bench")
    lines = e.read_until(lambda line: SUMMARY.match(line) is not None, 600.0)
    assert sum(line.startswith("bestmove") for line in lines) == 4, "bench searches four positions"
    nodes, ms, speed = map(int, SUMMARY.match(lines[-1]).groups())
    assert speed == (nodes // ms * 1000 if ms else 0), lines[-1]
    print(lines[-1])
    return nodes


def check_bench(e):
    first, second = bench_total(e), bench_total(e)
    assert first == second, f"bench node totals differ: {first} then {second}"
    with open(BENCH_FILE) as f:
        expected = int(f.read().strip())
    assert first == expected, f"bench total {first}, tests/bench.txt says {expected}"


def check_reproducible(e):
    session = [
        ("position startpos", None),
        ("go depth 6", 120.0),
        ("position fen r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16", None),
        ("go depth 6", 120.0),
        ("position startpos moves e2e4 e7e5", None),  # the table keeps the first search's entries
        ("go depth 5", 120.0),
        (MATE_IN_ONE, None),
        ("go depth 4", 120.0),
    ]

    def run():
        settle(e, "ucinewgame")
        out = []
        for command, timeout in session:
            if timeout is None:
                settle(e, command)
            else:
                out += [re.sub(r" (time|nps) \d+", "", line) for line in go(e, command, timeout)]
        return out

    first, second = run(), run()
    assert first == second, "\n".join(f"{a!r} | {b!r}" for a, b in zip(first, second) if a != b)


CHECKS = [check_iteration_lines, check_single_legal_move, check_game_over, check_mate_in_one,
          check_movetime, check_stop_and_isready_end_infinite, check_quit_during_search,
          check_reproducible, check_bench]


def main():
    engine = start_velta(VELTA)
    failures = 0
    try:
        for check in CHECKS:
            try:
                check(engine)
                print(f"ok   {check.__name__}")
            except (AssertionError, TimeoutError, EOFError) as error:
                failures += 1
                print(f"FAIL {check.__name__}: {error}")
                if engine.proc.poll() is not None or isinstance(error, TimeoutError):
                    engine.kill()
                    engine = start_velta(VELTA)
    finally:
        engine.send("quit")
        engine.close()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
