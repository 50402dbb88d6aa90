// The UCI front end: standard input, start-up, the command loop and its commands.
#pragma once

#include <cstddef>

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

// Builds every table, prints the banner and sets up the start position.
void start_engine();
// Carries out one normalised line; returns false after "quit".
bool execute(const char* line);
// Reads and executes lines until "quit" or end of input.
void command_loop();

// Fills the search limits from a "go" line (depth, movetime, infinite or the clock).
void read_go_limits(const char* line);
void go_command(const char* line);
void perft_command(const char* line);
void debug_command();
void bench_command();

}  // namespace velta
