#!/usr/bin/env python3
"""Fischer Random (Chess960) start positions, and the test data built from them.

The 960 start positions are numbered 0-959 by the usual scheme (518 is the
standard one): the number's remainders place, in turn, the light-squared
bishop, the dark-squared bishop, the queen and the knights, and the three
squares left take rook, king, rook. Double Fischer Random gives each side its
own arrangement.

  chess960.py book        the 960 start positions as an EPD book (X-FEN rights, KQkq)
  chess960.py perft-data  tests/perft960.txt: perft counts by Stockfish (minutes)
"""
import os
import random
import sys

from uci_engine import Engine, stockfish_path

# Where the two knights go among the five squares left after bishops and queen.
KNIGHTS = ["NN---", "N-N--", "N--N-", "N---N", "-NN--", "-N-N-", "-N--N", "--NN-", "--N-N", "---NN"]


def arrangement(n):
    """White's first rank of start position n (0-959), files a to h: 'RNBQKBNR' for 518."""
    rank = [None] * 8
    n, light = divmod(n, 4)
    rank[2 * light + 1] = "B"
    n, dark = divmod(n, 4)
    rank[2 * dark] = "B"
    n, queen = divmod(n, 6)
    empty = [f for f in range(8) if rank[f] is None]
    rank[empty[queen]] = "Q"
    empty = [f for f in range(8) if rank[f] is None]
    for f, piece in zip(empty, KNIGHTS[n]):
        if piece == "N":
            rank[f] = "N"
    for f, piece in zip([f for f in range(8) if rank[f] is None], "RKR"):
        rank[f] = piece
    return "".join(rank)


def rook_files(rank):
    """The castling letters of a first rank as rook files, king side first: 'HA' for RNBQKBNR."""
    king = rank.index("K")
    return "ABCDEFGH"[rank.rindex("R")] + "ABCDEFGH"[rank.index("R", 0, king)]


def start_fen(white, black=None, shredder=False):
    """The FEN of start position `white` (and `black` for Double Fischer Random)."""
    w, b = arrangement(white), arrangement(white if black is None else black)
    rights = rook_files(w) + rook_files(b).lower() if shredder else "KQkq"
    return f"{b.lower()}/pppppppp/8/8/8/8/PPPPPPPP/{w} w {rights} - 0 1"


# Positions that castling rules get wrong most easily, with a word on each.
HARD_CASES = [
    # the king next to its rook: b1 beside a1 (it moves one square), g1 beside h1 (it stays)
    ("rk4r1/pppppppp/8/8/8/8/PPPPPPPP/RK4R1 w KQkq - 0 1", "king beside its rooks"),
    ("1r4kr/pppppppp/8/8/8/8/PPPPPPPP/1R4KR w KQkq - 0 1", "king on g, rook on h"),
    # king and rook swap squares (f1/g1 king side, d1/c1 queen side)
    ("2r2kr1/pppppppp/8/8/8/8/PPPPPPPP/2R2KR1 w GCgc - 0 1", "king and rook swap"),
    ("2rk3r/pppppppp/8/8/8/8/PPPPPPPP/2RK3R w HChc - 0 1", "king on d, rook on c"),
    # the rook on the king's destination
    ("1r2k1r1/8/8/8/8/8/8/1R2K1R1 w GBgb - 0 1", "rooks on b and g, a rook eyes g1"),
    ("2r1k2r/8/8/8/8/8/8/2R1K2R w KQkq - 0 1", "rook on c1"),
    # castling out of a rook's pin on the back rank, and with the pinner further off
    ("7k/8/8/8/8/8/8/rR4K1 w B - 0 1", "rook b1 pinned against g1 by a1"),
    ("7k/8/8/8/8/8/8/qR3K2 w B - 0 1", "rook b1 shields the king's path from a queen"),
    ("k7/8/8/8/8/8/8/1K4Rr w G - 0 1", "rook g1 pinned against b1 by h1"),
    ("rr2k3/8/8/8/8/8/8/4K3 b b - 0 1", "Black castles with the inner rook b8 (X-FEN letter)"),
    ("4k3/8/8/8/8/8/8/4KR1R w F - 0 1", "inner rook f1 stays, the king steps two squares"),
    # a rook of the other side eyes a destination or a crossed square
    ("1r2k2r/8/8/8/8/2r5/8/1R2K2R w HBhb - 0 1", "rook on the c-file"),
    ("rk5r/8/8/8/8/8/5r2/RK5R w HAha - 0 1", "long king walk across an attacked f1"),
    ("r5kr/8/8/8/8/8/3q4/R5KR w HAha - 0 1", "a queen covers c1, d1 and e1"),
    # castling that gives check, with the rook on f1 or d1
    ("5k2/8/8/8/8/8/8/1K4R1 w G - 0 1", "O-O gives check on the f-file"),
    ("3k4/8/8/8/8/8/8/R1K5 w A - 0 1", "O-O-O gives check on the d-file"),
    ("8/8/8/8/8/8/8/R3K2k w Q - 0 1", "O-O-O gives check along the first rank"),
    # a king on b or g, rights on one wing only, blocked paths
    ("bbrknnqr/pppppppp/8/8/8/8/PPPPPPPP/BBRKNNQR w KQkq - 0 1", "start position with the king on d"),
    ("nrk2rbb/pppppppp/8/8/8/8/PPPPPPPP/NRK2RBB w KQkq - 0 1", "open f1-e1 but a knight on a1"),
    ("rkr5/8/8/8/8/8/8/RKR5 w ACac - 0 1", "both rooks of a side"),
    ("1rk3r1/8/8/8/8/8/8/1RK3R1 b GBgb - 0 1", "Black to move"),
    ("4k3/8/8/8/8/8/8/R3K1R1 w GA - 0 1", "Shredder letter for an inner king-side rook"),
]


def sf_perft(sf, fen, depth):
    sf.send(f"position fen {fen}", f"go perft {depth}")
    return int(sf.until_prefix("Nodes searched:", 3600)[-1].split(":")[1])


def sf_moves_and_fen(sf, fen, moves):
    """Stockfish's legal moves (960 notation) and FEN after `moves` from `fen`."""
    position = f"position fen {fen}" + (" moves " + " ".join(moves) if moves else "")
    sf.send(position, "go perft 1")
    lines = sf.until_prefix("Nodes searched:", 60)
    legal = [line.split(":")[0] for line in lines if ":" in line and not line.startswith("Nodes")]
    sf.send("d")
    now = sf.until_prefix("Fen: ", 60)[-1][len("Fen: "):]
    sf.until_prefix("Checkers:", 60)
    return legal, now


def counts(sf, fen, deepest, limit=None):
    """Perft counts at depths 1..deepest, stopping after a count above `limit`."""
    result = []
    for depth in range(1, deepest + 1):
        result.append(sf_perft(sf, fen, depth))
        if limit and result[-1] > limit:
            break
    return result


def random_game_positions(sf, rng, count):
    """Positions with castling rights left, from random games of random (double) starts
    that castle whenever a coin says so."""
    found = []
    while len(found) < count:
        white = rng.randrange(960)
        start = start_fen(white, white if rng.random() < 0.5 else rng.randrange(960), rng.random() < 0.5)
        moves, plies = [], rng.randint(4, 40)
        for _ in range(plies):
            legal, now = sf_moves_and_fen(sf, start, moves)
            if not legal:
                break
            castlings = [m for m in legal if castles(now, m)]
            moves.append(rng.choice(castlings) if castlings and rng.random() < 0.5 else rng.choice(legal))
        legal, now = sf_moves_and_fen(sf, start, moves)
        if legal and now.split()[2] != "-" and now not in found:
            found.append(now)
    return found


def castles(fen, move):
    """Whether a move in 960 notation is castling: the king taking its own rook."""
    board = fen.split()[0].split("/")
    rank_text = board[7] if fen.split()[1] == "w" else board[0]
    squares = "".join("." * int(c) if c.isdigit() else c for c in rank_text)
    own_rank = "1" if fen.split()[1] == "w" else "8"
    if move[1] != own_rank or move[3] != own_rank:
        return False
    king, rook = ("K", "R") if own_rank == "1" else ("k", "r")
    return squares["abcdefgh".index(move[0])] == king and squares["abcdefgh".index(move[2])] == rook


def perft_data():
    sf = Engine(stockfish_path(), "stockfish")
    sf.send("uci", "setoption name UCI_Chess960 value true")
    sf.until_prefix("uciok")
    rng = random.Random(960)
    out = sys.stdout
    print("# Chess960 perft: a FEN, then \"|\" and the leaf counts at depths 1, 2, 3, ... as Stockfish",
          "# counts them with UCI_Chess960 set (tools/chess960.py perft-data writes this file).",
          "# Counts above five million are checked only by the long test run.", "", sep="\n", file=out)
    print("# The 960 start positions by number, rights as rook files.", file=out)
    for n in range(960):
        fen = start_fen(n, shredder=True)
        print(f"{fen} | {' '.join(map(str, counts(sf, fen, 4)))}", file=out, flush=True)
    print("\n# Double Fischer Random: 100 starts with different arrangements for the two sides.", file=out)
    for _ in range(100):
        white, black = rng.sample(range(960), 2)
        fen = start_fen(white, black, shredder=rng.random() < 0.5)
        print(f"{fen} | {' '.join(map(str, counts(sf, fen, 4)))}", file=out, flush=True)
    print("\n# Castling where it is easiest to get wrong.", file=out)
    for fen, what in HARD_CASES:
        print(f"# {what}\n{fen} | {' '.join(map(str, counts(sf, fen, 5, 3000000)))}", file=out, flush=True)
    print("\n# Positions with castling rights from random games that castle often.", file=out)
    for fen in random_game_positions(sf, rng, 200):
        print(f"{fen} | {' '.join(map(str, counts(sf, fen, 5, 1500000)))}", file=out, flush=True)
    sf.kill()


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "book":
        for n in range(960):
            print(start_fen(n).rsplit(" ", 2)[0])
        return 0
    if command == "perft-data":
        if not stockfish_path():
            print("Stockfish is needed", file=sys.stderr)
            return 1
        perft_data()
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
