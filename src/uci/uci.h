// The UCI front end: the command loop, its commands, the options, and every
// line the engine prints. The command loop alone reads the input; a search
// or a perft runs beside it on a thread of its own and hears of commands
// only through its signals.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "search/search.h"

namespace velta {

// A browser tab's memory is dearer than a console engine's.
#ifdef __EMSCRIPTEN__
constexpr int DEFAULT_HASH_MB = 32;
#else
constexpr int DEFAULT_HASH_MB = 128;
#endif
constexpr int LINE_SIZE = 8192;  // 8191 characters and the terminator

// Where command lines come from: standard input, a block of memory, or a
// supplier (a browser's messages), which copies up to `size` bytes into
// `buffer` and returns their count: 0 when none waits and it was not to
// wait, -1 at the end of input.
struct LineInput {
  char buffer[4096];
  const char* head;
  const char* tail;
  bool at_end;     // the source has reported its end
  bool in_memory;  // lines come from memory, not the descriptor
  int (*supply)(char* buffer, int size, bool wait);
};
void use_standard_input(LineInput& in);
void use_memory_input(LineInput& in, const char* data, size_t size);
// Whether bytes are waiting (without waiting for any); and waiting for them,
// false at the end of input.
bool input_waiting(LineInput& in);
bool wait_for_input(LineInput& in);
// Reads and normalises one line (blanks collapsed, CR LF taken as LF, cut
// at 8191 characters); false at the end of input.
bool read_line(LineInput& in, char* line);

// What "setoption" has set.
struct OptionValues {
  bool ponder;        // "bestmove" names the expected reply to ponder on
  int multipv;        // root lines reported
  int move_overhead;  // milliseconds taken off the clock for the answer's travel
  int threads;
  bool chess960;            // UCI_Chess960: castling written and read as the king taking its rook
  TablebaseUse tb;          // tb.largest: pieces of the largest table loaded (0: none)
  char tb_path[LINE_SIZE];  // the folders of the tables held: sent again, they are kept
  bool limit_strength;      // play at `elo`
  int elo;
  int skill_elo;  // Skill Level's Elo (0: Skill Level 20, full strength)
  bool own_book;  // answer from the opening book while it knows the position
  bool show_wdl;  // scores carry win/draw/loss odds
};

// Playing levels on one Elo scale, fitted to games against Stockfish's own
// levels (tools/calibrate_levels.py). The Elo the options ask for (0: full
// strength): UCI_Elo when UCI_LimitStrength is on, else Skill Level below 20.
constexpr int LEVEL_ELO_MIN = 800, LEVEL_ELO_MAX = 2300;
int playing_elo(const OptionValues& options);
// Skill Level s (0-19) plays at this Elo; 20 is full strength.
constexpr int skill_elo(int s) { return LEVEL_ELO_MIN + s * (LEVEL_ELO_MAX - LEVEL_ELO_MIN) / 20; }
// A level's search: its node and think-time caps (on both the limits and
// those "ponderhit" brings) and how it chooses among its lines.
void limit_to_level(SearchRequest& request, int elo);

// An opening book (Polyglot's format) read into memory, sorted by key.
struct BookEntry {
  uint64_t key;
  uint16_t move, weight;
};
struct OpeningBook {
  std::vector<BookEntry> entries;  // empty: no book
  std::string path;
};
// Reads the book at book.path; on failure (said in an "info string") there is no book.
void load_book(OpeningBook& book);
// A book answer: the move (0: none), its share of the position's weight in
// per cent, and the heaviest book reply to it as the move to ponder on.
struct BookChoice {
  Move move, ponder;
  int percent;
};
// The book's move for the game's position, drawn in proportion to the
// weights with `random` (64 random bits); only legal moves are considered.
// The game is left as it was (its current record prepared).
BookChoice choose_book_move(const OpeningBook& book, Board& game, uint64_t random);

// Win/draw/loss odds in per mille (summing to 1000) of a score for the side
// to move, with this much material on the board (pawns, as SearchInfo has it).
struct WinDrawLoss {
  int win, draw, loss;
};
WinDrawLoss win_draw_loss(int score, int material);

// The engine the command loop drives: the game, the searcher with its table,
// the options, and the job running beside the loop, if any.
struct Engine {
  Board* game;
  SearchContext* search;
  TranspositionTable table;
  OptionValues options;
  LineInput input;
  int exit_status;  // 1 when no transposition table could be had
  std::thread job;  // a search or a perft; joinable until the loop has waited for it
  bool job_is_search;
  SearchSignals signals;
  SearchRequest request;   // of the running search
  BookChoice book_choice;  // its answer from the book, if any
  OpeningBook book;
  OutputSink sink;        // the protocol's lines
  uint64_t random_state;  // SplitMix64 state: the seeds of levels and the book's draws
  bool infinite;          // its answer waits for its release ("stop", "ponderhit")
  bool pondering;         // "ponderhit" turns it into a timed search
  bool unbounded;         // it never ends by itself: the end of input stops it
  std::mutex mutex;
  std::condition_variable release;
  bool released;  // under the mutex
  // Without threads, the line that ended a job at one of its polls, to be
  // carried out once the job has answered.
  bool has_pending;
  char pending[LINE_SIZE];
};

// Builds every table, prints the banner, sets up the start position and a
// table of the default size; false (after saying why) when memory runs out.
bool start_engine(Engine& e);
void stop_engine(Engine& e);
// Acts on one normalised line, during a job or not; false when the program
// must end ("quit", or no table could be had).
bool handle_line(Engine& e, const char* line);
// The end of input: a job that would never end is stopped, any other
// finishes; returns the exit status.
int finish_input(Engine& e);
// Waits until a running job has finished by itself and answered.
void wait_for_job(Engine& e);
// Reads lines from e.input until "quit" or its end; returns the exit status.
int command_loop(Engine& e);

// Messages: an "info string" line, and a refusal on standard error.
[[gnu::format(printf, 1, 2)]] void info_string(const char* format, ...);
void report_refusal(const Refusal& refusal);

// Options: the "uci" answer, and "setoption" with the words after it.
void print_identification(const Engine& e);
void set_option(Engine& e, const char* args);
// Every option at its default (the table of the default size made); false
// when no table could be had.
bool set_default_options(Engine& e);
// (Re)creates the transposition table with its messages, halving the size
// when memory is short; false when not even 1 MB can be had.
bool create_table(Engine& e, int megabytes);

// A "go" line read: the request, and how the command loop treats the search
// (`analysis`: infinite, searchmoves or mate, where the book is not used).
struct GoCommand {
  SearchRequest request;
  bool infinite, pondering, unbounded, analysis;
};
GoCommand read_go(const char* args, const Board& game, const OptionValues& options);

// The protocol lines of a search (with win/draw/loss odds when the options
// ask), and its answer; moves are written in the game's notation. `poll`: see
// OutputSink.
OutputSink protocol_sink(Engine& e, void (*poll)(void* engine));
void print_result(const Board& game, const SearchResult& result, bool ponder, bool wdl);
void print_book_move(const Board& game, const BookChoice& choice, bool ponder);
void print_score(int score);

// Diagnostics.
void perft_job(Engine& e, int depth);
void debug_command(Engine& e);
struct BenchResult {
  uint64_t nodes, ms;
};
BenchResult bench_command(Engine& e);
// The line distributed testing frameworks read: "<nodes> nodes <nps> nps".
void print_bench_line(const BenchResult& bench);
void print_board(const Board& b);

// What this build is (build.cpp): the target it was compiled for, as the
// make files name it ("x86-64-bmi2", "x86-64-popcnt", "x86-64", "armv8"),
// the engine's name with it, and the instructions beyond its processor
// family's base that the compiler was allowed to use.
struct BuildTarget {
  const char* arch;
  const char* engine_name;
  bool popcnt, bmi2;
};
BuildTarget build_target();

// Whether the processor has the POPCNT and BMI2 instructions (never, but on
// x86-64). Built without them, so it can run first on any processor.
bool cpu_has_popcnt();
bool cpu_has_bmi2();

}  // namespace velta
