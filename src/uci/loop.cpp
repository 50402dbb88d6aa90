// Start-up and the command loop.
//
// Commands, tested in this order on the normalised line (= exact match,
// ~ contains); a line that arrives during a search ends the search first and
// is read right after its "bestmove":
//   = stop          nothing (a search it arrived during has already ended)
//   = uci           identification block ending "uciok"
//   ~ setoption     "setoption name Hash value N" recreates the table; others ignored
//   = isready       "readyok"
//   = ucinewgame    start position, empty tables
//   ~ position startpos / ~ "position fen "   set the root, then play "moves ..."
//   ~ go            search; "info" lines and one "bestmove"
//   ~ perft         move-path counts with a summary line
//   = debug         board, static score and legal moves
//   = bench         four fixed depth-12 searches with a summary line
//   = quit          exit with status 0 (end of input does the same)
//   anything else   "Unknown command : '<line>'"
#include <cpuid.h>

#include <cstdio>
#include <cstring>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"
#include "uci/uci.h"

namespace velta {

namespace {

constexpr char BANNER[] = "Velta 0.6 x64 (bmi2)";

void report_processor_features() {
  unsigned a, b, c, d;
  bool popcnt = __get_cpuid(1, &a, &b, &c, &d) && (c & bit_POPCNT);
  bool bmi2 = __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_BMI2);
  if (!popcnt && !bmi2) return;
  printf("info debug Set of supported instructions : %s%s%s\n", popcnt ? "'popcnt'" : "", popcnt && bmi2 ? ", " : "",
         bmi2 ? "'bmi2'" : "");
}

void print_identification() {
  printf("id name %s\n", BANNER);
  printf("id author Quenlor\n");
  printf("option name Hash type spin default %i min %i max %i\n", 128, 1, 65536);
  printf("option name OwnBook type check default false\n");
  printf("uciok\n");
}

void set_option(const char* line) {
  int megabytes = 128;
  if (sscanf(line, "setoption name Hash value %i", &megabytes) == 1) tt_create(megabytes);
}

// Plays the "moves ..." part of a position line on the root just set.
void play_moves_of(const char* line) {
  static char moves[LINE_SIZE];
  if (const char* found = strstr(line, "moves ")) {
    snprintf(moves, sizeof moves, "%s", found + strlen("moves "));
    play_move_list(moves);
  }
}

void position_fen(const char* line) {
  static char fen_text[LINE_SIZE];
  snprintf(fen_text, sizeof fen_text, "%s", strstr(line, "position fen ") + strlen("position fen "));
  if (read_fen(fen_text)) play_moves_of(line);
}

}  // namespace

void start_engine() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  init_eval_tables();
  init_attack_tables();
  printf("%s ('quit' to exit)\n", BANNER);
  report_processor_features();
  init_reduction_table();
  tt_create(128);
  read_fen(START_FEN);
  reset_new_game();
}

bool execute(const char* line) {
  if (!*line || !strcmp(line, "stop")) return true;
  if (!strcmp(line, "uci"))
    print_identification();
  else if (strstr(line, "setoption"))
    set_option(line);
  else if (!strcmp(line, "isready"))
    printf("readyok\n");
  else if (!strcmp(line, "ucinewgame"))
    read_fen(START_FEN), reset_new_game();
  else if (strstr(line, "position startpos"))
    read_fen(START_FEN), play_moves_of(line);
  else if (strstr(line, "position fen "))
    position_fen(line);
  else if (strstr(line, "go"))
    go_command(line);
  else if (strstr(line, "perft"))
    perft_command(line);
  else if (!strcmp(line, "debug"))
    debug_command();
  else if (!strcmp(line, "bench"))
    bench_command();
  else if (!strcmp(line, "quit"))
    return false;
  else
    printf("Unknown command : '%s'\n", line);
  return true;
}

void command_loop() {
  static char line[LINE_SIZE];
  while (read_line(line) && execute(line)) {
  }
  tt_release();
}

}  // namespace velta
