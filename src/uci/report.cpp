// What the search reports, as protocol lines: progress lines with their
// principal variation, MultiPV lines, the periodic current-move line, and the
// answer. Each line is written whole.
#include <cstdarg>
#include <cstdio>

#include "search/report.h"
#include "uci/uci.h"

namespace velta {

namespace {

// A line assembled piece by piece and written with one call.
struct Line {
  char text[STACK_SIZE * 6 + 256];  // room for a principal variation as long as the stack
  int length;
};

[[gnu::format(printf, 2, 3)]] void add(Line& line, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int room = int(sizeof line.text) - line.length;
  int n = vsnprintf(line.text + line.length, size_t(room), format, args);
  va_end(args);
  line.length += n < room ? n : room - 1;
}

void add_move(Line& line, const Board& b, Move m) {
  char text[MOVE_TEXT_SIZE];
  move_text(b, m, text);
  add(line, "%s", text);
}

void add_score(Line& line, int score) {
  if (!is_mate_score(score))
    add(line, "score cp %i ", score);
  else
    add(line, "score mate %i ", moves_to_mate(score));
}

// The counters every progress line carries.
void add_counters(Line& line, const SearchContext& ctx) {
  add(line, "time %llu nodes %llu nps %llu hashfull %i", (unsigned long long)ctx.state.elapsed_ms,
      (unsigned long long)(ctx.state.nodes + ctx.state.helper_nodes), (unsigned long long)ctx.state.nps,
      hashfull(*ctx.tt));
  if (ctx.tb.enabled) add(line, " tbhits %llu", (unsigned long long)(ctx.state.tbhits + ctx.state.helper_tbhits));
}

// " pv <moves>" and the line's end.
void add_pv(Line& line, const SearchContext& ctx) {
  if (ctx.state.pv_length) add(line, " pv");
  for (int i = 0; i < ctx.state.pv_length; ++i) add(line, " "), add_move(line, ctx.board, ctx.state.pv[i]);
  add(line, "\n");
}

void write(const Line& line) { fwrite(line.text, 1, size_t(line.length), stdout); }

}  // namespace

void print_score(int score) {
  Line line;
  line.length = 0;
  add_score(line, score);
  write(line);
}

void report_iteration(const SearchContext& ctx, int score, bool lower_bound) {
  Line line;
  line.length = 0;
  add(line, "info depth %i seldepth %i ", ctx.state.iteration_depth, ctx.state.seldepth);
  add_score(line, score);
  if (lower_bound) add(line, "lowerbound ");
  add(line, "pv ");
  for (int i = 0; i < ctx.state.pv_length; ++i) add_move(line, ctx.board, ctx.state.pv[i]), add(line, " ");
  add_counters(line, ctx);
  add(line, "\n");
  write(line);
}

void report_progress(const SearchContext& ctx) {
  Line line;
  line.length = 0;
  add(line, "info depth %i currmove ", ctx.state.iteration_depth);
  add_move(line, ctx.board, ctx.state.current_root_move);
  add(line, " currmovenumber %i ", ctx.state.current_root_move_number);
  add_counters(line, ctx);
  add(line, "\n");
  write(line);
}

void report_multipv(const SearchContext& ctx, int index) {
  Line line;
  line.length = 0;
  const RootLine& l = ctx.lines[index];
  add(line, "info depth %i seldepth %i multipv %i ", ctx.state.iteration_depth, l.seldepth, index + 1);
  add_score(line, l.score);
  add_counters(line, ctx);
  add_pv(line, ctx);
  write(line);
}

void print_result(const SearchContext& ctx, const SearchResult& result) {
  Line line;
  line.length = 0;
  const SearchState& state = ctx.state;
  if (result.game_over) add(line, "info string Game over (%s) !\n", result.game_over);
  if (result.searched && is_mate_score(result.score))
    add(line, "info string Mate in %i half-moves !\n", plies_to_mate(result.score));
  // The closing line: what tools record for the move.
  if (result.searched) {
    add(line, "info ");
    if (state.reported_depth) {
      add(line, "depth %i seldepth %i ", state.reported_depth, state.reported_seldepth);
      add_score(line, result.score);
    }
    add_counters(line, ctx);
    add_pv(line, ctx);
  }
  add(line, "bestmove ");
  if (result.best_move)
    add_move(line, ctx.board, result.best_move);
  else
    add(line, "0000");
  if (result.ponder_move && engine.options.ponder) add(line, " ponder "), add_move(line, ctx.board, result.ponder_move);
  add(line, "\n");
  write(line);
}

}  // namespace velta
