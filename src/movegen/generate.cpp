// Legal move generation. Legality comes from the check information (pins,
// evasion squares, double check) and from the opponent's attack map (squares
// the king may not enter); en passant captures, which remove two pieces from
// one line, are tested on the board after the capture. Each move is marked
// with the flags that move ordering reads.
#include <algorithm>

#include "movegen/movegen.h"

namespace velta {

namespace {

// What the generator needs of the current record, gathered once per call.
// A counting generator (COUNT) only counts the moves it would generate, and
// reads no attack maps. Which moves a mode keeps, by whether they carry an
// ordering key: the keyed and tactical modes only keyed ones, the quiet mode
// only the others.
struct Generator {
  MoveList* list;
  bool keep_keyed, keep_quiet;
  int counted;
  int king, enemy_king;
  Bitboard targets, evasion, pinned, discoverers;
  Bitboard our_attacks, their_attacks, advancing;  // advancing: passed pawns or far half
  const Bitboard* check_squares;                   // squares that attack the enemy king, by type
};

template <bool COUNT>
inline void append(Generator& g, Move m) {
  if constexpr (COUNT)
    ++g.counted;
  else
    g.list->moves[g.list->count++] = m;
}

inline int captured_type(const SideState& enemy, int to) {
  for (int t = PAWN; t <= KING; ++t)
    if (enemy.pieces[t] & bit(to)) return t;
  return NO_PIECE;
}

inline Move discovered_flag(const Generator& g, int from, int to) {
  return (g.discoverers & bit(from)) && !on_one_line(g.enemy_king, from, to) ? MOVE_DISCOVERED : 0;
}

// A pinned piece may only move along the line through its king.
inline Bitboard unpinned(const Generator& g, int from, Bitboard destinations) {
  if (!(g.pinned & bit(from))) return destinations;
  Bitboard allowed = 0;
  for (Bitboard b = destinations; b;) {
    int to = pop_lsb(b);
    if (on_one_line(g.king, from, to)) allowed |= bit(to);
  }
  return allowed;
}

// Appends the moves of one piece (not promotions) to the given destinations
// with their flags: check when the destination attacks the enemy king,
// discovered when leaving the origin uncovers a line to it, escape when an
// attacked, undefended piece reaches a square the opponent does not attack.
// The mode decides which of them are kept.
template <bool COUNT>
[[gnu::always_inline]] inline void add_moves_from(Generator& g, const Position& p, int type, int from,
                                                  Bitboard destinations, Move extra) {
  if constexpr (COUNT) {
    g.counted += popcount(unpinned(g, from, destinations));
    return;
  }
  if (!destinations) return;
  bool exposed = (g.their_attacks & bit(from)) && !(g.our_attacks & bit(from));
  Bitboard escape_to = exposed ? ~g.their_attacks : 0;
  Bitboard check_to = g.check_squares[type];
  Bitboard enemies = p.them->pieces[0];
  Move base = encode_move(from, 0, type) | extra;
  MoveList& list = *g.list;
  int count = list.count;
  Bitboard allowed = unpinned(g, from, destinations);
  // Unless every move of this piece may carry a key (an advancing pawn, a
  // piece uncovering a line), only captures, checks and escapes carry one.
  if (!extra && !(g.discoverers & bit(from))) {
    if (!g.keep_quiet) allowed &= enemies | check_to | escape_to;
    if (!g.keep_keyed) allowed &= ~(enemies | check_to | escape_to);
  }
  for (Bitboard b = allowed; b;) {
    int to = pop_lsb(b);
    Move m = base | Move(to) | Move((check_to >> to) & 1) << CHECK_BIT | Move((escape_to >> to) & 1) << ESCAPE_BIT |
             discovered_flag(g, from, to);
    if (enemies & bit(to)) m |= Move(captured_type(*p.them, to)) << CAPTURED_SHIFT;
    if (m & ORDER_KEY_MASK ? g.keep_keyed : g.keep_quiet) list.moves[count++] = m;
  }
  list.count = count;
}

template <bool COUNT>
void add_promotions(Generator& g, const Position& p, int from, Bitboard destinations) {
  if constexpr (COUNT) {
    g.counted += 4 * popcount(unpinned(g, from, destinations));
    return;
  }
  Bitboard enemy_king = bit(g.enemy_king);
  for (Bitboard b = unpinned(g, from, destinations); b;) {
    int to = pop_lsb(b);
    Move m = encode_move(from, to, PAWN, captured_type(*p.them, to)) | discovered_flag(g, from, to);
    Bitboard occupied = p.occupied & ~bit(from);
    Bitboard straight = rook_attack(to, occupied), diagonal = bishop_attack(to, occupied);
    append<COUNT>(g, m | Move(QUEEN) << PROMOTION_SHIFT | ((straight | diagonal) & enemy_king ? MOVE_CHECK : 0));
    append<COUNT>(g, m | Move(ROOK) << PROMOTION_SHIFT | (straight & enemy_king ? MOVE_CHECK : 0));
    append<COUNT>(g, m | Move(BISHOP) << PROMOTION_SHIFT | (diagonal & enemy_king ? MOVE_CHECK : 0));
    append<COUNT>(g, m | Move(KNIGHT) << PROMOTION_SHIFT | (knight_attacks[to] & enemy_king ? MOVE_CHECK : 0));
  }
}

// An en passant capture can uncover an attack on either king along the rank
// or diagonal of the two pawns, so both kings are tested on the board after
// the capture; a check it gives is also a discovered one.
template <bool COUNT>
void add_en_passant(Generator& g, const Position& p) {
  int e = lsb(p.ep_square);
  int white = p.us->colour->is_white;
  int captured_square = white ? e - 8 : e + 8;
  Bitboard candidates = (white ? black_pawn_attacks[e] : white_pawn_attacks[e]) & p.us->pieces[PAWN];
  while (candidates) {
    int from = pop_lsb(candidates);
    Bitboard occupied = p.occupied ^ bit(from) ^ bit(e) ^ bit(captured_square);
    Bitboard our_pawns = p.us->pieces[PAWN] ^ bit(from) ^ bit(e);
    Bitboard their_pawns = p.them->pieces[PAWN] ^ bit(captured_square);
    Move m = encode_move(from, e, PAWN, PAWN);
    if (attacked_by(g.enemy_king, !white, *p.us, our_pawns, occupied)) m |= MOVE_CHECK | MOVE_DISCOVERED;
    if (!attacked_by(g.king, white, *p.them, their_pawns, occupied)) append<COUNT>(g, m);
  }
}

template <bool COUNT>
void add_pawn_moves(Generator& g, const Position& p, Bitboard pawns) {
  int white = p.us->colour->is_white;
  Bitboard empty = ~p.occupied;
  while (pawns) {
    int from = pop_lsb(pawns);
    Bitboard destinations;
    if (white) {
      destinations = bit(from + 8) & empty;
      if (destinations && rank_of(from + 8) == 2) destinations |= bit(from + 16) & empty;
      destinations |= white_pawn_attacks[from] & p.occupied;
    } else {
      destinations = bit(from - 8) & empty;
      if (destinations && rank_of(from - 8) == 5) destinations |= bit(from - 16) & empty;
      destinations |= black_pawn_attacks[from] & p.occupied;
    }
    add_moves_from<COUNT>(g, p, PAWN, from, destinations & g.targets & g.evasion,
                          g.advancing & bit(from) ? MOVE_ADVANCE : 0);
  }
}

// The pawns that may have a move with an ordering key: those advancing or
// uncovering a line, exposed ones, those that can capture, and those one or
// two steps behind a square that checks.
Bitboard keyed_pawn_candidates(const Generator& g, const Position& p, Bitboard pawns) {
  int white = p.us->colour->is_white;
  Bitboard check = g.check_squares[PAWN];
  Bitboard behind = white ? check >> 8 | check >> 16 : check << 8 | check << 16;
  Bitboard exposed = g.their_attacks & ~g.our_attacks;
  Bitboard capturing = pawns_attacking(pawns, p.them->pieces[0] & g.evasion, white);
  return pawns & (g.advancing | g.discoverers | exposed | behind | capturing);
}

inline Bitboard piece_attacks(int type, int s, Bitboard occupied) {
  switch (type) {
    case KNIGHT: return knight_attacks[s];
    case BISHOP: return bishop_attack(s, occupied);
    case ROOK: return rook_attack(s, occupied);
    default: return rook_attack(s, occupied) | bishop_attack(s, occupied);
  }
}

// Counting computes each piece's attacks; building reads them from the attack
// maps, where they stand in the same order.
template <bool COUNT>
void add_piece_moves(Generator& g, const Position& p) {
  const AttackInfo& ours = *p.us->attack_info;
  const Bitboard* each = ours.piece_attacks;
  for (int type = KNIGHT; type <= QUEEN; ++type) {
    Bitboard pieces = p.us->pieces[type];
    // No piece of a type whose attack map misses every target has a move.
    if (!COUNT && !(ours.attacks[type] & g.targets & g.evasion)) {
      each += popcount(pieces);
      continue;
    }
    while (pieces) {
      int from = pop_lsb(pieces);
      Bitboard attacks = COUNT ? piece_attacks(type, from, p.occupied) : *each++;
      add_moves_from<COUNT>(g, p, type, from, attacks & g.targets & g.evasion, 0);
    }
  }
}

// Whether the side to move's king would stand attacked on square s, its own
// square emptied (counting reads no attack maps).
bool king_square_attacked(const Generator& g, const Position& p, int s) {
  const SideState& them = *p.them;
  return (king_attacks[s] & them.pieces[KING]) ||
         attacked_by(s, p.us->colour->is_white, them, them.pieces[PAWN], p.occupied & ~bit(g.king));
}

Bitboard safe_squares(const Generator& g, const Position& p, Bitboard squares) {
  Bitboard safe = 0;
  for (Bitboard b = squares; b;) {
    int s = pop_lsb(b);
    if (!king_square_attacked(g, p, s)) safe |= bit(s);
  }
  return safe;
}

template <bool COUNT>
void add_king_moves(Generator& g, const Position& p) {
  if constexpr (COUNT) return void(g.counted += popcount(safe_squares(g, p, king_attacks[g.king] & g.targets)));
  const AttackInfo& ours = *p.us->attack_info;
  Bitboard danger = g.their_attacks;
  Bitboard without_king = p.occupied & ~bit(g.king);
  // The king may not step back along the line of a checking slider.
  for (Bitboard b = ours.checkers; b;) {
    int s = pop_lsb(b);
    if (bit(s) & (p.them->pieces[ROOK] | p.them->pieces[QUEEN])) danger |= rook_attack(s, without_king);
    if (bit(s) & (p.them->pieces[BISHOP] | p.them->pieces[QUEEN])) danger |= bishop_attack(s, without_king);
  }
  add_moves_from<COUNT>(g, p, KING, g.king, king_attacks[g.king] & g.targets & ~danger, 0);
}

// Castling on the first rank, by king file and rook file: the squares the
// king and the rook cross or reach but their own, which must be empty, and
// the squares the king crosses or reaches, which must not be attacked.
struct CastlingPath {
  uint8_t empty, king;
};
constexpr std::array<std::array<CastlingPath, 8>, 8> castling_paths = [] {
  auto span = [](int a, int b) { return uint8_t((2 << std::max(a, b)) - (1 << std::min(a, b))); };
  std::array<std::array<CastlingPath, 8>, 8> t{};
  for (int k = 0; k < 8; ++k)
    for (int r = 0; r < 8; ++r) {
      int king_to = r > k ? 6 : 2, rook_to = r > k ? 5 : 3;
      uint8_t own = uint8_t((1 << k) | (1 << r));
      t[k][r] = {uint8_t((span(k, king_to) | span(r, rook_to)) & ~own), uint8_t(span(k, king_to) & ~(1 << k))};
    }
  return t;
}();

// Castling with the rook on `rook`, its squares already found empty; the
// squares attacked are those of `attacked`, once the rook has left, but for
// a rook or queen behind it on the rank, which only an inner rook can have.
template <bool COUNT>
[[gnu::always_inline]] inline void add_castling(Generator& g, const Position& p, int rook, Bitboard attacked) {
  int k = g.king, first = k & 56;
  if (Bitboard(castling_paths[file_of(k)][file_of(rook)].king) << first & attacked) return;
  int rook_file = file_of(rook);
  Bitboard sliders = p.them->pieces[ROOK] | p.them->pieces[QUEEN];
  if (rook_file != 0 && rook_file != 7 && (rook_attack(rook, p.occupied) & sliders & (Bitboard(0xff) << first))) return;
  if constexpr (COUNT) return void(++g.counted);  // counting keeps every castling
  // A castling move is keyed when the rook gives check.
  bool king_side = rook > k;
  int king_to = first + (king_side ? 6 : 2), rook_to = first + (king_side ? 5 : 3);
  Bitboard after = (p.occupied ^ bit(k) ^ bit(rook)) | bit(king_to);
  bool check = rook_attack(rook_to, after) & bit(g.enemy_king);
  Move flag = (king_to - k == 2 || k - king_to == 2) ? 0 : MOVE_CASTLING;
  if (check ? g.keep_keyed : g.keep_quiet)
    append<COUNT>(g, encode_move(k, king_to, KING) | flag | (check ? MOVE_CHECK : 0));
}

// Castling, king side first: the king goes to the g or c file and the rook to
// the f or d file, wherever they start. Every square either crosses or
// reaches must be empty but for these two, and no square the king stands on,
// crosses or reaches may be attacked. Out of check no slider's line runs
// through the king, so those squares are attacked with or without it on the
// board; counting tests the squares of both wings at once.
template <bool COUNT>
void add_castling(Generator& g, const Position& p) {
  int k = g.king, first = k & 56;
  Bitboard rooks = castling_rooks(p.castling, k);
  int wing_rooks[2] = {-1, -1};
  Bitboard crossed = 0;
  for (int wing = 0; wing < 2; ++wing) {
    Bitboard r = rooks & (wing == 0 ? above(k) : below(k));
    if (!r) continue;
    const CastlingPath& path = castling_paths[file_of(k)][file_of(lsb(r))];
    if (p.occupied & Bitboard(path.empty) << first) continue;
    wing_rooks[wing] = lsb(r);
    crossed |= Bitboard(path.king) << first;
  }
  if (wing_rooks[0] < 0 && wing_rooks[1] < 0) return;
  Bitboard attacked = COUNT ? crossed & ~safe_squares(g, p, crossed) : g.their_attacks;
  for (int rook : wing_rooks)
    if (rook >= 0) add_castling<COUNT>(g, p, rook, attacked);
}

template <bool COUNT>
Generator generate(Position& p, int mode) {
  const AttackInfo& ours = *p.us->attack_info;
  const AttackInfo& theirs = *p.them->attack_info;
  Generator g{&p.moves,
              mode != GEN_QUIET,
              mode == GEN_ALL || mode == GEN_CAPTURES || mode == GEN_QUIET,
              0,
              p.us->king_square,
              p.them->king_square,
              mode == GEN_CAPTURES ? p.them->pieces[0] : ~p.us->pieces[0],
              ours.evasion_mask,
              ours.pinned,
              ours.discoverers,
              ours.attacks[0],
              theirs.attacks[0],
              p.us->passed_pawns | p.us->colour->far_half,
              theirs.check_squares};
  if (!COUNT && mode != GEN_QUIET) p.moves.count = 0;
  bool double_check = ours.checkers & (ours.checkers - 1);
  if (!double_check) {
    Bitboard seventh = p.us->colour->is_white ? 0x00ff000000000000ULL : 0xff00ULL;
    Bitboard pawns = p.us->pieces[PAWN];
    // Promotions and en passant captures are keyed moves.
    for (Bitboard b = g.keep_keyed ? pawns & seventh : 0; b;) {
      int from = pop_lsb(b);
      Bitboard forward = front_span[p.us->colour->is_white][from] & ~p.occupied;
      Bitboard captures =
          (p.us->colour->is_white ? white_pawn_attacks[from] : black_pawn_attacks[from]) & p.them->pieces[0];
      add_promotions<COUNT>(g, p, from, (forward | captures) & g.evasion);
    }
    if (p.ep_square && g.keep_keyed) add_en_passant<COUNT>(g, p);
    // Captures only: a pawn that attacks no target has none.
    Bitboard movers = pawns & ~seventh;
    if (mode == GEN_CAPTURES) movers = pawns_attacking(movers, g.targets & g.evasion, p.us->colour->is_white);
    if (!g.keep_quiet) movers = keyed_pawn_candidates(g, p, movers);
    add_pawn_moves<COUNT>(g, p, movers);
    add_piece_moves<COUNT>(g, p);
  }
  add_king_moves<COUNT>(g, p);
  bool castles = mode == GEN_ALL || mode == GEN_KEYED || mode == GEN_QUIET;
  if (castles && !ours.checkers && (p.castling & bit(g.king))) add_castling<COUNT>(g, p);
  return g;
}

}  // namespace

void generate_moves(Position& p, int mode) { generate<false>(p, mode); }

int count_legal_moves(Position& p) { return generate<true>(p, GEN_ALL).counted; }

// Out of check, every destination of an unpinned knight, bishop, rook or
// queen that is not its own side's is a legal move, and so is every king step
// to a square the opponent does not attack: these usually find two.
int count_legal_moves_up_to_two(Position& p) {
  const AttackInfo& ours = *p.us->attack_info;
  if (ours.checkers) return std::min(count_legal_moves(p), 2);
  Bitboard free = ~p.us->pieces[0];
  int count = popcount(king_attacks[p.us->king_square] & free & ~p.them->attack_info->attacks[0]);
  const Bitboard* each = ours.piece_attacks;
  for (int type = KNIGHT; type <= QUEEN && count < 2; ++type)
    for (Bitboard pieces = p.us->pieces[type]; pieces && count < 2; ++each)
      if (!(ours.pinned & bit(pop_lsb(pieces)))) count += popcount(*each & free);
  return count >= 2 ? 2 : std::min(count_legal_moves(p), 2);
}

}  // namespace velta
