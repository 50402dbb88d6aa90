// Start-up and the command loop.
//
// The first word of a normalised line selects the command; commands without
// arguments must stand alone. While a search runs, the search reads the input
// every 10000 nodes: "isready" is answered at once, "ponderhit" turns a
// ponder search into a timed one, and any other command stops the search and
// is carried out after its "bestmove".
//   uci           identification and options, ending "uciok"
//   isready       "readyok", once the transposition table is ready
//   setoption     "setoption name <name> [value <value>]"
//   ucinewgame    start position, empty tables
//   position      "position startpos|fen <FEN> [moves ...]": sets the root, nothing printed
//   go            search; "info" lines and one "bestmove" ("go perft N" is "perft N")
//   stop, ponderhit, debug on|off: nothing outside a search
//   perft         move-path counts with a summary line
//   debug         board, static score and legal moves
//   bench         four fixed depth-12 searches with a summary line
//   quit          exit with status 0 (end of input does the same)
//   anything else "Unknown command : '<line>'"
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "uci/uci.h"

namespace velta {

Engine engine;

namespace {

void report_processor_features() {
  bool popcnt = cpu_has_popcnt(), bmi2 = cpu_has_bmi2();
  if (!popcnt && !bmi2) return;
  info_string("Set of supported instructions : %s%s%s", popcnt ? "'popcnt'" : "", popcnt && bmi2 ? ", " : "",
              bmi2 ? "'bmi2'" : "");
}

void print_magics(const char* name, const uint64_t* magics) {
  printf("Magic numbers for %s :\n", name);
  for (int s = 0; s < 64; ++s) printf("0x%016llx, ", (unsigned long long)magics[s]);
  printf("\n");
}

void new_game() {
  set_position(engine.context->board, START_FEN, engine.options.chess960);
  reset_new_game(*engine.context);
}

// Plays the words after "moves" up to the first that fails a check.
void play_moves(char* words) {
  char* rest = nullptr;
  for (char* word = strtok_r(words, " ", &rest); word; word = strtok_r(nullptr, " ", &rest)) {
    Refusal refusal = play_move(engine.context->board, word);
    if (refusal.check) return report_refusal(refusal);
  }
}

// "startpos [moves ...]" or "fen <FEN> [moves ...]"; false when it is neither.
bool set_root_position(const char* args) {
  static char text[LINE_SIZE];
  snprintf(text, sizeof text, "%s", args);
  char* moves = strstr(text, " moves");
  if (moves && (moves[6] == ' ' || moves[6] == '\0'))
    *moves = '\0', moves += strlen(" moves");
  else
    moves = nullptr;
  Board& board = engine.context->board;
  bool chess960 = engine.options.chess960;
  if (!strcmp(text, "startpos")) {
    set_position(board, START_FEN, chess960);
  } else if (!strncmp(text, "fen ", 4)) {
    Refusal refusal = set_position(board, text + 4, chess960);
    if (refusal.check) return report_refusal(refusal), true;
    if (board.chess960 && !chess960)
      info_string("This position's castling rights need UCI_Chess960: its moves are read and written as in Chess960");
  } else {
    return false;
  }
  if (moves) play_moves(moves);
  return true;
}

// "readyok" once the table's memory is there: a search on a table whose
// pages are still being provided stalls on each first touch (seconds for a
// few gigabytes), and GUIs ask "isready" after setting Hash for this.
void ready() {
  tt_wait_until_provided();
  printf("readyok\n");
}

bool next_line(char* line) {
  if (!engine.has_pending) return read_line(line);
  engine.has_pending = false;
  snprintf(line, LINE_SIZE, "%s", engine.pending);
  return true;
}

}  // namespace

void info_string(const char* format, ...) {
  char text[LINE_SIZE + 256];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  printf("info string %s\n", text);
}

void report_refusal(const Refusal& refusal) {
  fprintf(stderr, "engine: check failed: %s (%s %s)\n", refusal.check, refusal.field, refusal.word);
}

bool start_engine() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  init_eval_tables();
  MagicBuild magics = init_attack_tables();
  if (magics.out_of_memory) {
    info_string("Not enough memory to build the attack tables");
    info_string("Velta will now halt...");
    return false;
  }
  if (magics.searched_rooks) print_magics("rooks", magic.rook_magics);
  if (magics.searched_bishops) print_magics("bishops", magic.bishop_magics);
  printf("%s ('quit' to exit)\n", ENGINE_NAME);
  report_processor_features();
  init_reduction_table();
  engine.context = new SearchContext{};
  engine.context->tt = &engine.table;
  engine.context->reports = true;
  engine.context->pool = create_pool();
  engine.options = Options{false, 1, 0, false};
  engine.context->tb = TablebaseUse{false, 1, true};
  if (!create_table(DEFAULT_HASH_MB)) return false;
  new_game();
  return true;
}

void stop_engine() {
  destroy_pool(engine.context->pool);
  tb_release();
  tt_release(engine.table);
  delete engine.context;
  engine.context = nullptr;
}

bool execute(const char* line) {
  const char* args = strchr(line, ' ');
  size_t length = args ? size_t(args - line) : strlen(line);
  args = args ? args + 1 : "";
  bool alone = !*args;
  auto is = [&](const char* name) { return strlen(name) == length && !strncmp(line, name, length); };
  if (!*line || (alone && (is("stop") || is("ponderhit"))) || !strcmp(line, "debug on") || !strcmp(line, "debug off"))
    return true;
  else if (alone && is("uci"))
    print_identification();
  else if (is("setoption"))
    set_option(args);
  else if (alone && is("isready"))
    ready();
  else if (alone && is("ucinewgame"))
    new_game();
  else if (is("position") && set_root_position(args))
    return true;
  else if (is("go") && !strncmp(args, "perft", 5) && (args[5] == ' ' || !args[5]))
    perft_command(args + 5);  // as testers and python-chess send it
  else if (is("go"))
    go_command(args);
  else if (is("perft"))
    perft_command(args);
  else if (alone && is("debug"))
    debug_command();
  else if (alone && is("bench"))
    bench_command();
  else if (alone && is("quit"))
    return false;
  else
    printf("Unknown command : '%s'\n", line);
  return engine.exit_status == 0 && !engine.quit;
}

int command_loop() {
  static char line[LINE_SIZE];
  while (next_line(line) && execute(line)) {
  }
  return engine.exit_status;
}

}  // namespace velta
