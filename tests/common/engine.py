# The tests' side of the pipe driver (tools/uci_engine.py): which binary to
# test, the skip code, and unittest's main.
import os, sys, time, unittest  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import uci_engine  # noqa: E402
from uci_engine import Engine, stockfish_path  # noqa: E402,F401

SKIP = 77  # CTest's skip code for these tests (SKIP_RETURN_CODE)
# Search threads the tests run Velta with, and a factor for their time limits
# (sanitizer builds are slower).
THREADS = int(os.environ.get("VELTA_THREADS", "1"))
SLACK = float(os.environ.get("VELTA_TIME_SLACK", "1"))
uci_engine.PATIENCE = SLACK


# What "at once" means during a search: the engine reads its input every 10000
# nodes, about 10 ms of one thread's work; this allows 25 times that, per
# search thread. It is counted in the engine's own CPU time, which a loaded
# machine does not stretch the way it stretches the wall clock.
AT_ONCE = 0.25 * SLACK


def cpu_seconds(engine):
    # CPU time all the engine's threads have used so far (also once it has exited)
    with open(f"/proc/{engine.proc.pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def release(engine, *commands):
    # Lines sent during a search that must end it: (the lines up to "bestmove",
    # CPU seconds the engine spent meanwhile, wall seconds meanwhile)
    cpu, started = cpu_seconds(engine), time.monotonic()
    engine.send(*commands)
    lines = engine.until_prefix("bestmove", 30 * SLACK)
    return lines, cpu_seconds(engine) - cpu, time.monotonic() - started


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
