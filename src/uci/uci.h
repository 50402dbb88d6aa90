// The UCI front end: standard input, start-up, the command loop and its
// commands. Every line the engine prints comes from this folder.
#pragma once

#include <cstddef>

#include "search/search.h"

namespace velta {

inline constexpr char ENGINE_NAME[] = "Velta 0.6 x64 (bmi2)";
constexpr int DEFAULT_HASH_MB = 128;

// Standard input is read here only, in the command loop's thread. The search
// looks at it every 10000 nodes (poll_input) and reads what has arrived.
constexpr int INPUT_NONE = 0, INPUT_WAITING = 1, INPUT_CLOSED = 2;
int input_state();
// The next byte of input, or -1 at end of input.
int read_input_byte();
// Replaces standard input by a block of memory (for fuzzing and tests).
void use_memory_input(const char* data, size_t size);

constexpr int LINE_SIZE = 8192;  // 8191 characters and the terminator
// Reads and normalises one line; returns false at end of input.
bool read_line(char* line);

// Whether the processor has the POPCNT and BMI2 instructions the build uses.
// Built without them, so it can run first on any x86-64 processor.
bool cpu_has_popcnt();
bool cpu_has_bmi2();

struct Options {
  bool ponder;        // "bestmove" names the expected reply to ponder on
  int multipv;        // root lines reported
  int move_overhead;  // milliseconds taken off the clock for the answer's travel
  bool chess960;      // UCI_Chess960: castling written and read as the king taking its rook
};

// The engine the command loop drives: one search context, whose board holds
// the game, the transposition table it searches with, the options, and the
// state of the "go" being answered.
struct Engine {
  SearchContext* context;
  TranspositionTable table;
  Options options;
  int exit_status;  // set when a command ends the program
  bool quit;        // "quit" or the end of input arrived during a search
  bool infinite;    // the search answers only once released ("go infinite", "go ponder")
  bool pondering;   // "ponderhit" turns it into a timed search
  bool released;    // "stop" (or "ponderhit" while pondering) has arrived
  SearchLimits on_ponderhit;
  bool has_pending;  // a command that ended a search, to be carried out after its answer
  char pending[LINE_SIZE];
};
extern Engine engine;

// Builds every table, prints the banner and sets up the start position;
// false (after saying why) when memory runs out.
bool start_engine();
// Carries out one normalised line; returns false when the program must end
// (after "quit", or with engine.exit_status 1 when no table can be had).
bool execute(const char* line);
// Reads and executes lines until "quit" or end of input; returns the exit status.
int command_loop();
void stop_engine();

// Messages: an "info string" line, and a refusal on standard error.
[[gnu::format(printf, 1, 2)]] void info_string(const char* format, ...);
void report_refusal(const Refusal& refusal);

// Options: the "uci" answer, and "setoption" with the words after "name".
void print_identification();
void set_option(const char* args);
// (Re)creates the transposition table with its messages, halving the size
// when memory is short; false when not even 1 MB can be had.
bool create_table(int megabytes);

// Commands (each given the words after its name).
void go_command(const char* args);
void perft_command(const char* args);
void debug_command();
struct BenchResult {
  uint64_t nodes, ms;
};
BenchResult bench_command();
// The line distributed testing frameworks read: "<nodes> nodes <nps> nps".
void print_bench_line(const BenchResult& bench);
// Fills the search limits and root moves from the words of a "go" line; sets
// engine.infinite and engine.pondering, and engine.on_ponderhit for a ponder search.
void read_go_limits(const char* args, SearchContext& ctx);

// Output.
void print_score(int score);
void print_board(const Board& b);
void print_result(const SearchContext& ctx, const SearchResult& result);

}  // namespace velta
