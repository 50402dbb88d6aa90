# The tests' side of the pipe driver (tools/uci_engine.py): which binary to
# test (the first argument of a script, else $VELTA, else build/velta), the skip
# code, a test case with an engine of its own, and unittest's main.
import os, re, sys, time, unittest  # noqa: E401

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
    # Lines sent during a search that must end it, or none: the input closes.
    # (The lines up to "bestmove", CPU seconds the engine spent meanwhile, wall seconds meanwhile.)
    cpu, started = cpu_seconds(engine), time.monotonic()
    engine.send(*commands) if commands else engine.proc.stdin.close()
    lines = engine.until_prefix("bestmove", 30 * SLACK)
    return lines, cpu_seconds(engine) - cpu, time.monotonic() - started


# What a build of each target (ARCH) calls itself, and the instructions its
# start-up line names. The build under test is $VELTA_ARCH (CTest passes the
# build's), else the default one.
TARGETS = {"x86-64-bmi2": ("Velta 0.6 x64 (bmi2)", "'popcnt', 'bmi2'"),
           "x86-64-popcnt": ("Velta 0.6 x64 (popcnt)", "'popcnt'"),
           "x86-64": ("Velta 0.6 x64", None),
           "armv8": ("Velta 0.6 armv8", None)}
ARCH = os.environ.get("VELTA_ARCH", "x86-64-bmi2")


def start_up_lines(arch, processor):
    # The lines before the table's: the name, the instructions the build uses, and a
    # hint when the processor (a set of its flags, as /proc/cpuinfo names them) could
    # run a faster build
    name, instructions = TARGETS[arch]
    lines = [name + " ('quit' to exit)"]
    if instructions:
        lines.append("info string Set of supported instructions : " + instructions)
    if arch.startswith("x86-64") and arch != "x86-64-bmi2" and {"popcnt", "bmi2"} <= processor:
        lines.append("info string This processor has POPCNT and BMI2: the x86-64-bmi2 build is faster on it")
    elif arch == "x86-64" and "popcnt" in processor:
        lines.append("info string This processor has POPCNT: the x86-64-popcnt build is faster on it")
    return lines


def processor_flags():
    # the flags of this machine's processor (Linux), as a set
    try:
        with open("/proc/cpuinfo") as f:
            return set(next(line for line in f if line.startswith("flags")).split(":", 1)[1].split())
    except (OSError, StopIteration):
        return set()


HERE = os.path.dirname(os.path.abspath(__file__))
VELTA = sys.argv.pop(1) if len(sys.argv) > 1 and not sys.argv[1].startswith("-") else \
    os.environ.get("VELTA", os.path.join(HERE, "..", "..", "build", "velta"))
with open(os.path.join(HERE, "..", "bench.txt")) as f:
    BENCH = f.read().strip()  # the bench signature: its node total


def without_clock(lines):
    # the lines less their times and speeds, to compare two runs
    return [re.sub(r" (time|nps) \d+", "", line) for line in lines]


def start_velta(path=None, threads=THREADS, **options):
    engine = uci_engine.start_velta(path or VELTA, **options)
    if threads > 1:
        engine.send("setoption name Threads value %d" % threads)
    return engine


class EngineTest(unittest.TestCase):
    # each test with an engine of its own, killed at its end
    def setUp(self):
        self.engine = start_velta()
        self.addCleanup(self.engine.kill)

    def answers(self, *lines):
        # what the lines print, up to the "isready" barrier
        self.engine.send(*lines)
        return self.engine.ready()

    def assert_legal(self, position, moves):
        # each move legal where it is played, by the engine's own generator
        for move in moves:
            self.assertIn(move, self.engine.legal_moves(position), position)
            position += (" " if " moves " in position else " moves ") + move


def run_tests():
    # unittest's main for a script; skipped when there is no engine binary
    if not os.access(VELTA, os.X_OK):
        print("skipped: no engine binary at " + VELTA)
        sys.exit(SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2, warnings="ignore").result.wasSuccessful() else 1)
