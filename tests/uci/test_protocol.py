#!/usr/bin/env python3
# The command loop as a GUI meets it, and input a GUI should never send:
# start-up lines, the identification block, line normalisation, commands as
# words, the options, long lines, refused positions and moves, and games longer
# than the position stack. The engine answers or ignores, keeps a sane position
# and stays responsive.
import os, re, sys  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import ARCH, TARGETS, VELTA, Engine, EngineTest, processor_flags, run_tests, start_up_lines  # noqa: E402

MOVE = r"^bestmove [a-h][1-8][a-h][1-8][qrbn]?$"
README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")
TABLE = "info string Creation of Transposition Table (%s MB) : %s"


def documented_options():
    # the "uci" option lines the README's table of options promises, in its order
    lines = []
    for row in open(README).read().splitlines():
        cells = [cell.strip() for cell in row.split("|")[1:-1]]
        if len(cells) != 5 or cells[1] not in ("spin", "check", "button", "string"):
            continue
        name, kind, default, span = cells[:4]
        line = "option name %s type %s" % (name, kind)
        if kind == "spin":
            line += " default %s min %s max %s" % ((default,) + tuple(span.split(" - ")))
        elif kind != "button":
            line += " default " + default.strip("`")
        lines.append(line)
    return lines


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


class Protocol(EngineTest):
    def tearDown(self):
        self.assertEqual(self.engine.ready(), [])  # alive, with nothing left unsaid

    def test_start_up_and_identification(self):
        engine = Engine(VELTA, "velta")
        self.addCleanup(engine.kill)
        # The name and the instructions are those of the build's target.
        self.assertEqual(engine.until_prefix("info string Creation"),
                         start_up_lines(ARCH, processor_flags()) + [TABLE % (128, "success")])
        # The options as the README documents them. Blanks around a word and a
        # carriage return before the line feed are not part of it.
        block = ["id name " + TARGETS[ARCH][0], "id author Quenlor"] + documented_options() + ["uciok"]
        self.assertGreater(len(block), 12)
        for raw in [b"uci\n", b" \t uci\t \n", b"uci\r\n"]:
            engine.send_raw(raw)
            self.assertEqual(engine.ready(), block)
        engine.send_raw(b"position startpos moves e2e4 e7e5\r\n")
        self.assertEqual(engine.fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2")
        self.assertEqual(engine.errors(), [])

    def test_commands_are_words_and_garbage_is_answered(self):
        # The first word selects the command; commands without arguments stand alone.
        for line, unknown in [("isready now", "isready now"), ("  isready \t  now  ", "isready now"),
                              ("quit now", "quit now"), ("Isready", "Isready"), ("algorithm", "algorithm"),
                              ("perftx 3", "perftx 3"), ("logo", "logo"), ("position", "position"),
                              ("position fen", "position fen"),
                              ("\xff\xfe\x80 caf\xe9 \x1b[2J\x07", "\xff\xfe\x80 caf\xe9 \x1b[2J\x07"),
                              ("stop", None), ("ponderhit", None), ("debug on", None), ("debug off", None),
                              (" \t \t ", None)]:
            with self.subTest(line=line):
                self.assertEqual(self.answers(line), ["Unknown command : '%s'" % unknown] if unknown else [])
        self.answers("\x00\x00 nul bytes")  # any answer, as long as the engine lives on
        self.assertEqual(self.engine.errors(), [])

    def test_options(self):
        # Names in any case; a Hash size in range is rounded down to a power of two.
        for line, answer in [
                ("setoption name hash value 64", [TABLE % (64, "success")]),
                ("setoption name HASH value 0x40", [TABLE % (64, "success")]),
                ("setoption name Hash value 1000", ["info string Hash 1000 MB rounded down to a power of two: 512 MB",
                                                    TABLE % (512, "success")]),
                ("setoption name Hash value 0", [TABLE % (0, "invalid size (reset to default)"),
                                                 TABLE % (128, "success")]),
                ("setoption name Hash value banana", ["info string Invalid value for Hash: banana"]),
                ("setoption name multipv value 2", []), ("setoption name move overhead value 100", []),
                ("setoption name Ponder value maybe", ["info string Invalid value for Ponder: maybe"]),
                ("setoption name No Such Thing value true", ["info string Unknown option: No Such Thing"]),
                ("setoption name Threads value many", ["info string Invalid value for Threads: many"]),
                ("setoption name clear hash", [])]:
            with self.subTest(line=line):
                self.assertEqual(self.answers(line), answer)

    def test_refused_table_halves_until_granted(self):
        # 1 GB of address space: the 128 MB start-up table fits, 4096 MB does not.
        engine = Engine(VELTA, "velta", address_space=1 << 30)
        self.addCleanup(engine.kill)
        try:
            engine.until_prefix(TABLE % (128, "success"))
        except EOFError:
            if any("Sanitizer" in line for line in engine.errors()):
                self.skipTest("the sanitizers reserve more address space than the limit")
            raise
        engine.send("setoption name Hash value 4096")
        lines = engine.read_until(lambda line: not line.endswith(": failure"))
        made = [re.fullmatch(r"info string Creation of Transposition Table \((\d+) MB\) : (\w+)", line).groups()
                for line in lines]
        self.assertGreater(len(made), 1)
        self.assertEqual(made, [(str(4096 >> i), "failure") for i in range(len(made) - 1)]
                         + [(str(4096 >> len(made) - 1), "success")])
        self.assertEqual(engine.ready(), [])

    def test_long_lines_are_cut_at_8191_characters(self):
        warning = "info string Warning: input is too long and will be truncated (max = 8192 bytes)"
        self.assertEqual(self.answers("a" * 8191), [warning, "Unknown command : '%s'" % ("a" * 8191)])
        # The tail of an over-long line is thrown away, not read as the next command.
        self.engine.send("b" * 8191 + " " * 802 + "isready")  # 9000 characters
        self.assertEqual(self.engine.until_prefix("Unknown"), [warning, "Unknown command : '%s'" % ("b" * 8191)])
        self.assertEqual(self.engine.drain(0.5), [])

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
                 "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"),
                # A move list is played up to its first bad word. Castling through the bishop:
                ("startpos moves e2e4 e7e5 g1f3 b8c6 e1g1 f1c4", "legal (move e1g1)",
                 "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"),
                ("startpos moves e2e4 e7e5 e2e5 g1f3", "moved (move e2e5)",  # e2 is empty by then
                 "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2")]:
            with self.subTest(command=command):
                self.engine.send("position " + command)
                self.assertEqual(self.engine.fen(), fen)
                refusal = self.engine.read_until(lambda line: True, 10, self.engine.err)  # however late it comes
                self.assertEqual(refusal, ["engine: check failed: " + check])
        self.assertRegex(self.engine.search("go depth 3")[-1], MOVE)


if __name__ == "__main__":
    run_tests()
