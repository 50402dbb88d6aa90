#!/usr/bin/env python3
# The engine under fastchess, the match manager OpenBench's workers run: its
# protocol check passes every step, and a match against itself set up as a
# worker sets up an SMP test (two threads each, the options sent again before
# every game to the same processes) finishes all its games without a crash,
# disconnect, loss on time or illegal move; so does a Fischer Random match
# played as a worker plays an FRC book, with castlings in it. Skipped when
# fastchess is missing (tools/ensure_fastchess.sh builds it).
import os, re, subprocess, sys, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SKIP, SLACK, VELTA, run_tests  # noqa: E402
import matches  # noqa: E402  (tools/, on the path through engine)

VELTA = os.path.abspath(VELTA)
FASTCHESS = matches.fastchess_path(VELTA)
STEP = re.compile(r"(Passed|Failed) Step (\d+): (.*)")


class Fastchess(unittest.TestCase):
    def test_compliance(self):
        run = subprocess.run([FASTCHESS, "--compliance", VELTA], capture_output=True, text=True,
                             errors="replace", timeout=120 * SLACK)
        text = re.sub(r"\x1b\[[0-9;]*m", "", run.stdout + run.stderr)
        steps = [m.groups() for m in map(STEP.search, text.splitlines()) if m]
        failed = [f"step {n}: {what}" for verdict, n, what in steps if verdict == "Failed"]
        self.assertEqual(failed, [], "fastchess --compliance failed; it showed:\n" + text[-3000:])
        # every step ran (40 in this version) and the whole check passed
        self.assertEqual((len(steps) >= 40, run.returncode), (True, 0), text[-3000:])
        self.assertIn("Engine passed all compliance checks.", text)

    def match(self, book, each, rounds, seed):
        # Both sides this engine: no crash, disconnect, time loss or illegal move, and every game played.
        record = matches.run(FASTCHESS, [("velta-a", VELTA, each), ("velta-b", VELTA, each)], book,
                             rounds=rounds, seed=seed, extra=matches.ADJUDICATION)
        report = "\n".join(matches.summary(record, "velta-a")[0] + record["output"][-20:])
        self.assertEqual({kind: len(found) for kind, found in record["faults"].items()},
                         dict.fromkeys(record["faults"], 0), report)
        self.assertEqual((len(record["games"]), record["status"]), (2 * rounds, 0), report)
        return record, report

    def test_smp_match_as_openbench_runs_it(self):
        if SLACK > 1:
            self.skipTest("the match's clock is set for an optimised build")
        record, report = self.match(matches.BOOK, ["tc=2+0.05", "timemargin=250", "option.Threads=2",
                                                   "option.Hash=16"], 3, 7)
        # The games ended on the board or by adjudication, as the PGN records them too.
        self.assertEqual([r in ("1-0", "0-1", "1/2-1/2") for r in record["pgn_results"]], [True] * 6, report)
        self.assertLessEqual(set(record["terminations"]), {"normal", "adjudication"}, report)

    def test_fischer_random_match(self):
        # Node-limited, so the same games each run (and no clock for a slow build to lose on).
        record, report = self.match(matches.FRC_BOOK, ["nodes=10000", "option.Hash=16"], 8, 960)
        self.assertGreater(record["castlings"], 0, report)


if __name__ == "__main__":
    if not FASTCHESS:
        print("skipped: fastchess not built (tools/ensure_fastchess.sh builds it from its source)")
        sys.exit(SKIP)
    run_tests()
