"""Opening books in the Polyglot format, read independently of the engine.

A book is a file of 16-byte entries sorted by key: the position's key (8
bytes), the move (2), its weight (2) and a learning field (4), all big-endian.
A position's key XORs the 781 published random numbers (read here from the
engine's source, where they are its own hashing keys) for each piece on its
square, each castling right, the en passant file when a pawn of the side to
move can capture there, and White to move. A move packs to-square (bits 0-5),
from-square (6-11) and promotion (12-14: knight, bishop, rook, queen);
castling is written king takes rook (e1h1). Used by the tests and the tools.
"""
import bisect
import os
import re
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
DEBIAN_BOOK = "/usr/share/games/gnuchess/book.bin"
PIECES = "pPnNbBrRqQkK"  # the key's piece order: black pawn, white pawn, black knight, ...
START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def random_numbers():
    text = open(os.path.join(ROOT, "src", "position", "zobrist_keys.inc")).read()
    numbers = [int(n, 16) for n in re.findall(r"0x([0-9a-f]{16})ULL", text)]
    assert len(numbers) == 781
    return numbers


RANDOM = random_numbers()


def board_of(fen):
    """{square: piece letter} with a1 = 0 ... h8 = 63, and the other FEN fields."""
    fields = fen.split()
    board = {}
    for row, text in enumerate(fields[0].split("/")):
        file = 0
        for c in text:
            if c.isdigit():
                file += int(c)
            else:
                board[(7 - row) * 8 + file] = c
                file += 1
    return board, fields[1], fields[2], fields[3]


def key(fen):
    board, side, castling, ep = board_of(fen)
    k = 0
    for square, piece in board.items():
        k ^= RANDOM[64 * PIECES.index(piece) + square]
    for i, right in enumerate("KQkq"):
        if right in castling:
            k ^= RANDOM[768 + i]
    if ep != "-":
        file, rank = "abcdefgh".index(ep[0]), int(ep[1]) - 1
        pawn, pawn_rank = ("P", rank - 1) if side == "w" else ("p", rank + 1)
        if any(0 <= f < 8 and board.get(pawn_rank * 8 + f) == pawn for f in (file - 1, file + 1)):
            k ^= RANDOM[772 + file]
    if side == "w":
        k ^= RANDOM[780]
    return k


def move_text(move, board=None):
    """The UCI text of a book move; castling as the king's two-square step when
    the board shows the king on its square."""
    to, frm, promotion = move & 63, (move >> 6) & 63, (move >> 12) & 7
    squares = {(4, 7): 6, (4, 0): 2, (60, 63): 62, (60, 56): 58}
    if board is not None and (frm, to) in squares and board.get(frm) in "Kk":
        to = squares[(frm, to)]
    name = lambda s: "abcdefgh"[s % 8] + str(s // 8 + 1)  # noqa: E731
    return name(frm) + name(to) + ("", "n", "b", "r", "q", "", "", "")[promotion]


class Book:
    def __init__(self, path=DEBIAN_BOOK):
        data = open(path, "rb").read()
        if len(data) % 16:
            raise ValueError(f"{path}: {len(data)} bytes, not a multiple of 16")
        self.entries = [struct.unpack_from(">QHHI", data, i) for i in range(0, len(data), 16)]
        self.keys = [e[0] for e in self.entries]

    def moves(self, fen):
        """[(UCI move, weight)] the book holds for the position, in book order."""
        k, board = key(fen), board_of(fen)[0]
        i = bisect.bisect_left(self.keys, k)
        found = []
        while i < len(self.entries) and self.keys[i] == k:
            found.append((move_text(self.entries[i][1], board), self.entries[i][2]))
            i += 1
        return found


def random_line(book, plies, rng, play):
    """A line of up to `plies` book moves from the start, each drawn by weight;
    play(moves) gives the FEN after a list of moves (any UCI engine's "d")."""
    moves = []
    for _ in range(plies):
        choices = [(m, w) for m, w in book.moves(play(moves)) if w > 0]
        if not choices:
            break
        moves.append(rng.choices([m for m, _ in choices], [w for _, w in choices])[0])
    return moves


if __name__ == "__main__":
    assert key(START_FEN) == 0x463b96181691fc9c
    assert key("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1") == 0x823c9b50fd114196
    book = Book()
    print(len(book.entries), "entries;", book.moves(START_FEN)[:8])
