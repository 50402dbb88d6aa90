#!/usr/bin/env python3
"""Timed games of Velta against itself and against Stockfish (Skill Level 0).

This script is the GUI: it keeps both clocks (the time from sending "go" to
reading "bestmove"), sends the game so far and a "go" with the clock values to
the side to move, and checks every answer with a separate Stockfish process used
as referee, which lists the legal moves ("go perft 1") and shows the position
("d") from which the driver decides mate, stalemate, threefold repetition, the
50-move rule and insufficient material. Illegal moves, time forfeits, crashes or
hangs, and anything Velta writes on standard error are recorded; the exit status
is 0 only when Velta committed no illegal move, forfeit or crash.

With --ponder, Velta has its Ponder option on and the driver ponders for it
as a GUI does: after "bestmove X ponder Y" it sends the position with Y played
and "go ponder ..." while the opponent thinks, then "ponderhit" when the
opponent plays Y (Velta's time counts from there) or "stop" otherwise. With
--nodes N, every move is a "go nodes N" search and there is no clock.

Usage: games.py --engine build/velta [--games 60] [--tc 10+0.1] [--ponder | --nodes N]
                [--opponents self,stockfish] [--seed 1] [--max-plies 300]
"""
import argparse
import collections
import math
import os
import random
import re
import sys
import time

from uci_engine import Engine, stockfish_path  # noqa: E402

# (name, FEN or None for the start position, moves played before the clocks start)
OPENINGS = [
    ("start position", None, ""),
    ("open game", None, "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6"),
    ("open sicilian", None, "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3"),
    ("french advance", None, "e2e4 e7e6 d2d4 d7d5 e4e5 c7c5"),
    ("queen's gambit", None, "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6"),
    ("king's indian", None, "d2d4 g8f6 c2c4 g7g6 b1c3 f8g7 e2e4 d7d6"),
    ("english", None, "c2c4 e7e5 b1c3 g8f6 g2g3"),
    # castling both ways, en passant and promotions close at hand
    ("busy middlegame", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", ""),
    ("rook ending", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", ""),
    ("promotion race", "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1", ""),
]

MOVE_LINE = re.compile(r"^([a-h][1-8][a-h][1-8][qrbn]?): \d+$")


def position_command(fen, moves):
    text = "position " + ("fen " + fen if fen else "startpos")
    return text + (" moves " + " ".join(moves) if moves else "")


class Player:
    """One engine process as the match sees it; started again after a crash."""

    def __init__(self, path, name, is_velta, options=()):
        self.path, self.name, self.is_velta, self.options = path, name, is_velta, options
        self.engine, self.stderr = None, []
        self.pondering = None  # (position after the expected reply, the reply) while pondering
        self.ponder_hits = self.ponder_misses = 0

    def start(self):
        self.engine = Engine(self.path, self.name)
        self.engine.send("uci")
        self.engine.until_prefix("uciok", 30)
        for option in self.options:
            self.engine.send(option)
        self.sync()

    def sync(self, timeout=30):
        self.engine.send("isready")
        self.engine.until_prefix("readyok", timeout)

    def new_game(self):
        if self.engine is None:
            self.start()
        self.end_ponder()
        self.engine.send("ucinewgame")
        self.sync()

    def end_ponder(self):
        """Stops a ponder search the game no longer needs; its answer is discarded."""
        if self.pondering and self.engine:
            self.ponder_misses += 1
            self.engine.send("stop")
            self.engine.until_prefix("bestmove", 10)
        self.pondering = None

    def collect_stderr(self):
        """Lines that arrived on standard error since the last call."""
        new = []
        while self.engine and not self.engine.err.empty():
            line = self.engine.err.get_nowait()
            if line is not None:
                new.append(line)
        self.stderr += new
        return new

    def discard(self):
        """After a crash or hang: forget the process; the next game starts a new one."""
        self.collect_stderr()
        if self.engine:
            self.engine.kill()
        self.engine = None

    def quit(self):
        if self.engine:
            try:
                self.engine.send("quit")
                self.engine.close(5)
            except Exception:
                self.engine.kill()
            self.engine = None


class Referee:
    """Stockfish as the judge of legality and of the position after each move."""

    def __init__(self, path):
        self.engine = Engine(path, "referee")
        self.engine.send("uci")
        self.engine.until_prefix("uciok", 30)

    def examine(self, position):
        self.engine.send(position, "d")
        lines = self.engine.until_prefix("Checkers:", 30)
        fen = next(l[5:].strip() for l in lines if l.startswith("Fen:"))
        in_check = lines[-1][len("Checkers:"):].strip() != ""
        self.engine.send("go perft 1")
        lines = self.engine.until_prefix("Nodes searched:", 30)
        legal = {m.group(1) for m in map(MOVE_LINE.match, lines) if m}
        if len(legal) != int(lines[-1].split(":")[1]):
            raise RuntimeError(f"referee: move list and count disagree after {position}")
        return fen, in_check, legal

    def close(self):
        self.engine.send("quit")
        self.engine.close(5)


def insufficient_material(fen):
    """Bare kings, or a king and one minor piece against a bare king."""
    pieces = [c for c in fen.split()[0] if c.isalpha() and c not in "Kk"]
    return len(pieces) == 0 or (len(pieces) == 1 and pieces[0] in "NBnb")


def think(player, position, go, timeout):
    """Sends the game and a go (or "ponderhit" when the player pondered on this
    very position); returns (move or None, ponder move or None, seconds, fault, info lines)."""
    engine = player.engine
    try:
        hit = player.pondering and player.pondering[0] == position
        if not hit:
            player.end_ponder()
            engine.send(position)
            player.sync()
        started = time.monotonic()
        engine.send("ponderhit" if hit else go)
        player.ponder_hits += bool(hit)
        player.pondering = None
        lines = engine.read_until(lambda l: l.startswith("bestmove"), timeout)
        elapsed = time.monotonic() - started
    except (TimeoutError, EOFError, BrokenPipeError) as error:
        try:  # closed output: give the exit status a moment to arrive
            status = engine.proc.wait(1 if isinstance(error, EOFError) else 0.01)
        except Exception:
            status = None
        kind = ("stopped answering" if status is None else f"killed by signal {-status}"
                if status < 0 else f"exited with status {status}")
        return None, None, 0.0, f"{kind} ({error})", []
    words = lines[-1].split()
    ponder = words[3] if len(words) > 3 and words[2] == "ponder" else None
    return (words[1] if len(words) > 1 else ""), ponder, elapsed, None, lines


def play_game(white, black, opening, tc, referee, max_plies, margin, nodes=None):
    name, start_fen, opening_moves = opening
    base, inc = tc
    moves = opening_moves.split()
    clocks = {"w": base, "b": base}
    seen = collections.Counter()
    depths = {white.name: [], black.name: []}
    lowest = {white.name: base, black.name: base}  # least clock left after a move
    faults = []  # (player, kind, detail)
    record = []  # per move: the position, the mover's score ("cp 20", "mate 3") and whether it came from the book
    stderr = []  # what Velta wrote on standard error during this game
    for player in (white, black):
        try:
            player.new_game()
        except (TimeoutError, EOFError, BrokenPipeError) as error:
            faults.append((player, "crash", f"crash before the game: {error}"))
            player.discard()
            return {"opening": name, "white": white, "black": black, "result": "*",
                    "reason": f"not played: {player.name} failed to start", "plies": 0,
                    "moves": moves, "faults": faults, "depths": depths, "stderr": stderr,
                    "lowest": lowest, "record": record}
    while True:
        position = position_command(start_fen, moves)
        fen, in_check, legal = referee.examine(position)
        fields = fen.split()
        side = fields[1]
        seen[" ".join(fields[:4])] += 1
        winner = "0-1" if side == "w" else "1-0"
        if not legal:
            result, reason = (winner, "checkmate") if in_check else ("1/2-1/2", "stalemate")
        elif seen[" ".join(fields[:4])] >= 3:
            result, reason = "1/2-1/2", "threefold repetition"
        elif int(fields[4]) >= 100:
            result, reason = "1/2-1/2", "50-move rule"
        elif insufficient_material(fen):
            result, reason = "1/2-1/2", "insufficient material"
        elif len(moves) >= max_plies:
            result, reason = "1/2-1/2", f"adjudicated at {max_plies} plies"
        else:
            result = None
        if result:
            break
        player = white if side == "w" else black
        go = "go wtime %d btime %d winc %d binc %d" % (
            clocks["w"] * 1000, clocks["b"] * 1000, inc * 1000, inc * 1000)
        if nodes:
            go, clocks[side] = "go nodes %d" % nodes, base  # no clock: only a hang is a fault
        move, ponder, elapsed, fault, lines = think(player, position, go, clocks[side] + margin)
        if fault:
            player.engine.kill()
            time.sleep(0.3)  # a dying process's last words on standard error
        stderr += [f"{player.name}: {l}" for l in player.collect_stderr() if player.is_velta]
        if fault:
            faults.append((player, "crash", fault))
            player.discard()
            result, reason = winner, f"{player.name} crash: {fault.split(' (')[0]}"
            break
        infos = [l.split() for l in lines if l.startswith("info depth ")]
        if infos:
            depths[player.name].append(int(infos[-1][2]))
        # What each move was played on: the position, the mover's last score, whether from the book.
        scored = [w for w in infos if "score" in w]
        score = " ".join(scored[-1][scored[-1].index("score") + 1:][:2]) if scored else None
        record.append({"fen": fen, "score": score, "book": any(l.startswith("info string book move") for l in lines)})
        if move not in legal:
            faults.append((player, "illegal", f"bestmove '{move}' after {position}"))
            result, reason = winner, f"illegal move {move or '(none)'} by {player.name}"
            break
        clocks[side] -= elapsed
        lowest[player.name] = min(lowest[player.name], clocks[side])
        if clocks[side] < 0:
            faults.append((player, "forfeit", f"{elapsed:.3f}s used with {clocks[side] + elapsed:.3f}s left"))
            result, reason = winner, f"{player.name} lost on time"
            break
        clocks[side] += inc
        moves.append(move)
        if ponder and player.is_velta and not nodes:  # ponder on the expected reply while the opponent thinks
            after = position_command(start_fen, moves)
            if ponder not in referee.examine(after)[2]:
                faults.append((player, "illegal", f"ponder move '{ponder}' after {after}"))
            else:
                player.pondering = (position_command(start_fen, moves + [ponder]), ponder)
                player.engine.send(player.pondering[0], "go ponder wtime %d btime %d winc %d binc %d" % (
                    clocks["w"] * 1000, clocks["b"] * 1000, inc * 1000, inc * 1000))
    return {"opening": name, "white": white, "black": black, "result": result, "reason": reason,
            "plies": len(moves), "moves": moves, "faults": faults, "depths": depths, "stderr": stderr,
            "lowest": lowest, "record": record}


def elo_text(wins, draws, losses):
    """The Elo difference a score means, with its 95% error margin."""
    n = wins + draws + losses
    if not n:
        return "n/a"
    score = (wins + draws / 2) / n
    if score in (0, 1):
        return f"beyond measure (score {score:.3f})"
    variance = (wins * (1 - score) ** 2 + draws * (0.5 - score) ** 2 + losses * score ** 2) / n
    margin = 1.96 * math.sqrt(variance / n)
    elo = lambda p: -400 * math.log10(1 / min(max(p, 1e-6), 1 - 1e-6) - 1)  # noqa: E731
    difference = round(elo(score))  # an int: never "-0"
    return f"{difference:+d} +/- {(elo(score + margin) - elo(score - margin)) / 2:.0f} (score {score:.3f})"


def parse_tc(text):
    base, _, inc = text.partition("+")
    return float(base), float(inc or 0)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--engine", default="build/velta", help="the Velta binary")
    parser.add_argument("--games", type=int, default=60)
    parser.add_argument("--tc", default="10+0.1", help="seconds per game + seconds per move")
    parser.add_argument("--opponents", default="self,stockfish")
    parser.add_argument("--seed", type=int, default=1, help="order of the openings")
    parser.add_argument("--max-plies", type=int, default=300, help="draw by adjudication after this many plies")
    parser.add_argument("--margin", type=float, default=5.0, help="seconds past the clock before a silent engine counts as crashed")
    parser.add_argument("--verbose", action="store_true", help="print the moves of every game")
    parser.add_argument("--ponder", action="store_true", help="Velta ponders on the opponent's time")
    parser.add_argument("--nodes", type=int, help="every move a 'go nodes N' search, no clock")
    parser.add_argument("--threads", type=int, default=1, help="search threads of the first Velta (the second keeps 1)")
    parser.add_argument("--option", action="append", default=[],
                        help="a setoption line for the first Velta only (repeatable)")
    parser.add_argument("--openings", help="a file of start positions, one FEN per line (instead of the built-in openings)")
    args = parser.parse_args(argv)

    stockfish = stockfish_path()
    if not stockfish:
        print("stockfish is not installed: it is the referee of every game")
        return 77
    tc = parse_tc(args.tc)
    opponents = [o.strip() for o in args.opponents.split(",") if o.strip()]
    if any(o not in ("self", "stockfish") for o in opponents) or not opponents:
        parser.error("--opponents takes self and/or stockfish")
    ponder = ("setoption name Ponder value true",) if args.ponder else ()
    velta = Player(args.engine, "velta", True,
                   ponder + ("setoption name Threads value %d" % args.threads,) + tuple(args.option))
    others = {"self": Player(args.engine, "velta-2", True, ponder),
              # Stockfish cuts its time fine at short clocks; the overhead keeps it
              # from losing on time on a loaded machine, which would spoil the game.
              "stockfish": Player(stockfish, "stockfish", False, ("setoption name Skill Level value 0",
                                                                  "setoption name Move Overhead value 100"))}
    order = [(f"position {i + 1}", line.strip(), "") for i, line in enumerate(open(args.openings))
             if line.strip() and not line.startswith("#")] if args.openings else list(OPENINGS)
    random.Random(args.seed).shuffle(order)
    referee = Referee(stockfish)
    mode = f"nodes {args.nodes}" if args.nodes else f"{tc[0]:g}+{tc[1]:g} s" + (", Velta pondering" if args.ponder else "")
    print(f"{args.games} games at {mode} against {', '.join(opponents)}; referee {stockfish}")

    games = []
    try:
        for i in range(args.games):
            pair = i // 2  # each opening is played twice, Velta taking each colour once
            opponent = opponents[pair % len(opponents)]
            opening = order[(pair // len(opponents)) % len(order)]
            other = others[opponent]
            white, black = (velta, other) if i % 2 == 0 else (other, velta)
            game = play_game(white, black, opening, tc, referee, args.max_plies, args.margin, args.nodes)
            game["opponent"] = opponent
            games.append(game)
            points = {"1-0": 1, "0-1": 0, "1/2-1/2": 0.5}.get(game["result"])
            game["score"] = points if white is velta or points is None else 1 - points
            depth = game["depths"]["velta"]
            print(f"game {i + 1}: {white.name} - {black.name} ({opening[0]}): {game['result']} "
                  f"{game['reason']}, {game['plies']} plies, velta mean depth "
                  f"{sum(depth) / max(len(depth), 1):.1f}, lowest clock {game['lowest']['velta']:.2f}s", flush=True)
            for player, kind, detail in game["faults"]:
                print(f"  {kind} by {player.name}: {detail}")
            for line in game["stderr"][:10]:
                print("  stderr " + line)
            if args.verbose:
                print("  moves: " + " ".join(game["moves"]))
    finally:
        for player in [velta] + list(others.values()):
            player.quit()
            player.collect_stderr()
        referee.close()

    print(f"\nsummary: {len(games)} games at {mode}")
    for opponent in opponents:
        mine = [g for g in games if g["opponent"] == opponent]
        tally = collections.Counter(g["score"] for g in mine)
        reasons = collections.Counter(g["reason"] for g in mine)
        print(f"  vs {opponent}: {len(mine)} games, velta +{tally[1]} ={tally[0.5]} -{tally[0]}; "
              + ", ".join(f"{r} {n}" for r, n in sorted(reasons.items())))
        print(f"    Elo difference {elo_text(tally[1], tally[0.5], tally[0])}")
    faults = collections.Counter()
    for game in games:
        for player, kind, _ in game["faults"]:
            faults[(player.is_velta, kind)] += 1
    stderr = velta.stderr + others["self"].stderr
    for who, is_velta in (("velta", True), ("stockfish", False)):
        print(f"  {who}: illegal moves {faults[(is_velta, 'illegal')]}, forfeits "
              f"{faults[(is_velta, 'forfeit')]}, crashes {faults[(is_velta, 'crash')]}")
    lowest = [v for g in games for k, v in g["lowest"].items() if k.startswith("velta")]
    print(f"  velta lowest clock after a move: {min(lowest, default=tc[0]):.2f}s")
    if args.ponder:
        print(f"  velta ponder searches: {velta.ponder_hits + others['self'].ponder_hits} hits, "
              f"{velta.ponder_misses + others['self'].ponder_misses} stopped")
    print(f"  velta stderr lines: {len(stderr)}")
    for line in stderr[:20]:
        print("    " + line)
    return 1 if any(faults[(True, kind)] for kind in ("illegal", "forfeit", "crash")) else 0


if __name__ == "__main__":
    sys.exit(main())
