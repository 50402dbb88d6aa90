#!/usr/bin/env python3
# Input a GUI should never send, and games longer than the position stack: the
# engine answers or ignores, keeps a sane position, and stays responsive.
import os, sys, time, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import AT_ONCE, THREADS, cpu_seconds, engine_path, run_tests, start_velta  # noqa: E402

VELTA = engine_path()
MOVE = r"^bestmove [a-h][1-8][a-h][1-8][qrbn]?$"
AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"
AFTER_E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2"


def long_game(trips):
    # Before each pair of single pawn steps the knights go out and back `trips` times.
    # The f-pawns step last, once the h-pawns have cleared the knights' other road;
    # no check ever arises, and the game ends with every pawn blocked by its opponent.
    moves = []
    for file in "abcdeghf":
        road = ["g1h3", "g8h6", "h3g1", "h6g8"] if file == "f" else ["g1f3", "g8f6", "f3g1", "f6g8"]
        for white, black in [("23", "76"), ("34", "65")]:
            moves += road * trips + [file + white[0] + file + white[1], file + black[0] + file + black[1]]
    return moves, road


class HostileInput(unittest.TestCase):
    def setUp(self):
        self.engine = start_velta(VELTA)
        self.addCleanup(self.engine.kill)

    def tearDown(self):
        if self.engine.proc.poll() is None:
            self.assertEqual(self.engine.ready(), [])

    def test_long_games_and_repetition_across_dropped_history(self):
        for trips, plies in [(9, 608), (24, 1568)]:
            with self.subTest(plies=plies):
                game, road = long_game(trips)
                self.assertEqual(len(game), plies)
                self.engine.send("position startpos moves " + " ".join(game))
                # (The move number counts the plies kept on the stack, fewer once history is dropped.)
                self.assertEqual(self.engine.fen().rsplit(" ", 1)[0],
                                 "rnbqkbnr/8/8/pppppppp/PPPPPPPP/8/8/RNBQKBNR w KQkq - 0")
                # A second occurrence is still a game; the answer must be playable there.
                self.engine.send("position startpos moves " + " ".join(game + road))
                best = self.engine.search("go depth 6")[-1]
                self.assertRegex(best, MOVE)
                self.engine.send("position startpos moves " + " ".join(game + road + best.split()[1:]))
                self.assertEqual(self.engine.errors(), [])
                # A third occurrence is drawn; the game goes on until the GUI says otherwise.
                self.engine.send("position startpos moves " + " ".join(game + road * 2))
                self.assertRegex(self.engine.search("go depth 6")[-1], MOVE)

    def test_refused_positions_and_moves(self):
        self.engine.send("position startpos moves e2e4")
        for command, check, fen in [
                # A refused position's moves must not be played either: the previous position stays.
                ("fen 4k3/8/8/8/8/8/8/8 w - - 0 1 moves e8e7", "exactly one king per side (placement 4k3/8/8/8/8/8/8/8)",
                 AFTER_E4),
                # A move list is played up to its first bad word. Castling through the bishop:
                ("startpos moves e2e4 e7e5 g1f3 b8c6 e1g1 f1c4", "legal (move e1g1)",
                 "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"),
                ("startpos moves e2e4 e7e5 e2e5 g1f3", "moved (move e2e5)", AFTER_E5)]:  # e2 is empty by then
            with self.subTest(command=command):
                self.engine.send("position " + command)
                self.assertEqual(self.engine.fen(), fen)
                refusal = self.engine.read_until(lambda line: True, 10, self.engine.err)  # however late it comes
                self.assertEqual(refusal, ["engine: check failed: " + check])
        self.assertRegex(self.engine.search("go depth 3")[-1], MOVE)

    def test_input_closed_during_infinite_search(self):
        self.engine.send("go infinite")
        self.engine.until_prefix("info depth", timeout=30)
        cpu, started = cpu_seconds(self.engine), time.monotonic()
        self.engine.proc.stdin.close()
        self.assertRegex(self.engine.until_prefix("bestmove", timeout=20)[-1], MOVE)
        cpu, wall = cpu_seconds(self.engine) - cpu, time.monotonic() - started  # read before the exit is collected
        self.assertEqual(self.engine.proc.wait(20), 0)
        self.assertLess(cpu, AT_ONCE * THREADS, f"end of input: {cpu:.2f} s of CPU ({wall:.2f} s on the clock) to bestmove")


if __name__ == "__main__":
    sys.exit(run_tests(VELTA))
