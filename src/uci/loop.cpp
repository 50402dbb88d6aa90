// Start-up and the command loop.
//
// The first word of a normalised line selects the command; commands without
// arguments must stand alone. A line that arrives during a search ends the
// search first and is read right after its "bestmove".
//   stop          nothing (a search it arrived during has already ended)
//   uci           identification block ending "uciok"
//   setoption     "setoption name Hash value N" recreates the table; others ignored
//   isready       "readyok"
//   ucinewgame    start position, empty tables
//   position      "position startpos|fen <FEN> [moves ...]": sets the root, nothing printed
//   go            search; "info" lines and one "bestmove"
//   perft         move-path counts with a summary line
//   debug         board, static score and legal moves
//   bench         four fixed depth-12 searches with a summary line
//   quit          exit with status 0 (end of input does the same)
//   anything else "Unknown command : '<line>'"
#include <cstdio>
#include <cstring>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "uci/uci.h"

namespace velta {

Engine engine;

namespace {

constexpr char BANNER[] = "Velta 0.6 x64 (bmi2)";
constexpr int DEFAULT_HASH_MB = 128, MAX_HASH_MB = 65536;

void report_processor_features() {
  bool popcnt = cpu_has_popcnt(), bmi2 = cpu_has_bmi2();
  if (!popcnt && !bmi2) return;
  printf("info debug Set of supported instructions : %s%s%s\n", popcnt ? "'popcnt'" : "", popcnt && bmi2 ? ", " : "",
         bmi2 ? "'bmi2'" : "");
}

void print_magics(const char* name, const uint64_t* magics) {
  printf("Magic numbers for %s :\n", name);
  for (int s = 0; s < 64; ++s) printf("0x%016llx, ", (unsigned long long)magics[s]);
  printf("\n");
}

void print_identification() {
  printf("id name %s\n", BANNER);
  printf("id author Quenlor\n");
  printf("option name Hash type spin default %i min %i max %i\n", DEFAULT_HASH_MB, 1, MAX_HASH_MB);
  printf("option name OwnBook type check default false\n");
  printf("uciok\n");
}

// "name <id> value <x>": only Hash is acted on.
void set_option(const char* args) {
  int megabytes;
  if (sscanf(args, "name Hash value %i", &megabytes) == 1 && !create_table(megabytes)) engine.exit_status = 1;
}

void new_game() {
  set_position(engine.context->board, START_FEN);
  reset_new_game(*engine.context);
}

// Plays the words after "moves" up to the first that fails a check.
void play_moves(char* words) {
  char* rest = nullptr;
  for (char* word = strtok_r(words, " ", &rest); word; word = strtok_r(nullptr, " ", &rest))
    if (const char* failed = play_move(engine.context->board, word)) return report_failed_check(failed);
}

// "startpos [moves ...]" or "fen <FEN> [moves ...]"; false when it is neither.
bool set_root_position(const char* args) {
  static char text[LINE_SIZE];
  snprintf(text, sizeof text, "%s", args);
  char* moves = strstr(text, " moves");
  if (moves && (moves[6] == ' ' || moves[6] == '\0')) *moves = '\0', moves += strlen(" moves");
  else moves = nullptr;
  Board& board = engine.context->board;
  if (!strcmp(text, "startpos")) {
    set_position(board, START_FEN);
  } else if (!strncmp(text, "fen ", 4)) {
    if (const char* failed = set_position(board, text + 4)) return report_failed_check(failed), true;
  } else {
    return false;
  }
  if (moves) play_moves(moves);
  return true;
}

bool matches(const char* word, size_t length, const char* name) {
  return strlen(name) == length && !strncmp(word, name, length);
}

}  // namespace

void report_failed_check(const char* check) { fprintf(stderr, "engine: check failed: %s\n", check); }

bool create_table(int megabytes) {
  auto attempt = [](int mb) {
    bool made = tt_allocate(engine.table, mb);
    printf("info debug Creation of Transposition Table (%i MB) : %s\n", mb, made ? "success" : "failure");
    return made;
  };
  if (!valid_table_size(megabytes)) {
    printf("info debug Creation of Transposition Table (%i MB) : invalid size (reset to default)\n", megabytes);
    if (attempt(DEFAULT_HASH_MB)) return true;
    megabytes = DEFAULT_HASH_MB / 2;
  }
  for (;; megabytes /= 2) {
    if (attempt(megabytes)) return true;
    if (megabytes == 1) {
      printf("info string Velta will now halt...\n");
      return false;
    }
  }
}

bool start_engine() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  init_eval_tables();
  MagicBuild magics = init_attack_tables();
  if (magics.out_of_memory) {
    printf("info string Not enough memory to build the attack tables\n");
    printf("info string Velta will now halt...\n");
    return false;
  }
  if (magics.searched_rooks) print_magics("rooks", magic.rook_magics);
  if (magics.searched_bishops) print_magics("bishops", magic.bishop_magics);
  printf("%s ('quit' to exit)\n", BANNER);
  report_processor_features();
  init_reduction_table();
  engine.context = new SearchContext{};
  engine.context->tt = &engine.table;
  engine.context->reports = true;
  if (!create_table(DEFAULT_HASH_MB)) return false;
  new_game();
  return true;
}

void stop_engine() {
  tt_release(engine.table);
  delete engine.context;
  engine.context = nullptr;
}

bool execute(const char* line) {
  const char* args = strchr(line, ' ');
  size_t length = args ? size_t(args - line) : strlen(line);
  args = args ? args + 1 : "";
  bool alone = !*args;
  auto is = [&](const char* name) { return matches(line, length, name); };
  if (!*line || (alone && is("stop")))
    return true;
  else if (alone && is("uci"))
    print_identification();
  else if (is("setoption"))
    set_option(args);
  else if (alone && is("isready"))
    printf("readyok\n");
  else if (alone && is("ucinewgame"))
    new_game();
  else if (is("position") && set_root_position(args))
    return true;
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
  return engine.exit_status == 0;
}

int command_loop() {
  static char line[LINE_SIZE];
  while (read_line(line) && execute(line)) {
  }
  return engine.exit_status;
}

}  // namespace velta
