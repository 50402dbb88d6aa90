# The tests' side of the pipe driver (tools/uci_engine.py): which binary to
# test, the skip code, and unittest's main.
import os, sys, unittest  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import uci_engine  # noqa: E402
from uci_engine import Engine, stockfish_path  # noqa: E402,F401

SKIP = 77  # CTest's skip code for these tests (SKIP_RETURN_CODE)
# Search threads the tests run Velta with, and a factor for their time limits
# (sanitizer builds are slower).
THREADS = int(os.environ.get("VELTA_THREADS", "1"))
SLACK = float(os.environ.get("VELTA_TIME_SLACK", "1"))


def engine_path():
    # the engine binary: first command-line argument or $VELTA, else build/velta
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        return sys.argv.pop(1)
    here = os.path.dirname(os.path.abspath(__file__))
    return os.environ.get("VELTA", os.path.join(here, "..", "..", "build", "velta"))


def start_velta(path=None, threads=THREADS, **options):
    engine = uci_engine.start_velta(path or engine_path(), **options)
    if threads > 1:
        engine.send("setoption name Threads value %d" % threads)
    return engine


def run_tests(velta):
    # unittest's main for a script given the engine binary; skipped when there is none
    if not os.access(velta, os.X_OK):
        print("skipped: no engine binary at " + velta)
        return SKIP
    return 0 if unittest.main(exit=False, verbosity=2, warnings="ignore").result.wasSuccessful() else 1
