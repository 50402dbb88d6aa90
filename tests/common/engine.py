"""Drive a UCI engine over pipes, as a GUI does: one command, then wait for its answer.

Lines are read by background threads into queues, so a test can wait for an
answer with a timeout and also see what arrived on standard error. Output is
decoded as Latin-1 so the board diagram's single bytes stay one character each.
"""
import os
import queue
import shutil
import subprocess
import sys
import threading
import time

SKIP = 77  # CTest's skip code for these tests (SKIP_RETURN_CODE)


def engine_path():
    """The engine binary: first command-line argument or $VELTA, else build/velta."""
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        return sys.argv.pop(1)
    here = os.path.dirname(os.path.abspath(__file__))
    return os.environ.get("VELTA", os.path.join(here, "..", "..", "build", "velta"))


def stockfish_path():
    """Stockfish from Debian's packages, or None."""
    return shutil.which("stockfish") or (
        "/usr/games/stockfish" if os.access("/usr/games/stockfish", os.X_OK) else None)


class Engine:
    def __init__(self, path, name="engine"):
        self.name = name
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, bufsize=0)
        self.out, self.err = queue.Queue(), queue.Queue()
        for stream, q in ((self.proc.stdout, self.out), (self.proc.stderr, self.err)):
            threading.Thread(target=self._pump, args=(stream, q), daemon=True).start()

    @staticmethod
    def _pump(stream, q):
        for raw in iter(stream.readline, b""):
            q.put(raw.decode("latin-1").rstrip("\n"))
        q.put(None)  # end of stream

    def send(self, *lines):
        for line in lines:
            self.proc.stdin.write((line + "\n").encode("latin-1"))
        self.proc.stdin.flush()

    def send_raw(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def read_until(self, done, timeout=10.0, q=None):
        """Lines up to and including the first for which done(line) is true."""
        q = q or self.out
        lines, deadline = [], time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            try:
                line = q.get(timeout=max(left, 0.001))
            except queue.Empty:
                raise TimeoutError(f"{self.name}: no answer within {timeout}s after {lines[-5:]}")
            if line is None:
                raise EOFError(f"{self.name}: output closed after {lines[-5:]}")
            lines.append(line)
            if done(line):
                return lines

    def until_prefix(self, prefix, timeout=10.0):
        return self.read_until(lambda l: l.startswith(prefix), timeout)

    def drain(self, wait=0.2, q=None):
        """Whatever arrives within `wait` seconds of quiet."""
        q = q or self.out
        lines = []
        while True:
            try:
                line = q.get(timeout=wait)
            except queue.Empty:
                return lines
            if line is None:
                return lines
            lines.append(line)

    def errors(self, wait=0.2):
        return self.drain(wait, self.err)

    def close(self, timeout=10.0):
        """Closes standard input and returns the exit status."""
        try:
            self.proc.stdin.close()
        except BrokenPipeError:
            pass
        return self.proc.wait(timeout)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def start_velta(path=None):
    """Velta started and past its start-up lines (banner, features, table)."""
    engine = Engine(path or engine_path(), "velta")
    engine.until_prefix("info debug Creation of Transposition Table")
    return engine
