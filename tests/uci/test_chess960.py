#!/usr/bin/env python3
# Chess960 as a GUI plays it: UCI_Chess960 switches castling to the king
# taking its own rook, both in the moves the engine reads and in those it
# writes; a FEN whose rights need it is read as Chess960 with a word of
# warning; searches, MultiPV and pondering answer legal moves there. (The
# castling rules and texts, case by case: tests/movegen/generate_test.cpp.)
import os, sys  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import EngineTest, run_tests  # noqa: E402

ON, OFF = "setoption name UCI_Chess960 value true", "setoption name UCI_Chess960 value false"
ITALIAN = "position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 f8c5"
# King b1 beside its rook a1, king-side rook g1; Black the same.
CORNER = "rk4r1/pppppppp/8/8/8/8/PPPPPPPP/RK4R1 w KQkq - 0 1"


class Chess960(EngineTest):
    def test_castling_text_follows_the_option(self):
        # Standard chess keeps e1g1; with the option the same castling is e1h1,
        # and the other form is refused as an illegal move.
        for option, castle, other in [(OFF, "e1g1", "e1h1"), (ON, "e1h1", "e1g1"), (OFF, "e1g1", "e1h1")]:
            with self.subTest(option=option):
                self.answers(option)
                self.assertEqual({castle, other} & set(self.engine.legal_moves(ITALIAN)), {castle})
                self.answers(f"{ITALIAN} {other}")
                self.assertEqual(self.engine.errors(), [f"engine: check failed: legal (move {other})"])

    def test_position_that_needs_chess960(self):
        # Read as Chess960 even with the option off, with a warning; "go perft" is "perft".
        self.assertEqual(self.answers(f"position fen {CORNER}"), [
            "info string This position's castling rights need UCI_Chess960: its moves are read and written as in Chess960"])
        self.assertEqual(self.engine.fen(), CORNER.replace("KQkq", "GAga"))
        self.assertIn("b1a1", self.engine.legal_moves(f"position fen {CORNER}"))
        perfts = []
        for command in ("go perft 2", "perft 2"):
            self.engine.send(command)
            perfts.append([line for line in self.engine.read_until(lambda line: " nodes in " in line) if " ms" not in line])
        self.assertEqual(*perfts)
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
    run_tests()
