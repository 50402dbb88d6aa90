#!/usr/bin/env python3
"""Input a GUI should never send, and games longer than the position stack:
the engine answers or ignores, keeps a sane position, and stays responsive."""
import os
import random
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SKIP, Engine, engine_path, start_velta, stockfish_path  # noqa: E402

VELTA = engine_path()
BACK_RANKS = {"8": "rnbqkbnr", "7": "p" * 8, "2": "P" * 8, "1": "RNBQKBNR"}
START = {file + rank: row[i] for rank, row in BACK_RANKS.items() for i, file in enumerate("abcdefgh")}


def play(board, move):
    """The board (square -> piece letter) after a legal move in UCI form."""
    board, origin, target = dict(board), move[:2], move[2:4]
    piece = board.pop(origin)
    if piece in "pP" and origin[0] != target[0] and target not in board:
        del board[target[0] + origin[1]]  # en passant
    if piece in "kK" and abs(ord(origin[0]) - ord(target[0])) == 2:  # castling moves the rook too
        board[("f" if target[0] == "g" else "d") + origin[1]] = board.pop(("h" if target[0] == "g" else "a") + origin[1])
    board[target] = piece if len(move) == 4 else (move[4].upper() if piece.isupper() else move[4])
    return board


def ready(engine):
    engine.send("isready")
    return engine.until_prefix("readyok", timeout=30)[:-1]


def fen_of(engine):
    """The FEN of the root position, read from the "debug" display."""
    engine.send("debug")
    fen = engine.until_prefix("fen = ")[-1][len("fen = "):]
    ready(engine)  # the rest of the display
    return fen


def legal_moves(engine, moves):
    """The root's legal moves, from the one line that "perft 1" prints."""
    engine.send("position startpos moves " + " ".join(moves))
    engine.send("perft 1")
    return engine.read_until(lambda line: " nodes in " in line, timeout=30)[-2].split()


def random_game(engine, plies, seed):
    """A legal game of `plies` half-moves: mostly quiet piece moves, a pawn move
    (or, failing that, a capture) every 40 to 90 plies and as the very last move,
    so the final position is neither a repetition nor a 50-move draw. A move that
    leaves the opponent without moves (mate, stalemate) is taken back and avoided.
    Returns the moves and the legal moves of the final position."""
    rng, moves, boards, clocks, avoid = random.Random(seed), [], [START], [0], {}
    due = rng.randint(40, 90)
    while True:
        options = [m for m in legal_moves(engine, moves) if m not in avoid.get(len(moves), ())]
        if not options:
            last = moves.pop()
            avoid.setdefault(len(moves), set()).add(last)
            boards.pop(), clocks.pop()
            continue
        if len(moves) == plies:
            return moves, options
        avoid.pop(len(moves) + 1, None)
        board = boards[-1]
        captures = [m for m in options if m[2:4] in board or (board[m[:2]] in "pP" and m[0] != m[2])]
        pushes = [m for m in options if board[m[:2]] in "pP" and m not in captures]
        quiet = [m for m in options if m not in captures and m not in pushes]
        if clocks[-1] >= due or len(moves) == plies - 1 or not quiet:
            move = rng.choice(pushes or captures or options)
            due = rng.randint(40, 90)
        else:
            move = rng.choice(quiet)
        moves.append(move)
        boards.append(play(board, move))
        clocks.append(clocks[-1] + 1 if move in quiet else 0)


class HostileInput(unittest.TestCase):
    def setUp(self):
        self.engine = start_velta(VELTA)
        self.addCleanup(self.engine.kill)

    def tearDown(self):
        if self.engine.proc.poll() is None:
            self.assertEqual(ready(self.engine), [])

    def search(self, line, timeout=120):
        self.engine.send(line)
        return self.engine.until_prefix("bestmove", timeout)

    def test_garbage_lines(self):
        cases = [  # raw line, answer (None: any answer, as long as the engine lives on)
            (b"hello world", ["Unknown command : 'hello world'"]),
            (b"\xff\xfe\x80 caf\xe9 \xb3\xb0", ["Unknown command : '\xff\xfe\x80 caf\xe9 \xb3\xb0'"]),
            (b"\x1b[2J\x07\x08", ["Unknown command : '\x1b[2J\x07\x08'"]),
            (b"UCI", ["Unknown command : 'UCI'"]),
            (b"position", ["Unknown command : 'position'"]),
            (b"position fen", ["Unknown command : 'position fen'"]),
            (b"\r", []),
            (b"  \t\t  ", []),
            (b"setoption", []),
            (b"setoption name Hash value banana", []),
            (b"\x00\x00 nul bytes", None),
        ]
        for raw, expected in cases:
            with self.subTest(raw=raw):
                self.engine.send_raw(raw + b"\n")
                answer = ready(self.engine)
                if expected is not None:
                    self.assertEqual(answer, expected)
        self.assertEqual(self.engine.errors(), [])

    def test_long_games_are_played_on(self):
        self.engine.send("setoption name Hash value 1")  # "perft" clears the table each time
        self.engine.until_prefix("info debug Creation")
        for plies, seed in [(600, 6), (1600, 16)]:
            with self.subTest(plies=plies):
                moves, legal = random_game(self.engine, plies, seed)
                line = "position startpos moves " + " ".join(moves)
                self.assertLess(len(line), 8191)
                self.engine.send(line)
                self.assertIn(self.search("go depth 6")[-1][len("bestmove "):], legal)
                self.assertEqual(self.engine.errors(), [])
                if stockfish_path():  # the same board, side, castling and clock after the dropped history
                    oracle = Engine(stockfish_path(), "stockfish")
                    self.addCleanup(oracle.kill)
                    oracle.send(line, "d")
                    expected = oracle.until_prefix("Fen: ")[-1].split()[1:]
                    actual = fen_of(self.engine).split()
                    self.assertEqual(actual[:3] + actual[4:5], expected[:3] + expected[4:5])

    def test_repetition_seen_across_dropped_history(self):
        # Twelve pawn-push pairs, each after 22 knight round trips: 1080 plies whose
        # early part must be dropped from the stack, then the round trip again.
        shuffle = ["g1f3", "g8f6", "f3g1", "f6g8"]
        game = []
        for file in "abcdgh":
            game += shuffle * 22 + [file + "2" + file + "3", file + "7" + file + "6"]
            game += shuffle * 22 + [file + "3" + file + "4", file + "6" + file + "5"]
        self.engine.send("position startpos moves " + " ".join(game + shuffle))
        self.assertIn(self.search("go depth 4")[-1], ["bestmove " + m for m in legal_moves(self.engine, game)])
        # Twice round: the third occurrence of the position is a draw.
        self.engine.send("position startpos moves " + " ".join(game + shuffle * 2))
        self.assertEqual(self.search("go depth 4")[-2:], ["info string Game over (draw) !", "bestmove 0000"])
        self.assertEqual(self.engine.errors(), [])

    def test_illegal_fifth_move(self):
        self.engine.send("position startpos moves e2e4 e7e5 g1f3 b8c6 e1g1 f1c4")
        self.assertEqual(fen_of(self.engine), "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3")
        self.assertEqual(self.engine.errors(), ["engine: check failed: legal"])

    def test_refused_positions_keep_the_previous_one(self):
        cases = [  # FEN, check reported
            ("rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "position == 8"),
            ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ w KQkq - 0 1", "position == 8"),
            ("4k3/8/8/8/8/8/8/8 w - - 0 1", "exactly one king per side"),
            ("k3k3/8/8/8/8/8/8/4K3 w - - 0 1", "exactly one king per side"),
            ("4k2P/8/8/8/8/8/8/4K3 w - - 0 1", "no pawn on the first or last rank"),
            ("4k3/8/8/8/8/8/8/p3K3 b - - 0 1", "no pawn on the first or last rank"),
            ("4k3/4R3/8/8/8/8/8/4K3 w - - 0 1", "side not to move is not in check"),
        ]
        self.engine.send("position startpos moves e2e4")
        before = fen_of(self.engine)
        for fen, check in cases:
            with self.subTest(fen=fen):
                # The moves belong to the refused position: they must not be played either.
                self.engine.send("position fen %s moves d7d5" % fen)
                self.assertEqual(fen_of(self.engine), before)
                self.assertEqual(self.engine.errors(), ["engine: check failed: " + check])

    def test_input_closed_during_infinite_search(self):
        self.engine.send("go infinite")
        self.engine.until_prefix("info depth", timeout=30)
        started = time.monotonic()
        self.engine.proc.stdin.close()
        self.assertRegex(self.engine.until_prefix("bestmove", timeout=20)[-1], r"^bestmove [a-h][1-8][a-h][1-8]$")
        self.assertEqual(self.engine.proc.wait(20), 0)
        self.assertLess(time.monotonic() - started, 10)

    def test_negative_clock_counts_as_no_time(self):
        started = time.monotonic()
        self.assertRegex(self.search("go wtime -5000 btime -5000 winc -100 binc -100")[-1],
                         r"^bestmove [a-h][1-8][a-h][1-8]$")
        self.assertLess(time.monotonic() - started, 10)

    def test_perft_below_one_counts_the_root(self):
        for line in ["perft 0", "perft -3"]:
            with self.subTest(line=line):
                self.engine.send(line)
                self.assertRegex("\n".join(self.engine.until_prefix("1 nodes")),
                                 r"^1 nodes in \d+ ms, speed = \d+ nodes/s$")


if __name__ == "__main__":
    if not os.access(VELTA, os.X_OK):
        print("skipped: no engine binary at " + VELTA)
        sys.exit(SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2, warnings="ignore").result.wasSuccessful() else 1)
