#!/usr/bin/env python3
"""The "debug" display, byte for byte: board diagram, key, FEN, static score and
the legal moves twice (best first, then mirrored by rank), wrapped after 69
columns. The expected texts were worked out by hand from the ordering rules:
captures and checks first, then the more central destination, the less central
origin, the less valuable mover, the more advanced origin, the h-side."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SKIP, engine_path, start_velta  # noqa: E402

VELTA = engine_path()
LEGAL = re.compile(r"^\d+ legal moves:$")


def debug(engine):
    """The whole "debug" display as lines (the engine's bytes as Latin-1)."""
    engine.send("debug")
    lines = engine.read_until(LEGAL.match)
    lines += engine.read_until(LEGAL.match)
    lines += engine.read_until(lambda line: line == "")  # end of the second list
    engine.send("isready")
    return lines + engine.until_prefix("readyok")[:-1]


def diagram(placement, white_to_move, in_check=False):
    """The board lines: shaded squares where file + rank is odd, the side-to-move
    mark on its own back rank, then the frame and the file letters."""
    rows = ["".join("." * int(c) if c.isdigit() else c for c in row) for row in placement.split("/")]
    lines = [""]
    for rank in range(7, -1, -1):
        text = " %d \xb3" % (rank + 1)
        for file, piece in enumerate(rows[7 - rank]):
            shade = "\xb0" if (file + rank) % 2 else " "
            text += shade + (shade if piece == "." else piece) + shade
        if rank == (0 if white_to_move else 7):
            text += " *" + (" (check !)" if in_check else "")
        lines.append(text)
    return lines + ["   \xc0" + "\xc4" * 24, "     A  B  C  D  E  F  G  H", ""]


def display(fen, key, score, moves, mirrored, in_check=False):
    count = "%d legal moves:" % (sum(len(line.split()) for line in moves))
    return (diagram(fen.split()[0], fen.split()[1] == "w", in_check)
            + [key, "fen = " + fen, "score cp %d " % score, "", count] + (moves or [""]) + [""]
            + [count] + (mirrored or [""]) + [""])


CASES = [  # name, FEN, key line (None: no published key), score, both move lists
    ("start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "key = 0x463b96181691fc9c", 0,
     ["e2e4 d2d4 f2f4 c2c4 e2e3 d2d3 Ng1f3 Nb1c3 g2g4 b2b4 f2f3 c2c3 h2h4 a2a4",
      "g2g3 b2b3 h2h3 a2a3 Ng1h3 Nb1a3 "],
     ["e7e5 d7d5 f7f5 c7c5 e7e6 d7d6 Ng8f6 Nb8c6 g7g5 b7b5 f7f6 c7c6 h7h5 a7a5",
      "g7g6 b7b6 h7h6 a7a6 Ng8h6 Nb8a6 "]),
    # Rook and king each: the score is the kings' centralisation difference (h1 0, g7 2).
    # The capture comes first, then the check; a2 ends the first line at 68 columns.
    ("wrapped list with capture and check", "8/6k1/8/8/8/8/6r1/R6K w - - 0 1", None, -2,
     ["Kh1xRg2 Ra1a7+ Ra1a5 Ra1a4 Ra1e1 Ra1d1 Ra1a6 Ra1a3 Ra1f1 Ra1c1 Ra1a2 Ra1g1",
      "Ra1b1 Ra1a8 "],
     ["Kh8xRg7 Ra8a2+ Ra8a4 Ra8a5 Ra8e8 Ra8d8 Ra8a3 Ra8a6 Ra8f8 Ra8c8 Ra8a7 Ra8g8",
      "Ra8b8 Ra8a1 "]),
    # Known win for the rook's side: 10000 + 500, both kings on the edge.
    ("checkmate", "k6R/8/K7/8/8/8/8/8 b - - 0 1", None, -10500, [], []),
    ("stalemate", "k7/8/1Q6/8/8/8/8/7K b - - 0 1", None, -10900, [], []),
]


class Debug(unittest.TestCase):
    def setUp(self):
        self.engine = start_velta(VELTA)
        self.addCleanup(self.engine.kill)

    def test_display_byte_for_byte(self):
        for name, fen, key, score, moves, mirrored in CASES:
            with self.subTest(name):
                self.engine.send("position fen " + fen)
                actual = debug(self.engine)
                in_check = name == "checkmate"
                expected = display(fen, key or "", score, moves, mirrored, in_check)
                if key is None:  # no published value: only its form is checked
                    self.assertRegex(actual[12], r"^key = 0x[0-9a-f]{16}$")
                    expected[12] = actual[12]
                self.assertEqual(actual, expected)
        self.assertEqual(self.engine.errors(), [])

    def test_moves_played_and_keys_after_them(self):
        history = "   1. e2e4      d7d5         2. e4e5      f7f5      "
        # A line feed after every sixth move, two after the last one.
        cases = [  # moves, lines after "after moves:", key line (published opening-book keys), FEN
            ("e2e4 d7d5 e4e5 f7f5", [history, ""], "key = 0x22a48b5a8e47ff78",
             "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"),
            ("e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", [history + "   3. Ke1e2     Ke8f7     ", "", ""],
             "key = 0x00fdd303c946bdd9", "rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 2 4"),
            ("e2e4 d7d5 e4e5 f7f5 e1e2 e8f7 g1f3",
             [history + "   3. Ke1e2     Ke8f7     ", "   4. Ng1f3     ", ""], None,
             "rnbq1bnr/ppp1pkpp/8/3pPp2/8/5N2/PPPPKPPP/RNBQ1B1R b - - 3 4"),
            ("e2e4 d7d5 e4d5 d8d5", ["   1. e2e4      d7d5         2. e4xd5     Qd8xd5    ", ""], None,
             "rnb1kbnr/ppp1pppp/8/3q4/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3"),
        ]
        for moves, after, key, fen in cases:
            with self.subTest(moves=moves):
                self.engine.send("position startpos moves " + moves)
                lines = debug(self.engine)
                self.assertEqual(lines[:2], ["", "after moves:"])
                self.assertEqual(lines[2:2 + len(after)], after)
                board = lines[2 + len(after):]
                self.assertEqual(board[0][:4], " 8 \xb3")
                self.assertRegex(board[11], key or r"^key = 0x[0-9a-f]{16}$")
                self.assertEqual(board[12], "fen = " + fen)
        self.assertEqual(self.engine.errors(), [])


if __name__ == "__main__":
    if not os.access(VELTA, os.X_OK):
        print("skipped: no engine binary at " + VELTA)
        sys.exit(SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2, warnings="ignore").result.wasSuccessful() else 1)
