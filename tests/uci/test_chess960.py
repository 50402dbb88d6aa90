#!/usr/bin/env python3
# Chess960 as a GUI plays it: UCI_Chess960 switches castling to the king
# taking its own rook, both in the moves the engine reads and in those it
# writes; a FEN whose rights need it is read as Chess960 with a word of
# warning; searches, MultiPV and pondering answer legal moves there.
import os, sys, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import engine_path, run_tests, start_velta  # noqa: E402

VELTA = engine_path()
ON, OFF = "setoption name UCI_Chess960 value true", "setoption name UCI_Chess960 value false"
ITALIAN = "position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 f8c5"
# King b1 beside its rook a1, king-side rook g1; Black the same.
CORNER = "rk4r1/pppppppp/8/8/8/8/PPPPPPPP/RK4R1 w KQkq - 0 1"
NEEDS = ("info string This position's castling rights need UCI_Chess960: "
         "its moves are read and written as in Chess960")


class Chess960(unittest.TestCase):
    def setUp(self):
        self.engine = start_velta(VELTA)
        self.addCleanup(self.engine.kill)

    def answers(self, *lines):
        self.engine.send(*lines)
        return self.engine.ready()

    def moves(self, position):
        return self.engine.legal_moves(position)

    def test_castling_text_follows_the_option(self):
        # Standard chess keeps e1g1; with the option the same castling is e1h1, and
        # the other form is refused as an illegal move.
        for option, castle, other, rights in [(OFF, "e1g1", "e1h1", "kq"), (ON, "e1h1", "e1g1", "ha")]:
            with self.subTest(option=option):
                self.answers(option)
                self.assertIn(castle, self.moves(ITALIAN))
                self.assertNotIn(other, self.moves(ITALIAN))
                self.answers(f"{ITALIAN} {castle}")
                self.assertEqual(self.engine.fen(), f"r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b "
                                                    f"{rights} - 5 4")
                self.answers(f"{ITALIAN} {other}")
                self.assertEqual(self.engine.errors(), [f"engine: check failed: legal (move {other})"])

    def test_position_that_needs_chess960(self):
        # Read as Chess960 even with the option off, with a warning; b1c1 is a king
        # step, b1a1 the castling; "go perft" is "perft".
        self.assertEqual(self.answers(f"position fen {CORNER}"), [NEEDS])
        self.assertEqual(self.engine.fen(), CORNER.replace("KQkq", "GAga"))
        self.assertTrue({"b1a1", "b1c1", "b1g1"} <= set(self.moves(f"position fen {CORNER}")))
        self.answers(f"position fen {CORNER} moves b1a1 b8c8")
        self.assertEqual(self.engine.fen(), "r1k3r1/pppppppp/8/8/8/8/PPPPPPPP/2KR2R1 w - - 2 2")
        self.answers(f"position fen {CORNER}")
        self.engine.send("go perft 2")
        perft_go = self.engine.read_until(lambda line: " nodes in " in line)
        self.engine.send("perft 2")
        perft = self.engine.read_until(lambda line: " nodes in " in line)
        self.assertEqual([line for line in perft_go if " ms" not in line], [line for line in perft if " ms" not in line])
        self.assertEqual(self.engine.errors(), [])

    def test_searches_answer_legal_castling_moves(self):
        # Positions where castling is still to come on one side or both: every
        # MultiPV line, played out, and the best and ponder moves are legal.
        self.answers(ON, "setoption name Ponder value true", "setoption name MultiPV value 3")
        for position in [f"position fen {CORNER} moves b1a1 e7e5",
                         "position fen bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9 moves",
                         "position fen qrknbrnb/pppppppp/8/8/8/8/PPPPPPPP/QRKNBRNB w FBfb - 0 1 moves d1e3 d8e6"]:
            with self.subTest(position=position):
                self.answers(position)
                lines = self.engine.search("go depth 8")
                pvs = [line.split(" pv ")[1] for line in lines if " multipv " in line]
                best, ponder = lines[-1].split()[1::2]
                self.assertTrue(pvs)
                self.answers(*[f"{position} {pv}" for pv in pvs], f"{position} {best} {ponder}")
                self.assertEqual(self.engine.errors(), [])


if __name__ == "__main__":
    sys.exit(run_tests(VELTA))
