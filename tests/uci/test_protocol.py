#!/usr/bin/env python3
"""The command loop as a GUI meets it: start-up lines, the identification block,
line normalisation, exact-match commands, the Hash option, long lines, line ends
and the answers to bad positions."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SKIP, Engine, engine_path, start_velta  # noqa: E402

VELTA = engine_path()
START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
UCI_BLOCK = ["id name Velta 0.6 x64 (bmi2)", "id author Quenlor",
             "option name Hash type spin default 128 min 1 max 65536",
             "option name OwnBook type check default false", "uciok"]


def ready(engine):
    """Everything printed before "readyok": the barrier after a command."""
    engine.send("isready")
    return engine.until_prefix("readyok")[:-1]


def fen_of(engine):
    """The FEN of the root position, read from the "debug" display."""
    engine.send("debug")
    fen = engine.until_prefix("fen = ")[-1][len("fen = "):]
    ready(engine)  # the rest of the display
    return fen


class Protocol(unittest.TestCase):
    def setUp(self):
        self.engine = start_velta(VELTA)
        self.addCleanup(self.engine.kill)

    def answers(self, raw):
        """The lines a command prints, up to the "isready" barrier."""
        self.engine.send_raw(raw if isinstance(raw, bytes) else (raw + "\n").encode("latin-1"))
        return ready(self.engine)

    def test_start_up_lines(self):
        engine = Engine(VELTA, "velta")
        self.addCleanup(engine.kill)
        self.assertEqual(engine.until_prefix("info debug Creation"), [
            "Velta 0.6 x64 (bmi2) ('quit' to exit)",
            "info debug Set of supported instructions : 'popcnt', 'bmi2'",
            "info debug Creation of Transposition Table (128 MB) : success"])
        self.assertEqual(ready(engine), [])

    def test_uci_block_after_blank_normalisation(self):
        for line in ["uci", "  uci  ", "\tuci\t", " \t uci"]:
            with self.subTest(line=line):
                self.assertEqual(self.answers(line), UCI_BLOCK)

    def test_exact_match_and_silent_commands(self):
        cases = [  # line sent, lines printed
            ("isready now", ["Unknown command : 'isready now'"]),
            ("  isready \t  now  ", ["Unknown command : 'isready now'"]),
            ("debug on", ["Unknown command : 'debug on'"]),
            ("ponderhit", ["Unknown command : 'ponderhit'"]),
            ("quit now", ["Unknown command : 'quit now'"]),
            ("Isready", ["Unknown command : 'Isready'"]),
            ("stop", []),
            ("", []),
            (" \t \t ", []),
            ("setoption name OwnBook value true", []),
            ("setoption name hash value 64", []),  # option names are case-sensitive
            ("setoption name Hash value", []),
            ("position startpos moves", []),
        ]
        for line, expected in cases:
            with self.subTest(line=line):
                self.assertEqual(self.answers(line), expected)
        self.assertEqual(self.engine.errors(), [])

    def test_hash_option_messages(self):
        made = "info debug Creation of Transposition Table (%s MB) : %s"
        cases = [(value, [made % (mb, "success")]) for value, mb in [("64", 64), ("0x40", 64), ("1", 1)]]
        cases += [(value, [made % (value, "invalid size (reset to default)"), made % (128, "success")])
                  for value in ["100", "0", "-5", "131072"]]
        for value, expected in cases:
            with self.subTest(value=value):
                self.assertEqual(self.answers("setoption name Hash value " + value), expected)

    def test_go_with_tab_and_blank_runs_searches_to_depth_5(self):
        self.engine.send("go\tdepth   5")
        lines = self.engine.until_prefix("bestmove", timeout=120)
        depths = {int(m.group(1)) for m in map(re.compile(r"info depth (\d+) seldepth ").match, lines) if m}
        self.assertEqual(depths, {1, 2, 3, 4, 5})
        self.assertRegex(lines[-2], r"^info score (cp|mate) -?\d+ $")
        self.assertIn(lines[-1][len("bestmove "):], "e2e4 d2d4 f2f4 c2c4 e2e3 d2d3 g1f3 b1c3 g2g4 b2b4 "
                      "f2f3 c2c3 h2h4 a2a4 g2g3 b2b3 h2h3 a2a3 g1h3 b1a3".split())
        self.assertEqual(ready(self.engine), [])

    def test_quit_and_end_of_input_exit_with_status_0(self):
        self.engine.send("quit")
        self.assertEqual(self.engine.proc.wait(10), 0)
        self.assertEqual(self.engine.drain(), [])
        other = start_velta(VELTA)
        self.addCleanup(other.kill)
        self.assertEqual(other.close(), 0)

    def test_long_lines_are_cut_at_8191_characters(self):
        warning = "info buffer Warning: input is too long and will be truncated (max = 8192 bytes)"
        exact = "a" * 8191
        self.assertEqual(self.answers(exact), [warning, "Unknown command : '%s'" % exact])
        # The tail of an over-long line must be thrown away, not read as the next command.
        long_line = "b" * 8191 + " " * (9000 - 8191 - 7) + "isready"
        self.assertEqual(len(long_line), 9000)
        self.engine.send(long_line)
        self.assertEqual(self.engine.until_prefix("Unknown"),
                         [warning, "Unknown command : '%s'" % ("b" * 8191)])
        self.assertEqual(self.engine.drain(0.5), [])
        self.assertEqual(ready(self.engine), [])
        self.assertEqual(self.engine.drain(0.3), [])

    def test_carriage_return_before_line_feed_is_dropped(self):
        self.engine.send_raw(b"isready\r\n")
        self.assertEqual(self.engine.read_until(lambda line: True), ["readyok"])
        self.assertEqual(self.answers(b"uci\r\n"), UCI_BLOCK)
        self.assertEqual(self.answers(b"position startpos moves e2e4 e7e5\r\n"), [])
        self.assertEqual(fen_of(self.engine), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2")
        self.assertEqual(self.engine.errors(), [])

    def test_bad_fen_is_reported_and_the_engine_goes_on(self):
        self.assertEqual(self.answers("position fen 8/8/8/8/8/8/8/K6k w - - 0"), [])
        self.assertEqual(self.engine.errors(), ["engine: check failed: section == 6"])
        self.assertEqual(fen_of(self.engine), START_FEN)
        started = time.monotonic()
        self.engine.send("go depth 3")
        self.assertRegex(self.engine.until_prefix("bestmove", timeout=60)[-1], r"^bestmove [a-h][1-8][a-h][1-8]$")
        self.assertLess(time.monotonic() - started, 30)

    def test_move_list_stops_at_the_first_bad_word(self):
        after_two = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2"
        cases = [  # move list, check reported, root position afterwards
            # e2 is empty after e2e4: the reader's piece check comes before the legality test.
            ("e2e4 e7e5 e2e5 g1f3", "moved", after_two),
            ("e2e4 e7e5 e1e3 g1f3", "legal", after_two),
            ("e2e4 e7e5 e8e7 g1f3", "legal", after_two),  # the black king, with White to move
            ("e2e4 e7e5 g1 g1f3", "strlen(pch) >= 4", after_two),
            ("e2e4 e7e5 z1f3 g1f3", "file_from != -1 && rank_from != -1", after_two),
            ("e2e4 e7e5 g1f9 g1f3", "file_to != -1 && rank_to != -1", after_two),
            ("e2e4 e7e5 g1f3x", "promotion >= KNIGHT && promotion <= QUEEN", after_two),
        ]
        for moves, check, fen in cases:
            with self.subTest(moves=moves):
                self.assertEqual(self.answers("position startpos moves " + moves), [])
                self.assertEqual(self.engine.errors(), ["engine: check failed: " + check])
                self.assertEqual(fen_of(self.engine), fen)


if __name__ == "__main__":
    if not os.access(VELTA, os.X_OK):
        print("skipped: no engine binary at " + VELTA)
        sys.exit(SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2, warnings="ignore").result.wasSuccessful() else 1)
