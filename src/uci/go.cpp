// The "go" command: the search limits from the words of the line, the
// search, the commands that arrive while it runs, the wait of an infinite or
// ponder search for its release, and the answer.
#include <cstdio>
#include <cstring>

#include "movegen/movegen.h"
#include "search/report.h"
#include "uci/uci.h"

namespace velta {

namespace {

constexpr int DEFAULT_DEPTH = 10;  // "go" alone
constexpr long long DEFAULT_MOVES_TO_GO = 40;

enum Keyword { SEARCHMOVES, PONDER, WTIME, BTIME, WINC, BINC, MOVESTOGO, DEPTH, NODES, MATE, MOVETIME, INFINITE, NONE };
constexpr const char* KEYWORDS[NONE] = {"searchmoves", "ponder", "wtime", "btime",    "winc",    "binc",
                                        "movestogo",   "depth",  "nodes", "mate",     "movetime", "infinite"};

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

// Reads the words; the legal moves after "searchmoves" go to ctx.search_moves.
GoRequest read_request(const char* args, SearchContext& ctx) {
  GoRequest r{};
  r.first = NONE, r.moves_to_go = DEFAULT_MOVES_TO_GO;
  static char text[LINE_SIZE];
  snprintf(text, sizeof text, "%s", args);
  char* words[LINE_SIZE / 2];
  int n = 0;
  char* rest = nullptr;
  for (char* w = strtok_r(text, " ", &rest); w; w = strtok_r(nullptr, " ", &rest)) words[n++] = w;
  const MoveList& legal = legal_moves(ctx.board);
  ctx.search_moves.count = 0;
  for (int i = 0; i < n; ++i) {
    Keyword k = keyword_of(words[i]);
    if (i == 0) r.first = k;
    if (k == NONE) r.other_words = true;
    if (k == NONE || r.given[k]) continue;
    if (k == SEARCHMOVES) {
      for (; i + 1 < n && keyword_of(words[i + 1]) == NONE; ++i)
        if (Move m = find_move_text(ctx.board, legal, words[i + 1])) ctx.search_moves.moves[ctx.search_moves.count++] = m;
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

// Acts on a command that arrives while a search runs or waits for release.
void during_search(const char* line, SearchContext& ctx) {
  if (!*line || !strcmp(line, "debug on") || !strcmp(line, "debug off")) return;
  if (!strcmp(line, "isready")) {
    printf("readyok\n");
  } else if (!strcmp(line, "ponderhit")) {
    if (!engine.pondering) return;
    // The clock starts now, with the limits of the "go" line.
    engine.pondering = engine.infinite = false;
    engine.released = true;
    ctx.limits = engine.on_ponderhit;
    ctx.state.pondered_ms = uint64_t(clock_ms() - ctx.state.start_clock);
  } else {
    ctx.state.stop = 1;
    engine.released = true;
    if (!strcmp(line, "quit"))
      engine.quit = true;
    else if (strcmp(line, "stop"))
      engine.has_pending = true, snprintf(engine.pending, sizeof engine.pending, "%s", line);
  }
}

// An infinite or ponder search that has ended by itself keeps its answer
// until it is released, blocked on the input meanwhile.
void wait_for_release(SearchContext& ctx) {
  static char line[LINE_SIZE];
  while (!engine.released) {
    if (!read_line(line)) return void(engine.quit = true);
    during_search(line, ctx);
  }
}

}  // namespace

void read_go_limits(const char* args, SearchContext& ctx) {
  GoRequest r = read_request(args, ctx);
  SearchLimits& limits = ctx.limits;
  limits = limits_of(r, ctx.board.current->us->colour->is_white, engine.options.move_overhead);
  limits.multipv = engine.options.multipv;
  engine.pondering = r.given[PONDER];
  engine.infinite = r.given[INFINITE] || engine.pondering;
  if (engine.pondering) {
    // Pondering has no limits of its own; "ponderhit" brings the line's.
    engine.on_ponderhit = limits;
    limits = SearchLimits{LIMIT_TIME, 0, 0, INFINITE_BUDGET, 0, 0, limits.multipv};
  }
}

void poll_input(SearchContext& ctx) {
  static char line[LINE_SIZE];
  int input;
  while (!ctx.state.stop && (input = input_state()) == INPUT_WAITING && read_line(line)) during_search(line, ctx);
  // The end of input stops a search that would never end: an infinite one,
  // or one with nothing but the depth cap to stop it (a mate search).
  const SearchLimits& l = ctx.limits;
  bool unbounded = l.time_budget >= INFINITE_BUDGET || (l.mode == LIMIT_DEPTH && l.depth_limit >= MAX_PLY && !l.nodes);
  if (unbounded && input_state() == INPUT_CLOSED) ctx.state.stop = 1, engine.released = engine.quit = true;
}

void go_command(const char* args) {
  SearchContext& ctx = *engine.context;
  engine.released = false;
  read_go_limits(args, ctx);
  SearchResult result = search_root(ctx);
  if (engine.infinite) wait_for_release(ctx);
  print_result(ctx, result);
  engine.infinite = engine.pondering = false;
  reset_after_search(ctx);
}

}  // namespace velta
