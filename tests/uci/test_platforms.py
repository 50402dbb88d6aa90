#!/usr/bin/env python3
# The release binaries of every target (`make dist` leaves them in dist/)
# where they run here: the Windows builds under wine, the ARM build under
# qemu-aarch64, the x86-64 builds natively or under qemu-x86_64 on a processor
# model without the instructions they leave out. On each: the bench signature,
# the perft counts of tests/perft.txt to a shallow depth, and a scripted
# session (with CR LF line ends for Windows) whose depth-8 answer is the
# native build's. A build that needs an instruction the processor lacks
# refuses to start, with status 1. Binaries named after the native one (the
# build of another compiler) get the checks of a native release binary.
# Skipped without dist/ or without an emulator.
import os, shutil, subprocess, sys, time, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import ARCH, BENCH, SKIP, VELTA, Engine, processor_flags, run_tests, start_up_lines, without_clock  # noqa: E402,E501

OTHERS = [arg for arg in sys.argv[1:] if not arg.startswith("-")]
sys.argv[1:] = [arg for arg in sys.argv[1:] if arg.startswith("-")]
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
DIST = os.path.join(ROOT, "dist")
HOST = processor_flags()
WINE_ENV = dict(os.environ, WINEPREFIX=os.path.abspath(os.path.join(ROOT, "build", "wine")), WINEDEBUG="-all",
                WINEDLLOVERRIDES="mscoree,mshtml=")  # no Mono or Gecko installer in a new prefix
WINE_ENV.pop("DISPLAY", None)
# qemu-x86_64's processor models: qemu64 has neither POPCNT nor BMI2, Nehalem POPCNT alone.
QEMU64, NEHALEM = ["qemu-x86_64", "-cpu", "qemu64"], ["qemu-x86_64", "-cpu", "Nehalem"]
TARGETS = [  # (file in dist/, target, command before the binary, processor flags it sees)
    ("velta-x86-64-bmi2", "x86-64-bmi2", [], HOST),
    ("velta-x86-64-popcnt", "x86-64-popcnt", NEHALEM, {"popcnt"}),
    ("velta-x86-64", "x86-64", QEMU64, set()),
    ("velta-armv8", "armv8", ["qemu-aarch64"], set()),
    ("velta-x86-64-bmi2.exe", "x86-64-bmi2", ["wine"], HOST),
    ("velta-x86-64-popcnt.exe", "x86-64-popcnt", ["wine"], HOST),
]
BMI2 = "Velta needs a processor with the POPCNT and BMI2 instructions (Intel since 2013, AMD since 2015)"
POPCNT = "Velta needs a processor with the POPCNT instruction (Intel since 2008, AMD since 2007)"
REFUSALS = [  # (file, processor model, the message's lines)
    ("velta-x86-64-bmi2", QEMU64, [BMI2, "The x86-64 build runs on this one"]),
    ("velta-x86-64-bmi2", NEHALEM, [BMI2, "The x86-64-popcnt build runs on this one"]),
    ("velta-x86-64-popcnt", QEMU64, [POPCNT, "The x86-64 build runs on this one"]),
]
POSITION = "position startpos moves e2e4 e7e5 g1f3"
NO_TABLES = "info string This build reads no Syzygy tables (it was built without the Fathom library)"


def available():
    # (label, command list, target, processor flags, line end) of every binary to check that
    # can run here: the emulator is installed, or the processor has what the binary needs
    found = [(path, [path], ARCH, HOST, "\n") for path in OTHERS]
    for name, arch, command, flags in TARGETS:
        path = os.path.join(DIST, name)
        runs = shutil.which(command[0]) if command else {"popcnt", "bmi2"} <= HOST
        if os.access(path, os.X_OK) and runs:
            found.append((name, command + [path], arch, flags, "\r\n" if name.endswith(".exe") else "\n"))
    return found


def run(command, stdin="", timeout=600):
    env = WINE_ENV if command[0] == "wine" else None
    return subprocess.run(command, input=stdin, capture_output=True, text=True, timeout=timeout, env=env)


class Session(Engine):
    # an engine driven line by line; lines sent end as `end`, answers lose a trailing CR
    def __init__(self, command, end="\n"):
        super().__init__(command, os.path.basename(command[-1]), env=WINE_ENV if command[0] == "wine" else None)
        self.end = end

    def send(self, *lines):
        self.send_raw("".join(line + self.end for line in lines).encode())

    def read_until(self, done, timeout=None, q=None):
        lines = super().read_until(lambda line: done(line.rstrip("\r")), timeout or 120, q)
        return [line.rstrip("\r") for line in lines]


def scripted_session(command, end="\n", timeout=120):
    # start-up lines, the depth-8 search (info lines without times and speeds, and the
    # answer), the answer of a movetime search stopped early, the SyzygyPath answer, the exit status
    s = Session(command, end)
    try:
        start = s.until_prefix("info string Creation", timeout)
        s.send("uci")
        s.until_prefix("uciok")
        s.send("setoption name Hash value 16")
        s.ready()
        s.send("ucinewgame", POSITION)
        search = without_clock(s.search("go depth 8", timeout))
        s.send("go movetime 200")
        time.sleep(0.05)
        stopped = s.search("stop", timeout)[-1]
        s.send("setoption name SyzygyPath value /no/such/folder")
        syzygy = s.ready()
        s.send("quit")
        return start, search, stopped, syzygy, s.proc.wait(timeout)
    finally:
        s.kill()


class Platforms(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.binaries = available()
        native = Session([VELTA])
        cls.legal = set(native.legal_moves(POSITION))
        native.kill()
        cls.reference = scripted_session([VELTA])[1]
        if any(b[1][0] == "wine" for b in cls.binaries):  # a new prefix takes seconds to make
            run(["wine", "cmd", "/c", "exit"])

    def test_bench_signature(self):
        for label, command, *_ in self.binaries:
            with self.subTest(binary=label):
                out = run(command + ["bench"]).stdout.splitlines()
                self.assertRegex(out[-1].rstrip("\r"), r"^%s nodes \d+ nps$" % BENCH)

    def test_perft_counts(self):
        # Each position of tests/perft.txt at its deepest count up to 100000 nodes.
        cases = []
        for line in open(os.path.join(ROOT, "tests", "perft.txt")):
            if line.strip() and not line.startswith("#"):
                fen, counts = line.split("|")
                depth, count = max((d, c) for d, c in enumerate(map(int, counts.split()), 1) if c <= 100000 or d == 1)
                cases.append(("position fen " + fen.strip(), "perft %d" % depth, count))
        for label, command, _, _, end in self.binaries:
            with self.subTest(binary=label):
                s = Session(command, end)
                self.addCleanup(s.kill)
                for position, perft, count in cases:
                    s.send(position, perft)
                    summary = s.read_until(lambda line: " nodes in " in line)[-1]
                    self.assertEqual(int(summary.split()[0]), count, (position, perft))

    def test_scripted_session_answers_as_the_native_build(self):
        # Identification by target, the same depth-8 search to the node, a legal answer
        # to a stopped search, and Fathom's absence said where it is absent.
        for label, command, arch, flags, end in self.binaries:
            with self.subTest(binary=label):
                start, search, stopped, syzygy, status = scripted_session(command, end)
                self.assertEqual(start[:-1], start_up_lines(arch, flags))
                self.assertEqual(search[-2:], self.reference[-2:])
                self.assertRegex(stopped, r"^bestmove \S+")
                self.assertIn(stopped.split()[1], self.legal)
                if label.startswith("velta-"):  # release binaries are linked without Fathom
                    self.assertEqual(syzygy, [NO_TABLES])
                self.assertEqual(status, 0)

    def test_end_of_input_ends_the_engine(self):
        for label, command, *_ in self.binaries:
            with self.subTest(binary=label):
                self.assertEqual(run(command, "isready\n", 120).returncode, 0)

    def test_a_build_refuses_a_processor_without_its_instructions(self):
        if not shutil.which("qemu-x86_64"):
            self.skipTest("no qemu-x86_64")
        for name, model, message in REFUSALS:
            path = os.path.join(DIST, name)
            if os.access(path, os.X_OK):
                with self.subTest(binary=name, cpu=model[-1]):
                    refused = run(model + [path], "uci\n", 60)
                    self.assertEqual((refused.returncode, refused.stdout, refused.stderr.splitlines()),
                                     (1, "", message))


if __name__ == "__main__":
    if len(available()) == len(OTHERS):
        print("skipped: no release binary of another target in dist/ that an emulator here runs (make dist)")
        sys.exit(SKIP)
    run_tests()
