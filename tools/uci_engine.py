"""Drive a UCI engine over pipes, as a GUI does: one command, then wait for its answer.

Background threads read the lines into queues, so a caller can wait for an answer
with a timeout and also see what arrived on standard error. Output is decoded as
Latin-1 so that any byte stays one character. Used by the tools and the tests.
"""
import os, queue, resource, shutil, subprocess, threading, time  # noqa: E401

# The waits for an answer that a caller does not set (10 s for most, 30 s for
# readyok, 120 s for bestmove) are multiplied by this: slower builds, such as
# the sanitizers', set it higher.
PATIENCE = 1.0


def stockfish_path():
    # Stockfish from Debian's packages, or None
    return shutil.which("stockfish") or (
        "/usr/games/stockfish" if os.access("/usr/games/stockfish", os.X_OK) else None)


class Engine:
    def __init__(self, path, name="engine", address_space=None, env=None):
        # path: the binary, or a command list (an emulator and its arguments before the binary);
        # address_space: a limit in bytes on the child's virtual memory, so large allocations fail
        limit = address_space and (lambda: resource.setrlimit(resource.RLIMIT_AS, (address_space,) * 2))
        self.name = name
        self.proc = subprocess.Popen(path if isinstance(path, list) else [path], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0,
                                     preexec_fn=limit, env=env)
        self.out, self.err = queue.Queue(), queue.Queue()
        for stream, q in ((self.proc.stdout, self.out), (self.proc.stderr, self.err)):
            threading.Thread(target=self._pump, args=(stream, q), daemon=True).start()

    @staticmethod
    def _pump(stream, q):
        for raw in iter(stream.readline, b""):
            q.put(raw.decode("latin-1").rstrip("\n"))
        q.put(None)  # end of stream

    def send(self, *lines):
        self.send_raw(b"".join((line + "\n").encode("latin-1") for line in lines))

    def send_raw(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def read_until(self, done, timeout=None, q=None):
        # the lines up to and including the first for which done(line) is true
        timeout = timeout or 10.0 * PATIENCE
        q, lines, deadline = q or self.out, [], time.monotonic() + timeout
        while not lines or not done(lines[-1]):
            try:
                lines.append(q.get(timeout=max(deadline - time.monotonic(), 0.001)))
            except queue.Empty:
                raise TimeoutError(f"{self.name}: no answer within {timeout}s after {lines[-5:]}")
            if lines[-1] is None:
                raise EOFError(f"{self.name}: output closed after {lines[-6:-1]}")
        return lines

    def until_prefix(self, prefix, timeout=None):
        return self.read_until(lambda l: l.startswith(prefix), timeout)

    def drain(self, wait=0.2, q=None):
        # whatever arrives before `wait` seconds of quiet or the end of the stream
        q, lines = q or self.out, []
        try:
            while (line := q.get(timeout=wait)) is not None:
                lines.append(line)
        except queue.Empty:
            pass
        return lines

    def errors(self, wait=0.2):
        return self.drain(wait, self.err)

    def ready(self, timeout=None):
        # everything printed before "readyok": the barrier after a command
        self.send("isready")
        return self.until_prefix("readyok", timeout or 30.0 * PATIENCE)[:-1]

    def search(self, line, timeout=None):
        self.send(line)
        return self.until_prefix("bestmove", timeout or 120.0 * PATIENCE)

    def fen(self):
        # the root position's FEN, read from the "debug" display
        self.send("debug")
        fen = self.until_prefix("fen = ")[-1][len("fen = "):]
        self.ready()  # the rest of the display
        return fen

    def legal_moves(self, position):
        # the legal moves of a position by Velta's own generator ("perft 1")
        self.send(position, "perft 1")
        return self.read_until(lambda l: " nodes in " in l)[-2].split()

    def close(self, timeout=None):
        # closes standard input and returns the exit status
        try:
            self.proc.stdin.close()
        except BrokenPipeError:
            pass
        return self.proc.wait(timeout or 10.0 * PATIENCE)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


VELTA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "velta")


def start_velta(path=None, **options):
    # Velta (build/velta by default) started and past its start-up lines (banner, features, table)
    engine = Engine(path or VELTA, "velta", **options)
    engine.until_prefix("info string Creation of Transposition Table")
    return engine
