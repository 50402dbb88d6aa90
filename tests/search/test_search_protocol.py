#!/usr/bin/env python3
# The search as a GUI sees it: progress lines, answers without a search, mate
# announcements, the clock and interruptions, "bench" and reproducibility.
# Every command waits for its answer: a command read during a search ends it.
import os, re, sys, time  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import AT_ONCE, BENCH, SLACK, THREADS, EngineTest, cpu_seconds, run_tests, without_clock  # noqa: E402

INFO = re.compile(r"info depth (\d+) seldepth (\d+) score (cp|mate) (-?\d+) (lowerbound )?"
                  r"pv ((?:[a-h][1-8][a-h][1-8][qrbn]? )+)time \d+ nodes \d+ nps \d+ hashfull \d+$")
# The closing line before "bestmove", with the principal variation last.
CLOSING = r"info depth %s seldepth \d+ score %s time \d+ nodes %s nps \d+ hashfull \d+ pv %s"
START_MOVE = r"^bestmove (([a-h])2\2[34]|b1[ac]3|g1[fh]3)$"
MIDDLEGAME = "position fen r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16"


class Search(EngineTest):
    def test_iteration_lines_and_a_repeated_session(self):
        # The same session twice, "ucinewgame" between: the same lines, node
        # limit included (it stops on the node; with helpers it is checked in steps).
        def session():
            self.engine.send("ucinewgame", "position startpos")
            lines = self.engine.search("go depth 3")
            self.engine.send("position startpos moves e2e4 e7e5")  # on the table the first search left
            lines += self.engine.search("go depth 5")
            self.engine.send(MIDDLEGAME)
            return lines + self.engine.search("go depth 6") + self.engine.search("go nodes 20000")
        first = session()
        if THREADS == 1:  # helpers make a search's course depend on timing
            self.assertEqual(without_clock(first), without_clock(session()))
            self.assertRegex(first[-2], CLOSING % (r"\d+", r"cp -?\d+", 20000, ".+"))
        self.assert_legal(MIDDLEGAME, [first[-1].split()[1]])
        infos = [INFO.match(line) for line in first[:3]]
        self.assertEqual([m and m.group(1) for m in infos], ["1", "2", "3"])
        self.assertTrue(all(int(m.group(2)) >= int(m.group(1)) for m in infos))
        self.assertRegex(first[3], CLOSING % (3, "cp " + infos[2].group(4), r"\d+", infos[2].group(6).strip()))
        self.assertRegex(first[4], START_MOVE)
        self.assertEqual(first[4].split()[1], infos[2].group(6).split()[0])

    def test_answers_without_a_search_and_drawn_roots(self):
        for position, answer in [
                ("fen 7k/8/8/8/8/8/6q1/7K w - - 0 1", ["bestmove h1g2"]),  # one legal move
                ("startpos moves f2f3 e7e5 g2g4 d8h4", ["info string Game over (mate) !", "bestmove 0000"]),
                ("fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", ["info string Game over (pat) !", "bestmove 0000"])]:
            with self.subTest(position=position):
                self.engine.send("position " + position)
                self.assertEqual(self.engine.search("go depth 5"), answer)
        # A root drawn by repetition or the fifty-move rule is searched like any other.
        for position in ["startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", "fen 4k3/8/8/8/8/8/4P3/4K3 w - - 100 80"]:
            with self.subTest(position=position):
                self.engine.send("position " + position)
                lines = self.engine.search("go depth 5")
                self.assertRegex(lines[-2], CLOSING % (5, r"cp -?\d+", r"\d+", ".+"))
                self.assertIn(lines[-1].split()[1], self.engine.legal_moves("position " + position))

    def test_win_draw_loss_odds(self):
        # With UCI_ShowWDL every score carries "wdl W D L" right after its
        # value, per mille summing to 1000, in root, MultiPV and closing lines
        # alike; a mate is certain. Without it no line has odds.
        self.engine.send("setoption name UCI_ShowWDL value true", "setoption name MultiPV value 2", MIDDLEGAME)
        lines = self.engine.search("go depth 5")
        self.engine.send("setoption name MultiPV value 1")
        lines += self.engine.search("go depth 5")
        scored = [line for line in lines if " score " in line]
        self.assertGreater(len(scored), 10)
        for line in scored:
            odds = re.search(r" score (cp|mate) -?\d+ wdl (\d+) (\d+) (\d+) (lowerbound )?(pv|time) ", line)
            self.assertTrue(odds and sum(map(int, odds.group(2, 3, 4))) == 1000, line)
        self.engine.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1")
        self.assertIn(" score mate 1 wdl 1000 0 0 ", self.engine.search("go depth 3")[-2])
        # A mate found is announced, and ends the search; without the option no odds.
        self.engine.send("setoption name UCI_ShowWDL value false")
        lines = self.engine.search("go depth 8")
        self.assertEqual(INFO.match(lines[0]).group(1, 3, 4, 6), ("1", "mate", "1", "a1a8 "))
        self.assertEqual(lines[1:], ["info string Mate in 1 half-moves !", lines[2], "bestmove a1a8"])
        self.assertRegex(lines[2], CLOSING % (1, "mate 1", r"\d+", "a1a8"))

    def test_movetime(self):
        # At least the time given on the clock, and no more work than that time allows
        # (a loaded machine stretches the clock, not the work).
        cpu, started = cpu_seconds(self.engine), time.monotonic()
        self.assertRegex(self.engine.search("go movetime 500", 10 * SLACK)[-1], START_MOVE)
        cpu, wall = cpu_seconds(self.engine) - cpu, time.monotonic() - started
        self.assertGreaterEqual(wall, 0.49, "movetime 500 ended early")
        self.assertLess(cpu, (0.5 + AT_ONCE) * THREADS, f"movetime 500: {cpu:.2f} s of CPU ({wall:.2f} s on the clock)")

    def test_commands_during_a_search_are_carried_out_in_order(self):
        # Thirty lines at once while "go infinite" runs: the first ends it, and
        # each later one is carried out in turn. Every position has one legal
        # move, so each "bestmove" and each "perft 1" shows whose turn it was.
        only_moves = ["7k/8/8/8/8/8/6q1/7K w - - 0 1", "7K/8/8/8/8/8/6Q1/7k b - - 0 1",
                      "k7/1Q6/8/8/8/8/8/7K b - - 0 1", "K7/1q6/8/8/8/8/8/7k w - - 0 1", "K7/8/8/8/8/8/8/1q5k w - - 0 1"]
        replies = ["h1g2", "h1g2", "a8b7", "a8b7", "a8a7"]
        self.engine.send("position startpos", "go infinite")
        self.engine.until_prefix("info depth 3")
        lines = []
        for i in range(10):
            lines += ["position fen " + only_moves[i % 5], "go depth 20", "perft 1"]
        self.engine.send(*lines)
        summaries = iter(range(1, 11))
        answers = self.engine.read_until(lambda line: line.startswith("1 nodes in") and next(summaries) == 10, 30)
        answers = [line for line in answers if not line.startswith("info")]
        expected = [answers[0]]
        for i in range(10):
            expected += ["bestmove " + replies[i % 5], replies[i % 5] + " "]
        self.assertRegex(answers[0], START_MOVE)
        self.assertEqual([line for line in answers if not line.startswith("1 nodes in")], expected)
        # Nothing is read or lost while the engine waits between searches:
        # a line that arrives in pieces is read whole.
        self.engine.send_raw(b"posi")
        time.sleep(0.3)
        self.engine.send_raw(b"tion startpos moves e2e4\nperf")
        time.sleep(0.3)
        self.engine.send_raw(b"t 1\n")
        self.assertEqual(len(self.engine.read_until(lambda line: " nodes in " in line)[-2].split()), 20)

    def test_bench_node_total(self):
        if SLACK > 1:
            self.skipTest("bench runs one thread; the faster builds check its total")
        totals = []
        for _ in range(2):
            self.engine.send("bench")
            lines = self.engine.read_until(lambda line: " nodes in " in line, 600)
            self.assertEqual(sum(line.startswith("bestmove") for line in lines), 4)
            summary = re.fullmatch(r"(\d+) nodes in (\d+) ms, speed = (\d+) nodes/s", lines[-1])
            nodes, ms, speed = map(int, summary.groups())
            self.assertEqual(speed, nodes // ms * 1000 if ms else 0)
            totals.append(nodes)
        self.assertEqual(totals, [int(BENCH)] * 2)


if __name__ == "__main__":
    run_tests()
