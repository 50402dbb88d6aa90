#!/usr/bin/env python3
# The "debug" display, byte for byte: board diagram, key, FEN, static score and the
# legal moves twice (best first, then mirrored by rank), a line feed once a line
# passes 69 columns. The move orders were worked out by hand from the ordering rules.
import os, sys, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import engine_path, run_tests, start_velta  # noqa: E402

VELTA = engine_path()


def diagram(placement, white_to_move, in_check):
    # shaded squares where file + rank is odd; the side-to-move mark on its own back rank
    rows = ["".join("." * int(c) if c.isdigit() else c for c in row) for row in placement.split("/")]
    lines = [""]
    for rank in range(7, -1, -1):
        shades = ["\xb0" if (file + rank) % 2 else " " for file in range(8)]
        text = " %d \xb3" % (rank + 1) + "".join(s + (s if p == "." else p) + s for s, p in zip(shades, rows[7 - rank]))
        lines.append(text + (" *" + " (check !)" * in_check if rank == (0 if white_to_move else 7) else ""))
    return lines + ["   \xc0" + "\xc4" * 24, "     A  B  C  D  E  F  G  H", ""]


CASES = [  # FEN, key (None: any), score, in check, the move list best first and mirrored
    ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "0x463b96181691fc9c", 0, False,
     ["e2e4 d2d4 f2f4 c2c4 e2e3 d2d3 Ng1f3 Nb1c3 g2g4 b2b4 f2f3 c2c3 h2h4 a2a4",
      "g2g3 b2b3 h2h3 a2a3 Ng1h3 Nb1a3 "],
     ["e7e5 d7d5 f7f5 c7c5 e7e6 d7d6 Ng8f6 Nb8c6 g7g5 b7b5 f7f6 c7c6 h7h5 a7a5",
      "g7g6 b7b6 h7h6 a7a6 Ng8h6 Nb8a6 "]),
    # Known wins for the side with the rook or queen: 10000 + material, kings on the edge.
    ("k6R/8/K7/8/8/8/8/8 b - - 0 1", None, -10500, True, [""], [""]),  # checkmate
    ("k7/8/1Q6/8/8/8/8/7K b - - 0 1", None, -10900, False, [""], [""]),  # stalemate
]


class Debug(unittest.TestCase):
    def test_display_byte_for_byte(self):
        engine = start_velta(VELTA)
        self.addCleanup(engine.kill)
        for fen, key, score, in_check, moves, mirrored in CASES:
            with self.subTest(fen=fen):
                engine.send("position fen " + fen, "debug")
                actual = engine.ready()
                count = "%d legal moves:" % sum(len(line.split()) for line in moves)
                self.assertEqual(actual, diagram(fen.split()[0], fen.split()[1] == "w", in_check)
                                 + [actual[12] if key is None else "key = " + key, "fen = " + fen,
                                    "score cp %d " % score, "", count, *moves, "", count, *mirrored, ""])
                self.assertRegex(actual[12], r"^key = 0x[0-9a-f]{16}$")
        self.assertEqual(engine.errors(), [])


if __name__ == "__main__":
    sys.exit(run_tests(VELTA))
