#!/usr/bin/env python3
"""Matches through fastchess, the match manager OpenBench's workers run, set up
the way a worker sets them up, and a tally of what went wrong.

fastchess keeps both clocks, checks every move (and every move of every
principal variation) for legality, re-sends the options before each game to
the same engine process, and restarts an engine that died (-recover). This
driver adds its log of the engines' output, from which it reads what they
wrote on standard error and how each process ended, and prints a summary:
crashes and disconnects, time losses, illegal moves (played, or in a
principal variation), unfinished games, standard-error lines, exits other
than status 0, and fastchess's other warnings. The exit status is 1 when any
of these but the other warnings is not zero; against Stockfish only Velta's
faults count.

Presets:
  smp        Velta against itself, Threads=2 Hash=16, adjudicated as OpenBench does (default 5+0.05)
  nodes      against itself, every move a "go nodes 50000" search, one thread
  syzygy     against itself from tools/endgames.txt with the 3-4-piece tables,
             adjudicated by fastchess at three pieces (the engine plays its 4-piece endings)
  stockfish  against Stockfish at Skill Level 0, played out to the end (default 10+0.1)
  frc        Fischer Random against itself from tests/frc960.epd, as a worker plays an FRC
             book ("-variant fischerandom": UCI_Chess960 on, castling as king takes rook);
             the summary counts the castlings (default 2+0.02)

Usage: matches.py PRESET [--engine build/velta] [--games 20] [--tc 5+0.05]
                  [--concurrency 1] [--seed 1] [--keep DIR]
"""
import argparse
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile

from uci_engine import stockfish_path

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
BOOK = os.path.join(HERE, "openings.epd")
FRC_BOOK = os.path.join(ROOT, "tests", "frc960.epd")
ENDGAMES = os.path.join(HERE, "endgames.txt")
# OpenBench's adjudication: a side resigns after 3 moves at -400 cp or worse, a
# game is drawn after move 40 once 8 moves in a row are within 10 cp.
ADJUDICATION = ["-resign", "movecount=3", "score=400", "-draw", "movenumber=40", "movecount=8", "score=10"]
FINISHED = re.compile(r"Finished game (\d+) \((.+) vs (.+)\): (\S+) \{(.*)\}")
# How fastchess names a game's end ({reason} after the result), by fault.
FAULTS = {"crashes and disconnects": ("disconnects", "connection stalls"),
          "time losses": ("loses on time",), "illegal moves": ("illegal move",)}
STDERR_LINE = re.compile(r"<stderr> (\S+) ---> (.*)")
CASTLING = re.compile(r"\bO-O(?:-O)?\b")


def first_existing(paths):
    return next((os.path.normpath(p) for p in paths if p and os.path.exists(p)), None)


def fastchess_path(engine=None):
    """$FASTCHESS, else the one tools/ensure_fastchess.sh built beside the engine or in build/."""
    candidates = [os.environ.get("FASTCHESS")]
    if engine:
        candidates.append(os.path.join(os.path.dirname(os.path.abspath(engine)), "fastchess", "fastchess"))
    return first_existing(candidates + [os.path.join(ROOT, "build", "fastchess", "fastchess")])


def syzygy_path():
    """The 3-4-piece tables: $VELTA_SYZYGY, the shared data beside this checkout, or /work/shared."""
    return first_existing([os.environ.get("VELTA_SYZYGY"), os.path.join(ROOT, "..", "shared", "data", "syzygy"),
                           "/work/shared/data/syzygy"])


def offers_option(engine, name):
    """Whether the engine lists the option in its answer to "uci"."""
    out = subprocess.run([engine], input="uci\nquit\n", capture_output=True, text=True, timeout=30).stdout
    return f"option name {name} " in out


def command(fastchess, engines, book, rounds, folder, seed=1, extra=(), concurrency=1):
    """fastchess's arguments as an OpenBench worker writes them: engines is a
    list of (name, cmd, settings such as "tc=2+0.05" or "option.Hash=16")."""
    variant = "fischerandom" if book == FRC_BOOK else "standard"
    args = [fastchess, "-recover", "-variant", variant, "-testEnv", "-concurrency", str(concurrency),
            "-rounds", str(rounds), "-games", "2"] + list(extra)
    for name, cmd, settings in engines:
        args += ["-engine", f"cmd={cmd}", f"name={name}", "proto=uci"] + list(settings)
    return args + ["-openings", f"file={book}", "format=epd", "order=random", "-srand", str(seed),
                   "-pgnout", f"file={os.path.join(folder, 'games.pgn')}", "seldepth=true", "nodes=true",
                   "match_line=^info string pgncomment .*",
                   "-log", f"file={os.path.join(folder, 'engines.log')}", "level=warn", "engine=true"]


def blamed(game):
    """The engine a game's end names ("White loses on time"), or None."""
    _, white, black, _, reason = game
    return white if reason.startswith("White") else black if reason.startswith("Black") else None


def tally(output, pgn, log, judged):
    """What went wrong in a match, from fastchess's output, its PGN and its log,
    counted against the engines named in judged (an opponent's faults are its own)."""
    games = [m.groups() for m in map(FINISHED.search, output.splitlines()) if m]
    faults = collections.OrderedDict((kind, [f"game {g[0]}: {g[4]}" for g in games if blamed(g) in judged
                                             and any(w in g[4] for w in words)]) for kind, words in FAULTS.items())
    faults["unfinished games"] = [f"game {g[0]}: {g[3]} {g[4]}" for g in games if g[3] not in ("1-0", "0-1", "1/2-1/2")]
    stderr = [f"{m[1]}: {m[2]}" for m in map(STDERR_LINE.search, log.splitlines()) if m and m[1] in judged]
    # fastchess logs how each engine process ended as a line of its standard error.
    faults["abnormal exits"] = [line for line in stderr if ": Process " in line
                                and not line.endswith(": Process exited normally with status 0")]
    faults["standard-error lines"] = [line for line in stderr if ": Process " not in line]
    warnings = [line.split(" :: ")[0] for line in output.splitlines() if line.startswith("Warning")]
    # A move of a principal variation that is not legal where it stands misleads
    # every GUI that shows it; the other warnings (a line going on past a
    # repetition, an opponent's) are only counted.
    faults["illegal PV moves"] = [w for w in warnings if w.startswith("Warning; Illegal PV move")
                                  and w.rsplit(" from ", 1)[-1] in judged]
    return {"games": games, "faults": faults, "warnings": warnings,
            "pgn_results": re.findall(r'^\[Result "([^"]*)"\]', pgn, re.M),
            "terminations": collections.Counter(re.findall(r'^\[Termination "([^"]*)"\]', pgn, re.M)),
            # castlings in the moves, comments and tags left out
            "castlings": len(CASTLING.findall(re.sub(r"\{[^}]*\}|\[[^\]]*\]", " ", pgn)))}


def run(fastchess, engines, book, rounds, seed=1, extra=(), concurrency=1, keep=None, echo=False, judged=None):
    """Plays the match; returns tally()'s record (faults of the engines named in
    judged, by default all) plus fastchess's exit status and output."""
    folder = os.path.abspath(keep) if keep else tempfile.mkdtemp(prefix="velta-match-")
    os.makedirs(folder, exist_ok=True)
    try:
        args = command(fastchess, engines, book, rounds, folder, seed, extra, concurrency)
        # fastchess leaves its state (config.json) in its working folder: the match's own.
        proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace",
                                cwd=folder)
        lines = []
        for line in proc.stdout:
            lines.append(line.rstrip("\n"))
            first = line.split(" :: ")[0].rstrip("\n")
            if echo and (first.startswith("Finished game") or "Error" in first or first.startswith("Warning")
                         and first.rsplit(" from ", 1)[-1] in (judged or first)):
                print(first, flush=True)
        status = proc.wait()
        pgn, log = (os.path.join(folder, name) for name in ("games.pgn", "engines.log"))
        pgn = open(pgn, errors="replace").read() if os.path.exists(pgn) else ""
        # The log holds every line both engines wrote; only standard error's are kept.
        log = "".join(l for l in open(log, errors="replace") if "<stderr>" in l) if os.path.exists(log) else ""
        record = tally("\n".join(lines), pgn, log, judged or {e[0] for e in engines})
        record.update(status=status, output=lines, command=args)
        return record
    finally:
        if not keep:
            shutil.rmtree(folder, ignore_errors=True)


def summary(record, first):
    """The summary lines, and whether the match was clean."""
    points = collections.Counter()
    for _, white, black, result, _ in record["games"]:
        score = {"1-0": 1, "0-1": 0, "1/2-1/2": 0.5}.get(result)
        if score is not None:
            points[score if white == first else 1 - score] += 1
    reasons = collections.Counter(re.sub(r"\(\d+ms overrun\)", "", g[4]).strip() for g in record["games"])
    text = [f"summary: {len(record['games'])} games, {first} +{points[1]} ={points[0.5]} -{points[0]}; "
            + ", ".join(f"{r} {n}" for r, n in sorted(reasons.items())),
            "  " + ", ".join(f"{kind} {len(found)}" for kind, found in record["faults"].items()),
            f"  fastchess exit status {record['status']}, warnings {len(record['warnings'])}, "
            f"castlings {record['castlings']}"]
    kinds = collections.Counter(re.sub(r" - (move \S+ )?from (\S+)$", r" (\2)", w) for w in record["warnings"])
    text += [f"    {kind}: {n}" for kind, n in sorted(kinds.items())]
    for kind, found in record["faults"].items():
        text += [f"  {kind}: {item}" for item in found[:10]]
    clean = record["status"] == 0 and not any(record["faults"].values())
    return text, clean


def preset(args):
    """(engines, book, extra fastchess arguments) of a preset, or a reason it cannot run."""
    velta, tc = os.path.abspath(args.engine), args.tc
    if args.preset == "smp":
        each = [f"tc={tc or '5+0.05'}", "timemargin=250", "option.Threads=2", "option.Hash=16"]
        return [("velta-a", velta, each), ("velta-b", velta, each)], BOOK, ADJUDICATION
    if args.preset == "frc":
        each = [f"tc={tc or '2+0.02'}", "timemargin=250", "option.Hash=16"]
        return [("velta-a", velta, each), ("velta-b", velta, each)], FRC_BOOK, ADJUDICATION
    if args.preset == "nodes":
        each = ["nodes=50000", "option.Threads=1", "option.Hash=16"]
        return [("velta-a", velta, each), ("velta-b", velta, each)], BOOK, ["-maxmoves", "200"]
    if args.preset == "syzygy":
        tables = syzygy_path()
        if not tables:
            return "no Syzygy tables found (set VELTA_SYZYGY)"
        each = [f"tc={tc or '10+0.1'}", "timemargin=250", "option.Threads=1", "option.Hash=16",
                f"option.SyzygyPath={tables}"]
        if offers_option(velta, "SyzygyProbeLimit"):
            each.append("option.SyzygyProbeLimit=4")
        # fastchess reads every line of a book: the comments of endgames.txt stay behind.
        book = tempfile.NamedTemporaryFile("w", prefix="velta-endgames-", suffix=".epd", delete=False).name
        with open(book, "w") as out:
            out.writelines(line for line in open(ENDGAMES) if line.strip() and not line.startswith("#"))
        return [("velta-a", velta, each), ("velta-b", velta, each)], book, ["-tb", tables, "-tbpieces", "3"]
    stockfish = stockfish_path()
    if not stockfish:
        return "Stockfish is not installed"
    # Stockfish cuts its time fine at short clocks; the overhead keeps a loaded
    # machine from costing it games on time.
    return ([("velta", velta, [f"tc={tc or '10+0.1'}", "timemargin=250", "option.Hash=16"]),
             ("stockfish", stockfish, [f"tc={tc or '10+0.1'}", "timemargin=250", "option.Skill Level=0",
                                       "option.Move Overhead=100", "option.Hash=16"])], BOOK, ["-maxmoves", "200"])


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("preset", choices=["smp", "nodes", "syzygy", "stockfish", "frc"])
    parser.add_argument("--engine", default=os.path.join(ROOT, "build", "velta"), help="the Velta binary")
    parser.add_argument("--games", type=int, default=20, help="games in all (pairs of the same opening)")
    parser.add_argument("--tc", help="seconds per game + seconds per move (the preset's default otherwise)")
    parser.add_argument("--concurrency", type=int, default=1)
    parser.add_argument("--seed", type=int, default=1, help="order of the openings")
    parser.add_argument("--keep", help="a folder to keep the PGN and the engines' log in")
    args = parser.parse_args(argv)
    fastchess = fastchess_path(args.engine)
    if not fastchess:
        print("fastchess not found: tools/ensure_fastchess.sh builds it (or set FASTCHESS)")
        return 77
    setup = preset(args)
    if isinstance(setup, str):
        print(f"{args.preset}: skipped, {setup}")
        return 0
    engines, book, extra = setup
    print(f"{args.preset}: {args.games} games, {engines[0][0]} {' '.join(engines[0][2])} against "
          f"{engines[1][0]} {' '.join(engines[1][2])}, book {os.path.basename(book)}", flush=True)
    try:
        record = run(fastchess, engines, book, (args.games + 1) // 2, args.seed, extra, args.concurrency,
                     args.keep, echo=True, judged={e[0] for e in engines if e[1] == os.path.abspath(args.engine)})
    finally:
        if book not in (BOOK, FRC_BOOK):
            os.remove(book)
    text, clean = summary(record, engines[0][0])
    print("\n".join(text))
    return 0 if clean else 1


if __name__ == "__main__":
    sys.exit(main())
