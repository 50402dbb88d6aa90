#!/usr/bin/env python3
# The Threads option: with 2 and 4 threads, searches to a fixed depth end with
# legal moves and lines, mates are announced, "stop" and "isready" answer at once,
# and a node limit counts every thread; with 1 the output is the single thread's.
import os, sys, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import AT_ONCE, SLACK, release, run_tests, start_velta, without_clock  # noqa: E402

POSITIONS = ["position startpos", "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
             "position fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
             "position fen 2r1k2r/pq1p1ppp/1pbPpn2/8/2P2B2/P2B1P2/1PQ3PP/R3K2R b KQk - 2 16",
             "position fen n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"]


class Threads(unittest.TestCase):
    def test_searches_with_helpers(self):
        for threads in (2, 4):
            engine = start_velta(threads=threads)
            self.addCleanup(engine.kill)
            for position in POSITIONS:
                with self.subTest(threads=threads, position=position):
                    engine.send(position)
                    lines = engine.search("go depth 9", 60 * SLACK)
                    pv = lines[-2].split(" pv ")[1].split()
                    self.assertEqual(lines[-1], "bestmove " + pv[0])
                    self.assertIn(pv[0], engine.legal_moves(position))
            engine.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1")
            self.assertEqual(engine.search("go depth 8")[-3:-1:2], ["info string Mate in 1 half-moves !"])
            engine.send("position startpos")
            nodes = int(engine.search("go nodes 200000", 60 * SLACK)[-2].split(" nodes ")[1].split()[0])
            # Each thread counts its nodes for the team every 256 and stops soon after the team reaches the limit.
            self.assertTrue(200000 <= nodes < 200000 + 2 * 256 * threads, nodes)
            # isready answered during the search (before bestmove) and stop heeded at once
            engine.send("go infinite")
            engine.until_prefix("info depth 7", 30 * SLACK)
            lines, cpu, wall = release(engine, "isready", "stop")
            self.assertIn("readyok", lines, f"isready with {threads} threads was not answered before bestmove")
            self.assertLess(cpu, AT_ONCE * threads, f"isready and stop with {threads} threads: "
                            f"{cpu:.2f} s of CPU ({wall:.2f} s on the clock) up to bestmove")
            self.assertEqual(engine.errors(), [])

    def test_threads_changed_between_searches(self):
        # Match managers re-send every option before each game to the same
        # process: helpers made after a search must wait for the next one. With
        # 1 thread again, the search is the single thread's of a fresh engine.
        engine = start_velta(threads=1)
        self.addCleanup(engine.kill)
        engine.send(POSITIONS[3])
        single = without_clock(engine.search("go depth 9") + engine.search("go nodes 30000"))
        for threads in (1, 2, 4, 2, 1, 3, 3):
            with self.subTest(threads=threads):
                engine.send("setoption name Threads value %d" % threads, "setoption name Hash value 16",
                            "ucinewgame", POSITIONS[1])
                engine.ready()
                pv = engine.search("go depth 7", 60 * SLACK)[-2].split(" pv ")[1].split()
                self.assertIn(pv[0], engine.legal_moves(POSITIONS[1]))
                if threads == 1:
                    engine.send("setoption name Hash value 128", "ucinewgame", POSITIONS[3])
                    engine.ready()
                    self.assertEqual(without_clock(engine.search("go depth 9") + engine.search("go nodes 30000")),
                                     single)
        engine.send("setoption name Threads value 2")
        engine.ready()
        self.assertEqual(engine.close(), 0)
        self.assertEqual(engine.errors(), [])


if __name__ == "__main__":
    run_tests()
