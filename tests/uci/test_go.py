#!/usr/bin/env python3
# The "go" parameters and search features GUIs, analysis tools and match managers
# use: mate search, searchmoves, infinite and ponder searches that wait for their
# release (by a command or the end of input), "isready" during a search, and
# MultiPV. Every move read is checked against the engine's own legal moves.
import os, re, sys, time  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import AT_ONCE, SLACK, THREADS, Engine, EngineTest, release, run_tests, stockfish_path, without_clock  # noqa: E402,E501

MIDDLEGAME = "position fen r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16"
MATE_IN_3 = "position fen K7/8/5k2/3Q4/8/8/3R4/8 w - - 0 1"


def field(line, name):
    words = line.split()
    return words[words.index(name) + 1]


class Go(EngineTest):
    def quiet(self, seconds):  # nothing but progress arrives meanwhile
        time.sleep(seconds)
        self.assertFalse([l for l in self.engine.drain(0.05) if not l.startswith("info")])

    def assert_mates(self, move):  # legal, and the reply is mated in at most two more moves
        self.assert_legal(MATE_IN_3, [move])
        if stockfish_path():
            sf = Engine(stockfish_path(), "stockfish")
            self.addCleanup(sf.kill)
            sf.send(MATE_IN_3 + " moves " + move, "go depth 12")
            self.assertIn(field(sf.until_prefix("bestmove", 30)[-2], "mate"), ["-1", "-2"], move)

    def test_mate_search(self):
        self.engine.send(MATE_IN_3)
        lines = self.engine.search("go mate 3", 30)
        self.assertEqual(field(lines[-2], "mate"), "3")
        self.assert_mates(lines[-1].split()[1])
        # No mate in 2 there: the search goes on until stopped, and answers a
        # mate in 3 (with helpers, perhaps another one).
        self.engine.send(MATE_IN_3, "go mate 2")
        self.quiet(0.5 * SLACK)
        self.engine.send("stop")
        self.assert_mates(self.engine.until_prefix("bestmove")[-1].split()[1])
        self.engine.send("position startpos")
        lines = self.engine.search("go depth 6 searchmoves a2a3 h2h4")
        self.assertTrue(all(field(l, "pv") in ("a2a3", "h2h4") for l in lines if " pv " in l))
        self.assertIn(lines[-1], ["bestmove a2a3", "bestmove h2h4"])

    def test_infinite_and_ponder_searches_wait_for_their_release(self):
        for position, go, command in [(MATE_IN_3, "go infinite", "stop"),  # ends by itself with a mate
                                      ("position fen 7k/8/8/8/8/8/6q1/7K w - - 0 1", "go infinite", "stop"),
                                      ("position startpos", "go ponder wtime 2000 btime 2000", "stop"),
                                      ("position startpos", "go ponder wtime 2000 btime 2000", "ponderhit"),
                                      ("position startpos", "go infinite", "quit"),  # answers, then exits
                                      ("position startpos", "go infinite", None)]:  # the end of input: the same
            with self.subTest(go=go, release=command):
                self.engine.send("setoption name Ponder value true", position, go)
                self.quiet(0.6)
                # (ponderhit with 2 s on the clock leaves no time above the reserve: it ends at once)
                lines, cpu, wall = release(self.engine, *[command] if command else [])
                self.assertLess(cpu, AT_ONCE * THREADS, f"{go}, then {command}: {cpu:.2f} s of CPU "
                                f"({wall:.2f} s on the clock) up to bestmove")
                if command in ("quit", None):
                    self.assertEqual(self.engine.proc.wait(5), 0)
                    self.setUp()
                else:
                    self.assert_legal(position, lines[-1].split()[1::2])  # the move and the reply to ponder on

    def test_isready_during_a_search_answers_at_once(self):
        self.engine.send(MIDDLEGAME, "go infinite")
        self.engine.until_prefix("info depth 8", 20 * SLACK)
        self.engine.send("isready")
        self.engine.until_prefix("readyok", 30 * SLACK)
        self.engine.until_prefix("info depth 9", 20 * SLACK)  # the search went on
        # Sent together, isready is answered before the search ends and stop ends it at once.
        lines, cpu, wall = release(self.engine, "isready", "stop")
        self.assertEqual([l for l in lines if not l.startswith("info")][:1], ["readyok"])
        self.assertLess(cpu, AT_ONCE * THREADS, f"isready and stop: {cpu:.2f} s of CPU ({wall:.2f} s on the clock)")
        self.assert_legal(MIDDLEGAME, [lines[-1].split()[1]])

    def test_readyok_waits_for_a_new_table(self):
        # A search on pages the system is still providing stalls on each first
        # touch (seconds for a large table on a loaded machine): once readyok
        # answers, the whole table is resident.
        self.answers("setoption name Hash value 1024")
        with open(f"/proc/{self.engine.proc.pid}/status") as status:
            resident_kb = int(re.search(r"VmRSS:\s+(\d+)", status.read())[1])
        self.assertGreater(resident_kb, 1024 * 1024)

    def test_multipv(self):
        plain = self.engine.search("go depth 7")
        self.engine.send("ucinewgame", "setoption name MultiPV value 1")
        if THREADS == 1:
            self.assertEqual(without_clock(plain), without_clock(self.engine.search("go depth 7")))
        for position, k, wanted in [(MIDDLEGAME, 4, 4), ("position fen 7k/8/8/8/8/8/5q2/6K1 w - - 0 1", 50, 2)]:
            self.engine.send("setoption name MultiPV value %d" % k, position)
            lines = [l for l in self.engine.search("go depth 6") if " multipv " in l and field(l, "depth") == "6"]
            self.assertEqual([field(l, "multipv") for l in lines], [str(i + 1) for i in range(wanted)])
            self.assertEqual(len({field(l, "pv") for l in lines}), wanted)
            scores = [int(field(l, "cp")) for l in lines]
            self.assertEqual(scores, sorted(scores, reverse=True))
            for line in lines:
                self.assert_legal(position, line.split(" pv ")[1].split())


if __name__ == "__main__":
    run_tests()
