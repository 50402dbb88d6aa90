// What the search reports, as protocol lines: progress lines with their
// principal variation, MultiPV lines, the periodic current-move line, and the
// answer. Each line is written whole, with one call, so that a "readyok"
// written by the command loop meanwhile never cuts one.
#include <cstdarg>
#include <cstdio>

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

void add_move(Line& line, const Board& game, Move m) {
  char text[MOVE_TEXT_SIZE];
  move_text(game, m, text);
  add(line, "%s", text);
}

// The odds of a reported score: the tables' verdict when the score is
// theirs, else the model's (a mate is certain).
WinDrawLoss odds_of(int score, const SearchInfo& info) {
  if (info.table_score)
    return score > 0 ? WinDrawLoss{1000, 0, 0} : score < 0 ? WinDrawLoss{0, 0, 1000} : WinDrawLoss{0, 1000, 0};
  return win_draw_loss(score, info.material);
}

// "score cp N " or "score mate N ", and the odds "wdl W D L " when asked for.
void add_score(Line& line, int score, const SearchInfo* odds = nullptr) {
  if (!is_mate_score(score))
    add(line, "score cp %i ", score);
  else
    add(line, "score mate %i ", moves_to_mate(score));
  if (odds) {
    WinDrawLoss wdl = odds_of(score, *odds);
    add(line, "wdl %i %i %i ", wdl.win, wdl.draw, wdl.loss);
  }
}

// The counters every progress line carries.
void add_counters(Line& line, const SearchInfo& info) {
  add(line, "time %llu nodes %llu nps %llu hashfull %i", (unsigned long long)info.elapsed_ms,
      (unsigned long long)info.nodes, (unsigned long long)info.nps, info.hashfull);
  if (info.tables) add(line, " tbhits %llu", (unsigned long long)info.tbhits);
}

// " pv <moves>" and the line's end.
void add_pv(Line& line, const Board& game, const SearchInfo& info) {
  if (info.pv_length) add(line, " pv");
  for (int i = 0; i < info.pv_length; ++i) add(line, " "), add_move(line, game, info.pv[i]);
  add(line, "\n");
}

void write(const Line& line) { fwrite(line.text, 1, size_t(line.length), stdout); }

// The sink's owner is the engine: its options say whether odds are shown.
bool wdl_of(void* engine) { return static_cast<const Engine*>(engine)->options.show_wdl; }

void root_line(void* engine, const SearchInfo& info) {
  bool wdl = wdl_of(engine);
  Line line{};
  add(line, "info depth %i seldepth %i ", info.depth, info.seldepth);
  add_score(line, info.score, wdl ? &info : nullptr);
  if (info.lower_bound) add(line, "lowerbound ");
  add(line, "pv ");
  for (int i = 0; i < info.pv_length; ++i) add_move(line, *info.game, info.pv[i]), add(line, " ");
  add_counters(line, info);
  add(line, "\n");
  write(line);
}

void multipv_line(void* engine, const SearchInfo& info) {
  bool wdl = wdl_of(engine);
  Line line{};
  add(line, "info depth %i seldepth %i multipv %i ", info.depth, info.seldepth, info.multipv);
  add_score(line, info.score, wdl ? &info : nullptr);
  add_counters(line, info);
  add_pv(line, *info.game, info);
  write(line);
}

void progress(void*, const SearchInfo& info) {
  Line line{};
  add(line, "info depth %i currmove ", info.depth);
  add_move(line, *info.game, info.current_move);
  add(line, " currmovenumber %i ", info.current_move_number);
  add_counters(line, info);
  add(line, "\n");
  write(line);
}

}  // namespace

OutputSink protocol_sink(Engine& e, void (*poll)(void* engine)) {
  return {&e, root_line, multipv_line, progress, poll};
}

void print_score(int score) {
  Line line{};
  add_score(line, score);
  write(line);
}

void print_result(const Board& game, const SearchResult& result, bool ponder, bool wdl) {
  Line line{};
  const SearchInfo& info = result.info;
  if (result.game_over) add(line, "info string Game over (%s) !\n", result.game_over);
  if (result.searched && is_mate_score(result.score))
    add(line, "info string Mate in %i half-moves !\n", plies_to_mate(result.score));
  // The closing line: what tools record for the move.
  if (result.searched) {
    add(line, "info ");
    if (info.depth) {
      add(line, "depth %i seldepth %i ", info.depth, info.seldepth);
      add_score(line, result.score, wdl ? &info : nullptr);
    }
    add_counters(line, info);
    add_pv(line, game, info);
  }
  add(line, "bestmove ");
  if (result.best_move)
    add_move(line, game, result.best_move);
  else
    add(line, "0000");
  if (result.ponder_move && ponder) add(line, " ponder "), add_move(line, game, result.ponder_move);
  add(line, "\n");
  write(line);
}

void print_book_move(const Board& game, const BookChoice& choice, bool ponder) {
  Line line{};
  add(line, "info string book move ");
  add_move(line, game, choice.move);
  add(line, " (weight %i %%)\nbestmove ", choice.percent);
  add_move(line, game, choice.move);
  if (choice.ponder && ponder) add(line, " ponder "), add_move(line, game, choice.ponder);
  add(line, "\n");
  write(line);
}

}  // namespace velta
