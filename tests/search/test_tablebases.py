#!/usr/bin/env python3
# Syzygy tables: the engine's score of random three- and four-piece positions
# agrees with the results and distances of the fathom prober, and with the tables
# it converts won endings within the fifty-move rule and never loses drawn ones,
# every move refereed by Stockfish. Skipped when the tables, the fathom tool, the
# library or Stockfish are missing.
import os, random, re, subprocess, sys  # noqa: E401
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "common"), os.path.join(HERE, "..", "..", "tools")]
from engine import SKIP, VELTA, EngineTest, run_tests, start_velta, stockfish_path  # noqa: E402
import games  # noqa: E402

# The 3-4-piece tables: VELTA_SYZYGY, else the workplace's shared data beside
# this checkout, else where the workplace keeps it.
CANDIDATES = [os.path.join(HERE, "..", "..", "..", "shared", "data", "syzygy"), "/work/shared/data/syzygy"]
TABLES = os.environ.get("VELTA_SYZYGY") or next(
    (os.path.normpath(p) for p in CANDIDATES if os.path.exists(os.path.join(p, "KQvK.rtbw"))), CANDIDATES[0])
FATHOM = "/usr/games/fathom"
SET_PATH = "setoption name SyzygyPath value " + TABLES
FOUND = f"info string Syzygy tables found in {TABLES}: up to 4 pieces"


def fathom(fen):  # (result, distance to zeroing) as the prober prints them
    out = subprocess.run([FATHOM, "--path=" + TABLES, fen], capture_output=True, text=True).stdout
    return re.search(r'\[WDL "(\w+)"\]', out)[1], abs(int(re.search(r'\[DTZ "(-?\d+)"\]', out)[1]))


def random_fen(rng, pieces):
    while True:
        squares = rng.sample(range(64), len(pieces))
        if all(p not in "Pp" or 8 <= s < 56 for p, s in zip(pieces, squares)):
            board = {s: p for p, s in zip(pieces, squares)}
            rows = ["".join(board.get(8 * r + f, "1") for f in range(8)) for r in range(7, -1, -1)]
            placement = "/".join(re.sub(r"1+", lambda m: str(len(m[0])), row) for row in rows)
            return f"{placement} {rng.choice('wb')} - - 0 1"


class Tablebases(EngineTest):
    def setUp(self):
        super().setUp()
        self.assertEqual(self.answers(SET_PATH), [FOUND])

    def test_a_moved_king_leaves_no_right_to_keep_the_tables_away(self):
        # The a1 rook never moved, but its king did: no castling right is left.
        self.engine.send("position fen 4k3/8/8/8/8/8/8/R3K3 w Q - 0 1 moves e1d2 e8e7")
        line = self.engine.search("go depth 3")[-2]
        self.assertRegex(line, r"score cp 199\d\d .* tbhits [1-9]")

    def test_scores_agree_with_the_prober(self):
        # The win/draw/loss odds shown are the tables' result, certain.
        self.engine.send("setoption name UCI_ShowWDL value true")
        rng, compared = random.Random(5), 0
        while compared < 300:
            fen = random_fen(rng, rng.choice(["KQk", "KRk", "KPk", "KNk", "KQkr", "KRkp", "KPkp", "KBNk", "KRkb"]))
            self.engine.send("position fen " + fen)
            if self.engine.fen().split()[:2] != fen.split()[:2]:
                continue  # refused (not a legal position): the engine kept the one before
            lines = self.engine.search("go depth 1")
            if len(lines) < 2 or not lines[-2].startswith("info depth"):
                continue  # no choice to make
            score = re.search(r"score (cp|mate) (-?\d+) wdl (\d+ \d+ \d+)", lines[-2])
            result, dtz = fathom(fen)
            with self.subTest(fen=fen):
                self.assertEqual(score[3], {"Win": "1000 0 0", "Loss": "0 0 1000"}.get(result, "0 1000 0"))
                if score[1] == "mate":
                    self.assertEqual(result, "Win" if int(score[2]) > 0 else "Loss")
                elif int(score[2]) == 0:
                    self.assertIn(result, ["Draw", "CursedWin", "BlessedLoss"])
                else:  # a win scores 20000 less its distance, a loss the opposite
                    expected = ("Win" if int(score[2]) > 0 else "Loss", 20000 - abs(int(score[2])))
                    self.assertEqual((result, dtz), expected)
            compared += 1
        # Match managers send the options again before every game: the same answer, and
        # nothing on standard error but the refusals up to the exit (the library's unmapping is noisy).
        self.assertEqual(self.answers(SET_PATH), [FOUND])
        self.assertEqual(self.engine.close(), 0)
        self.assertEqual([l for l in self.engine.errors() if not l.startswith("engine: check failed: ")], [])

    def test_won_endings_are_won_and_drawn_ones_never_lost(self):
        if not stockfish_path():
            self.skipTest("Stockfish referees the games")
        players = [games.Player(VELTA, name, True, (SET_PATH,)) for name in ("velta", "velta-2")]
        referee = games.Referee(stockfish_path())
        self.addCleanup(lambda: [p.quit() for p in players] + [referee.close()])
        for line in open(os.path.join(HERE, "tb_positions.txt")):
            if line.startswith("#"):
                continue
            kind, fen = line.split(" ", 1)
            game = games.play_game(*players, ("tables", fen.strip(), ""), (10, 0), referee, 200, 10, nodes=5000)
            with self.subTest(fen=fen):
                self.assertEqual(game["faults"], [])
                expected = ("1-0", "checkmate") if kind == "won" else ("1/2-1/2", game["reason"])
                self.assertEqual((game["result"], game["reason"]), expected)


if __name__ == "__main__":
    missing = [what for what, path in [("the tables", os.path.join(TABLES, "KQvK.rtbw")), ("fathom", FATHOM),
                                       ("the engine", VELTA)] if not os.path.exists(path)]
    if not missing:
        velta = start_velta()
        velta.send(SET_PATH)
        if "This build reads no" in "".join(velta.ready()):
            missing = ["an engine built with the Fathom library (libfathom-dev)"]
        velta.kill()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(SKIP)
    run_tests()
