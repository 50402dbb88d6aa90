#!/usr/bin/env python3
# The "debug" display, byte for byte: board diagram, key, FEN, static score and the
# legal moves twice (best first, then mirrored by rank), a line feed once a line
# passes 69 columns. The move order was worked out by hand from the ordering rules.
import os, sys, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import engine_path, run_tests, start_velta  # noqa: E402

VELTA = engine_path()
# Box drawing and a shade on every other square, in UTF-8 (read here byte by byte).
START = ("""
 8 |#r# n #b# q #k# b #n# r 
 7 | p #p# p #p# p #p# p #p#
 6 |###   ###   ###   ###   
 5 |   ###   ###   ###   ###
 4 |###   ###   ###   ###   
 3 |   ###   ###   ###   ###
 2 |#P# P #P# P #P# P #P# P 
 1 | R #N# B #Q# K #B# N #R# *
   \u2514""" + "\u2500" * 24 + """
     A  B  C  D  E  F  G  H

key = 0x463b96181691fc9c
fen = rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1
score cp 0 

20 legal moves:
e2e4 d2d4 f2f4 c2c4 e2e3 d2d3 Ng1f3 Nb1c3 g2g4 b2b4 f2f3 c2c3 h2h4 a2a4
g2g3 b2b3 h2h3 a2a3 Ng1h3 Nb1a3 

20 legal moves:
e7e5 d7d5 f7f5 c7c5 e7e6 d7d6 Ng8f6 Nb8c6 g7g5 b7b5 f7f6 c7c6 h7h5 a7a5
g7g6 b7b6 h7h6 a7a6 Ng8h6 Nb8a6 
""").replace("|", "\u2502").replace("#", "\u2591").encode().decode("latin-1").split("\n")
# Known wins for the side with the rook or queen: 10000 + material, kings on the edge.
ENDS = [("k6R/8/K7/8/8/8/8/8 b - - 0 1", " 8 |#k#   ###   ###   ### R  * (check !)", -10500),
        ("k7/8/1Q6/8/8/8/8/7K b - - 0 1", " 8 |#k#   ###   ###   ###    *", -10900)]


class Debug(unittest.TestCase):
    def test_display_byte_for_byte(self):
        engine = start_velta(VELTA)
        self.addCleanup(engine.kill)
        engine.send("position startpos", "debug")
        self.assertEqual(engine.ready(), START)
        for fen, top, score in ENDS:  # checkmate, stalemate: no legal move
            engine.send("position fen " + fen, "debug")
            lines = engine.ready()
            self.assertEqual(lines[1], top.replace("|", "\u2502").replace("#", "\u2591").encode().decode("latin-1"))
            self.assertEqual(lines[13:], ["fen = " + fen, "score cp %d " % score, "", "0 legal moves:", "", "",
                                          "0 legal moves:", "", ""])
        self.assertEqual(engine.errors(), [])


if __name__ == "__main__":
    sys.exit(run_tests(VELTA))
