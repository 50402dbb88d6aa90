#!/usr/bin/env python3
# The opening book: answers agree with an independent reader of the Debian
# book (gnuchess-book) and are drawn by weight; a bad file is reported and
# the engine plays on without a book; no entry of a hand-made book ever puts
# an illegal move on the board.
import collections, math, os, random, re, struct, sys, tempfile, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import EngineTest, run_tests  # noqa: E402
import polyglot  # noqa: E402  (tools/, on the path through engine)

DEBIAN_BOOK = unittest.skipUnless(os.path.exists(polyglot.DEBIAN_BOOK), "the Debian opening book is not installed")
BOOK_LINE = re.compile(r"info string book move (\S+) \(weight (\d+) %\)$")


def book_move(uci):
    # the 16-bit book word of a UCI move (castling already written king takes rook)
    square = lambda s: "abcdefgh".index(s[0]) + 8 * (int(s[1]) - 1)  # noqa: E731
    return square(uci[2:4]) | square(uci[:2]) << 6 | (" nbrq".index(uci[4]) << 12 if len(uci) > 4 else 0)


def write_book(entries):
    # a book file of (FEN, move, weight) entries, sorted by key as books are
    packed = sorted((polyglot.key(fen), book_move(move), weight) for fen, move, weight in entries)
    handle, path = tempfile.mkstemp(suffix=".bin")
    with os.fdopen(handle, "wb") as f:
        f.write(b"".join(struct.pack(">QHHI", k, m, w, 0) for k, m, w in packed))
    return path


class Book(EngineTest):
    def use_book(self, path):
        return self.answers("setoption name BookFile value " + path, "setoption name OwnBook value true")

    def answer(self, position, go="go movetime 2000"):
        # (book move, its weight in per cent) or (searched move, None); the move checked for legality
        self.engine.send(position)
        lines = self.engine.search(go)
        move = lines[-1].split()[1]
        self.assert_legal(position, [move])
        found = BOOK_LINE.match(lines[0])
        if found:  # the book line alone, then its move
            self.assertEqual((len(lines), found[1]), (2, move), lines)
            return move, int(found[2])
        self.assertTrue(any(line.startswith("info depth") for line in lines), lines)
        self.assertFalse(any(BOOK_LINE.match(line) for line in lines), lines)
        return move, None

    @DEBIAN_BOOK
    def test_answers_agree_with_the_book_file(self):
        # Random lines through the book (double steps no pawn can take en
        # passant among them): the engine answers a move the reader finds,
        # with its share of the weights, or searches where it finds none.
        book, rng = polyglot.Book(), random.Random(7)
        self.assertEqual(self.use_book(polyglot.DEBIAN_BOOK), [])
        found = 0
        for _ in range(8):
            moves = []
            for _ in range(12):
                position = "position startpos" + (" moves " + " ".join(moves) if moves else "")
                self.engine.send(position)
                expected = {m: w for m, w in polyglot.Book.moves(book, self.engine.fen()) if w > 0}
                move, percent = self.answer(position, "go depth 1")
                if not expected:
                    self.assertIsNone(percent, position)
                    break
                found += 1
                self.assertIn(move, expected, position)
                self.assertEqual(percent, math.floor(100 * expected[move] / sum(expected.values()) + 0.5), position)
                moves.append(rng.choices(list(expected), list(expected.values()))[0])
        self.assertGreater(found, 40)

    @DEBIAN_BOOK
    def test_moves_are_drawn_by_weight(self):
        expected = dict(polyglot.Book().moves(polyglot.START_FEN))
        total, draws = sum(expected.values()), 600
        self.use_book(polyglot.DEBIAN_BOOK)
        counts = collections.Counter(self.answer("position startpos", "go depth 1")[0] for _ in range(draws))
        self.assertLessEqual(set(counts), set(expected))
        for move, weight in expected.items():
            share = weight / total
            self.assertLess(abs(counts[move] / draws - share), 4 * math.sqrt(share * (1 - share) / draws) + 0.005, move)

    def test_a_bad_file_is_reported_and_the_engine_searches(self):
        with tempfile.NamedTemporaryFile(suffix=".bin") as odd:
            odd.write(b"\0" * 17)
            odd.flush()
            for path, reason in [("/nonexistent/book.bin", "cannot be opened"),
                                 (odd.name, "is not a book: its size is not a multiple of 16 bytes")]:
                with self.subTest(path=path):
                    self.assertEqual(self.use_book(path),
                                     ["info string Book file %s %s: playing without a book" % (path, reason)])
                    self.assertIsNone(self.answer("position startpos", "go depth 3")[1])
        self.assertEqual(self.engine.errors(), [])

    def test_illegal_book_moves_are_never_played(self):
        start, castles = polyglot.START_FEN, "r3k2r/8/8/8/8/8/8/R3K2R %s KQkq - 0 1"
        path = write_book([(start, "e2e5", 60000), (start, "e1g1", 60000), (start, "a7a6", 60000),
                           (start, "g1h3", 1), (start, "b1b3", 5000),
                           # castling as the book writes it, king takes rook
                           (castles % "w", "e1h1", 10), (castles % "b", "e8a8", 10),
                           # after 1. Nh3: only illegal moves, so the engine searches
                           (polyglot.START_FEN.replace("N w", "N b").replace("RNBQKBNR", "RNBQKB1R")
                            .replace("8/PPPPPPPP", "7N/PPPPPPPP").replace(" 0 1", " 1 1"), "e7e4", 100)])
        self.addCleanup(os.remove, path)
        self.assertEqual(self.use_book(path), [])
        for _ in range(20):
            self.assertEqual(self.answer("position startpos"), ("g1h3", 100))
        self.assertEqual(self.answer("position fen " + castles % "w"), ("e1g1", 100))
        self.assertEqual(self.answer("position fen " + castles % "b"), ("e8c8", 100))
        self.assertIsNone(self.answer("position startpos moves g1h3", "go depth 3")[1])

    def test_ponder_move_and_analysis(self):
        after_e4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"
        path = write_book([(polyglot.START_FEN, "e2e4", 5), (after_e4, "e7e5", 10), (after_e4, "c7c5", 20)])
        self.addCleanup(os.remove, path)
        self.use_book(path)
        self.engine.send("setoption name Ponder value true", "position startpos")
        self.assertEqual(self.engine.search("go wtime 10000 btime 10000")[-1], "bestmove e2e4 ponder c7c5")
        # A ponder search in the book answers when the expected move is played.
        self.engine.send("position startpos moves e2e4", "go ponder wtime 10000 btime 10000")
        self.assertEqual(self.engine.drain(0.3), [])
        self.engine.send("ponderhit")
        self.assertRegex(self.engine.until_prefix("bestmove")[-1], r"^bestmove (e7e5|c7c5)$")
        # Analysis (infinite, searchmoves, mate) searches.
        self.engine.send("position startpos", "go infinite")
        self.engine.until_prefix("info depth 3")
        self.assertFalse(any(BOOK_LINE.match(line) for line in self.engine.search("stop")))
        self.assertIsNone(self.answer("position startpos", "go depth 2 searchmoves a2a3")[1])


if __name__ == "__main__":
    run_tests()
