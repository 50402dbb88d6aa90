// The UCI front end: standard input, start-up, the command loop and its
// commands. Every line the engine prints comes from this folder.
#pragma once

#include <cstddef>

#include "search/search.h"

namespace velta {

// Standard input is read here only, in the command loop's thread. The search
// asks whether input is waiting without reading it, so a line that arrives
// during a search ends the search and is then read by the loop.
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

// The engine the command loop drives: one search context, whose board holds
// the game, and the transposition table it searches with.
struct Engine {
  SearchContext* context;
  TranspositionTable table;
  int exit_status;  // set when a command ends the program
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

// Engine messages and refusals.
void report_failed_check(const char* check);
// (Re)creates the transposition table with its messages, halving the size
// when memory is short; false when not even 1 MB can be had.
bool create_table(int megabytes);

// Commands (each given the words after its name).
void go_command(const char* args);
void perft_command(const char* args);
void debug_command();
void bench_command();
// Fills the search limits from the words of a "go" line.
void read_go_limits(const char* args, SearchLimits& limits, bool white_to_move);

// Output.
void print_score(int score);
void print_board(const Board& b);
void print_result(const SearchResult& result);

}  // namespace velta
