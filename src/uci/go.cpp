// The "go" command's line: the search limits from its words, the root moves,
// and how the command loop treats the search (infinite, ponder, unbounded).
#include <cstdio>
#include <cstring>

#include "movegen/movegen.h"
#include "uci/uci.h"

namespace velta {

namespace {

constexpr int DEFAULT_DEPTH = 10;  // "go" alone
constexpr long long DEFAULT_MOVES_TO_GO = 40;

enum Keyword { SEARCHMOVES, PONDER, WTIME, BTIME, WINC, BINC, MOVESTOGO, DEPTH, NODES, MATE, MOVETIME, INFINITE, NONE };
constexpr const char* KEYWORDS[NONE] = {"searchmoves", "ponder", "wtime", "btime", "winc",     "binc",
                                        "movestogo",   "depth",  "nodes", "mate",  "movetime", "infinite"};

Keyword keyword_of(const char* word) {
  int k = 0;
  while (k < NONE && strcmp(word, KEYWORDS[k])) ++k;
  return Keyword(k);
}

// What a "go" line asks for. Only the first occurrence of a keyword counts.
struct GoRequest {
  Keyword first;
  bool given[NONE];
  bool other_words;
  long long time[2], increment[2], moves_to_go, movetime, nodes, mate;  // [colour]
  int depth;
};

// Reads the words; the legal moves after "searchmoves" go to `search_moves`.
GoRequest read_request(const char* args, const Board& game, MoveList& search_moves) {
  GoRequest r{};
  r.first = NONE, r.moves_to_go = DEFAULT_MOVES_TO_GO;
  char text[LINE_SIZE];
  snprintf(text, sizeof text, "%s", args);
  char* words[LINE_SIZE / 2];
  int n = 0;
  char* rest = nullptr;
  for (char* w = strtok_r(text, " ", &rest); w; w = strtok_r(nullptr, " ", &rest)) words[n++] = w;
  Position root;
  copy_record(root, *game.current);
  prepare_node(root);
  generate_moves(root, GEN_ALL);
  const MoveList& legal = root.moves;
  search_moves.count = 0;
  for (int i = 0; i < n; ++i) {
    Keyword k = keyword_of(words[i]);
    if (i == 0) r.first = k;
    if (k == NONE) r.other_words = true;
    if (k == NONE || r.given[k]) continue;
    if (k == SEARCHMOVES) {
      for (; i + 1 < n && keyword_of(words[i + 1]) == NONE; ++i)
        if (Move m = find_move_text(game, legal, words[i + 1])) search_moves.moves[search_moves.count++] = m;
      r.given[k] = true;
      continue;
    }
    if (k == PONDER || k == INFINITE) {
      r.given[k] = true;
      continue;
    }
    // A keyword without its number is ignored; depth reads like C's %i (0x10 is 16).
    long long value;
    const char* number = i + 1 < n ? words[i + 1] : "";
    if (k == DEPTH ? sscanf(number, "%i", &r.depth) != 1 : sscanf(number, "%lld", &value) != 1) continue;
    r.given[k] = true, ++i;
    long long natural = value < 0 ? 0 : value;  // a negative clock from a front end is no time at all
    if (k == WTIME || k == BTIME) r.time[k == WTIME] = natural;
    if (k == WINC || k == BINC) r.increment[k == WINC] = natural;
    if (k == MOVESTOGO) r.moves_to_go = natural;
    if (k == MOVETIME) r.movetime = natural;
    if (k == NODES) r.nodes = value < 1 ? 1 : value;
    if (k == MATE) r.mate = value;
  }
  return r;
}

// The limits of the line without pondering: "depth" or "movetime" as its
// first word; else the clock when any clock value is given; else depth,
// movetime, or a node or mate limit alone (then only the depth cap stops it);
// "go" alone (or with searchmoves) searches to depth 10; other words leave a
// clock search with no time.
SearchLimits limits_of(const GoRequest& r, bool white, int overhead) {
  SearchLimits limits{};
  const bool* g = r.given;
  bool clock = g[WTIME] || g[BTIME] || g[WINC] || g[BINC] || g[MOVESTOGO];
  if (g[INFINITE]) {
    limits.mode = LIMIT_TIME, limits.time_budget = INFINITE_BUDGET;
  } else if (g[DEPTH] && (r.first == DEPTH || !clock)) {
    limits.mode = LIMIT_DEPTH, limits.depth_limit = r.depth;
  } else if (g[MOVETIME] && (r.first == MOVETIME || !clock)) {
    limits.mode = LIMIT_TIME, limits.time_budget = uint64_t(r.movetime);
  } else if (clock || r.other_words) {
    long long time = r.time[white] > overhead ? r.time[white] - overhead : 0;
    set_clock_limits(limits, uint64_t(time), uint64_t(r.increment[white]), uint64_t(r.moves_to_go));
  } else {
    limits.mode = LIMIT_DEPTH, limits.depth_limit = g[NODES] || g[MATE] ? MAX_PLY : DEFAULT_DEPTH;
  }
  limits.nodes = uint64_t(r.nodes);
  limits.mate = r.mate > 0 ? int(r.mate) : 0;
  return limits;
}

}  // namespace

GoCommand read_go(const char* args, const Board& game, const OptionValues& options) {
  GoCommand go{};
  GoRequest r = read_request(args, game, go.request.search_moves);
  SearchLimits limits = limits_of(r, game.current->us->colour->is_white, options.move_overhead);
  limits.multipv = options.multipv;
  go.pondering = r.given[PONDER];
  go.infinite = r.given[INFINITE] || go.pondering;
  if (go.pondering) {
    // Pondering has no limits of its own; "ponderhit" brings the line's.
    go.request.on_ponderhit = limits;
    limits = SearchLimits{LIMIT_TIME, 0, 0, INFINITE_BUDGET, 0, 0, limits.multipv};
  }
  go.request.limits = limits;
  go.request.pondering = go.pondering;
  go.request.tb = options.tb;
  go.analysis = r.given[INFINITE] || r.given[SEARCHMOVES] || r.given[Keyword::MATE];
  if (int elo = playing_elo(options)) limit_to_level(go.request, elo);
  // A search the end of input must stop: one without end, or with nothing
  // but the depth cap to stop it (a mate search).
  go.unbounded = limits.time_budget >= INFINITE_BUDGET ||
                 (limits.mode == LIMIT_DEPTH && limits.depth_limit >= MAX_PLY && !limits.nodes);
  return go;
}

}  // namespace velta
