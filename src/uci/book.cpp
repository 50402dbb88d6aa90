// The opening book: a file in Polyglot's format read into memory, looked up
// by the position's book key, and a move drawn in proportion to its weight.
// A book is data from elsewhere: each of its moves is matched against the
// legal moves before it is played, and a file that cannot be a book is
// refused whole.
#include <algorithm>
#include <cstdio>

#include "movegen/movegen.h"
#include "uci/uci.h"

namespace velta {

namespace {

constexpr int ENTRY_SIZE = 16;  // key 8, move 2, weight 2, learning 4 bytes, big-endian

uint64_t big_endian(const unsigned char* bytes, int count) {
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

// The file's entries; false (with its reason) when it cannot be read as a book.
bool read_entries(const char* path, std::vector<BookEntry>& entries, const char*& reason) {
  FILE* file = fopen(path, "rb");
  if (!file) return reason = "cannot be opened", false;
  unsigned char entry[ENTRY_SIZE];
  size_t got;
  while ((got = fread(entry, 1, ENTRY_SIZE, file)) == ENTRY_SIZE)
    entries.push_back({big_endian(entry, 8), uint16_t(big_endian(entry + 8, 2)), uint16_t(big_endian(entry + 10, 2))});
  bool failed = ferror(file);
  fclose(file);
  if (failed) return reason = "cannot be read", false;
  if (got) return reason = "is not a book: its size is not a multiple of 16 bytes", false;
  if (entries.empty()) return reason = "is empty", false;
  return true;
}

// The engine's move a book move names, or 0 when it is not legal here. The
// book writes castling as the king taking its own rook (e1h1), the engine as
// the king's two-square step (e1g1); its promotions count knight 1 to queen 4.
Move legal_book_move(uint16_t book_move, const Position& p, const MoveList& legal) {
  int to = book_move & 63, from = (book_move >> 6) & 63, promotion = (book_move >> 12) & 7;
  if (promotion > 4) return 0;
  bool king = from == p.us->king_square;
  if (king && from == (p.us->colour->is_white ? 4 : 60) && (to == from + 3 || to == from - 4))
    to = to > from ? from + 2 : from - 2;
  for (int i = 0; i < legal.count; ++i) {
    Move m = legal.moves[i];
    if (move_from(m) == from && move_to(m) == to && move_promotion(m) == (promotion ? promotion + 1 : 0)) return m;
  }
  return 0;
}

// The position's entries, as a range of the sorted table.
std::pair<const BookEntry*, const BookEntry*> entries_of(const OpeningBook& book, uint64_t key) {
  auto less = [](const BookEntry& e, uint64_t k) { return e.key < k; };
  const BookEntry* first = std::lower_bound(book.entries.data(), book.entries.data() + book.entries.size(), key, less);
  const BookEntry* last = first;
  while (last != book.entries.data() + book.entries.size() && last->key == key) ++last;
  return {first, last};
}

// The legal book moves of a position with their weights; returns their count.
int book_moves(const OpeningBook& book, Position& p, Move* moves, int* weights) {
  prepare_node(p);
  generate_moves(p, GEN_ALL);
  auto [first, last] = entries_of(book, book_key(p));
  int n = 0;
  for (const BookEntry* e = first; e != last && n < MAX_MOVES; ++e)
    if (Move m = e->weight ? legal_book_move(e->move, p, p.moves) : 0) moves[n] = m, weights[n++] = e->weight;
  return n;
}

}  // namespace

void load_book(OpeningBook& book) {
  book.entries.clear();
  const char* reason = nullptr;
  if (book.path.empty() || book.path == "<empty>")
    reason = "is not set";
  else if (read_entries(book.path.c_str(), book.entries, reason))
    // Polyglot's tools write books sorted by key; a stable sort keeps the
    // order of a position's moves in a book written otherwise.
    return std::stable_sort(book.entries.begin(), book.entries.end(),
                            [](const BookEntry& a, const BookEntry& b) { return a.key < b.key; });
  book.entries.clear();
  info_string("Book file %s %s: playing without a book", book.path.c_str(), reason);
}

BookChoice choose_book_move(const OpeningBook& book, Board& game, uint64_t random) {
  BookChoice choice{};
  if (book.entries.empty()) return choice;
  Move moves[MAX_MOVES];
  int weights[MAX_MOVES];
  int n = book_moves(book, *game.current, moves, weights);
  int total = 0;
  for (int i = 0; i < n; ++i) total += weights[i];
  if (!total) return choice;
  int pick = int(random % uint64_t(total)), i = 0;
  while (pick >= weights[i]) pick -= weights[i++];
  choice.move = moves[i];
  choice.percent = (100 * weights[i] + total / 2) / total;
  // The reply to ponder on: the heaviest book move after it.
  make_move(game, choice.move);
  n = book_moves(book, *game.current, moves, weights);
  take_back(game);
  for (int j = 0, heaviest = 0; j < n; ++j)
    if (weights[j] > heaviest) heaviest = weights[j], choice.ponder = moves[j];
  return choice;
}

}  // namespace velta
