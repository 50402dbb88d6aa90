#!/usr/bin/env python3
# Playing levels as a person meets them: a level off is today's engine to the
# node, a low level answers at once whatever the clock, and the same level
# plays different games from the same position, every move legal.
import os, re, sys, time  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SLACK, THREADS, EngineTest, run_tests, without_clock  # noqa: E402

LONG_CLOCK = "go wtime 3600000 btime 3600000 winc 5000 binc 5000"
MIDDLEGAME = "position fen r2q2k1/pb3pp1/1p3n1p/2bpr3/8/2NBP3/PPQB1PPP/2RR2K1 w - - 0 16"


class Levels(EngineTest):
    def set(self, *options):
        self.assertEqual(self.answers(*("setoption name %s value %s" % option for option in options)), [])

    def session(self):
        self.engine.send("ucinewgame", MIDDLEGAME)
        lines = self.engine.search("go depth 7")
        self.engine.send("position startpos moves e2e4")
        return without_clock(lines + self.engine.search("go nodes 20000"))

    def test_full_strength_is_todays_engine(self):
        if THREADS > 1:
            self.skipTest("helpers make a search's course depend on timing")
        before = self.session()
        self.set(("UCI_LimitStrength", "true"), ("UCI_Elo", "1000"), ("Skill Level", "3"))
        self.assertNotEqual(self.session(), before)
        for options in [(("UCI_LimitStrength", "false"), ("Skill Level", "20")),
                        (("UCI_LimitStrength", "true"), ("UCI_Elo", "2300")), (("UCI_Elo", "99999"),)]:
            with self.subTest(options=options):
                self.set(*options)
                self.assertEqual(self.session(), before)

    def test_low_levels_answer_quickly_on_a_long_clock(self):
        for elo in ["800", "1500"]:
            self.set(("UCI_LimitStrength", "true"), ("UCI_Elo", elo))
            self.engine.send(MIDDLEGAME)
            started = time.monotonic()
            lines = self.engine.search(LONG_CLOCK)
            self.assertLess(time.monotonic() - started, 1.2 * SLACK, elo)
            self.assert_legal(MIDDLEGAME, [lines[-1].split()[1]])
            # One line shown, as asked, though the level searches more.
            self.assertEqual({re.search(r" multipv (\d+)", line)[1] for line in lines if " multipv " in line}, {"1"})

    def test_a_level_varies_its_games(self):
        # Two games of the same level against itself from the start position:
        # different moves, each legal where it is played.
        self.set(("Skill Level", "5"))
        played = []
        for _ in range(2):
            moves = []
            self.engine.send("ucinewgame")
            for _ in range(24):
                position = "position startpos" + (" moves " + " ".join(moves) if moves else "")
                self.engine.send(position)
                move = self.engine.search("go wtime 60000 btime 60000")[-1].split()[1]
                self.assertIn(move, self.engine.legal_moves(position), position)
                moves.append(move)
            played.append(moves)
        self.assertNotEqual(*played)


if __name__ == "__main__":
    run_tests()
