// Start-up and the command loop.
//
// The loop alone reads the input, one normalised line at a time; its first
// word selects the command, and commands without arguments must stand alone.
// "go" and "perft" run as a job on a thread of their own, so the loop goes
// on reading while they run.
//   command       answer                                  arriving during a job
//   uci           identification and options, "uciok"    ends it, then answered
//   isready       "readyok" once the table is resident   during a search: "readyok" at once
//   setoption     "setoption name <name> [value <v>]"     ends it, then carried out
//   ucinewgame    start position, empty tables            ends it, then carried out
//   position      "startpos|fen <FEN> [moves ...]"        ends it, then carried out
//   go            "info" lines or a book move, "bestmove" ends it, then a new search
//   stop          nothing                                 ends it: "bestmove"
//   ponderhit     nothing                                 a ponder search goes on under its clock
//   debug on|off  nothing                                 nothing during a search
//   perft         move-path counts and a summary line     ends it, then a new count
//   debug         board, static score and legal moves     ends it, then answered
//   bench         four fixed depth-12 searches, a summary ends it, then answered
//   quit          exit with status 0                      ends it ("bestmove" first), then exit
//   anything else "Unknown command : '<line>'"           ends it, then answered
// Any line ends a perft (an interrupted count says so). The end of input acts
// as "quit", but a search with a limit of its own is first let finish.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <random>

#include "evaluation/evaluation.h"
#include "movegen/movegen.h"
#include "uci/uci.h"

namespace velta {

namespace {

// The optional instructions this build uses; and a hint when the processor
// could run a faster build.
void report_instructions(const BuildTarget& target) {
  if (target.popcnt || target.bmi2)
    info_string("Set of supported instructions : %s%s%s", target.popcnt ? "'popcnt'" : "",
                target.popcnt && target.bmi2 ? ", " : "", target.bmi2 ? "'bmi2'" : "");
  bool popcnt = cpu_has_popcnt(), bmi2 = cpu_has_bmi2();
  if (!target.bmi2 && popcnt && bmi2)
    info_string("This processor has POPCNT and BMI2: the x86-64-bmi2 build is faster on it");
  else if (!target.popcnt && popcnt)
    info_string("This processor has POPCNT: the x86-64-popcnt build is faster on it");
}

void print_magics(const char* name, const uint64_t* magics) {
  printf("Magic numbers for %s :\n", name);
  for (int s = 0; s < 64; ++s) printf("0x%016llx, ", (unsigned long long)magics[s]);
  printf("\n");
}

void new_game(Engine& e) {
  set_position(*e.game, START_FEN, e.options.chess960);
  reset_new_game(*e.search);
}

// Plays the words after "moves" up to the first that fails a check.
void play_moves(Board& game, char* words) {
  char* rest = nullptr;
  for (char* word = strtok_r(words, " ", &rest); word; word = strtok_r(nullptr, " ", &rest)) {
    Refusal refusal = play_move(game, word);
    if (refusal.check) return report_refusal(refusal);
  }
}

// "startpos [moves ...]" or "fen <FEN> [moves ...]"; false when it is neither.
// A FEN whose castling rights need Chess960 is read as such whatever the option.
bool set_root_position(Board& game, const char* args, bool chess960) {
  char text[LINE_SIZE];
  snprintf(text, sizeof text, "%s", args);
  char* moves = strstr(text, " moves");
  if (moves && (moves[6] == ' ' || moves[6] == '\0'))
    *moves = '\0', moves += strlen(" moves");
  else
    moves = nullptr;
  if (!strcmp(text, "startpos")) {
    set_position(game, START_FEN, chess960);
  } else if (!strncmp(text, "fen ", 4)) {
    Refusal refusal = set_position(game, text + 4, chess960);
    if (refusal.check) return report_refusal(refusal), true;
    if (game.chess960 && !chess960)
      info_string("This position's castling rights need UCI_Chess960: its moves are read and written as in Chess960");
  } else {
    return false;
  }
  if (moves) play_moves(game, moves);
  return true;
}

// "readyok" once the table's memory is there: a search on a table whose
// pages are still being provided stalls on each first touch (seconds for a
// few gigabytes), and GUIs ask "isready" after setting Hash for this.
void ready(const Engine& e) {
  tt_wait_until_provided(e.table);
  printf("readyok\n");
}

void release(Engine& e) {
  std::lock_guard lock(e.mutex);
  e.released = true;
  e.release.notify_all();
}

// A line that leaves a running search alone; false for every other.
bool during_search(Engine& e, const char* line) {
  if (!*line || !strcmp(line, "debug on") || !strcmp(line, "debug off")) return true;
  if (!strcmp(line, "isready")) return printf("readyok\n"), true;
  if (strcmp(line, "ponderhit")) return false;
  if (e.pondering) {
    // The clock starts now, with the limits of the "go" line.
    e.signals.ponderhit_clock = clock_ms();
    e.signals.ponderhit.store(true, std::memory_order_release);
    e.pondering = false;
    const SearchLimits& l = e.request.on_ponderhit;
    e.unbounded = l.time_budget >= INFINITE_BUDGET;
    release(e);
  }
  return true;
}

// Without threads a job runs inside the command that starts it, and its polls
// read the commands already waiting: those a search leaves alone are carried
// out at once; the first other one ends the job and is kept to be carried out
// after its answer. The end of input ends a job that would never end.
void read_commands_during_job(void* engine) {
  Engine& e = *static_cast<Engine*>(engine);
  char line[LINE_SIZE];
  while (!e.has_pending && !e.signals.stop && input_waiting(e.input) && read_line(e.input, line)) {
    if (e.job_is_search && during_search(e, line)) continue;
    e.signals.stop = true;
    release(e);
    if (strcmp(line, "stop")) e.has_pending = true, snprintf(e.pending, sizeof e.pending, "%s", line);
  }
  if (e.input.at_end && (e.unbounded || e.infinite)) e.signals.stop = true, release(e);
}

// An infinite or ponder search that has ended by itself keeps its answer
// until it is released: by a command read on the loop's thread, or, without
// threads, by one this job reads itself as it waits.
void wait_for_release(Engine& e) {
  if (!THREADS_AVAILABLE) {
    while (!e.released && wait_for_input(e.input)) read_commands_during_job(&e);
    return;
  }
  std::unique_lock lock(e.mutex);
  e.release.wait(lock, [&] { return e.released; });
}

// The job of a search. A book move is answered without a search but like
// one: in a ponder search, at its release.
void run_search(Engine& e) {
  bool from_book = e.book_choice.move;
  SearchResult result = from_book ? SearchResult{} : search_root(*e.search, *e.game, e.request);
  if (e.infinite) wait_for_release(e);
  if (from_book)
    print_book_move(*e.game, e.book_choice, e.options.ponder);
  else
    print_result(*e.game, result, e.options.ponder, e.options.show_wdl);
  reset_after_search(*e.search);
}

void start_job(Engine& e, bool search, int perft_depth) {
  if (!search) e.infinite = e.pondering = e.unbounded = false;
  e.signals.stop = e.signals.ponderhit = false;
  e.released = false;
  e.job_is_search = search;
  if (!THREADS_AVAILABLE) return search ? run_search(e) : perft_job(e, perft_depth);
  e.job = search ? std::thread(run_search, std::ref(e)) : std::thread(perft_job, std::ref(e), perft_depth);
}

// Stops the running job (a finished one needs no stop) and waits for its answer.
void end_job(Engine& e) {
  e.signals.stop = true;
  release(e);
  e.job.join();
}

void perft(Engine& e, const char* args) {
  int depth = 1;
  if (sscanf(args, "%i", &depth) != 1) depth = 1;
  if (depth > STACK_SIZE - 2 - e.game->ply_count)
    return report_refusal(refuse("perft depth fits in the position stack", "depth", args));
  start_job(e, false, depth);
}

// "go perft N" is "perft N", as testing tools send it.
void go(Engine& e, const char* args) {
  if (!strncmp(args, "perft", 5) && (args[5] == ' ' || !args[5])) return perft(e, args + 5);
  GoCommand command = read_go(args, *e.game, e.options);
  command.request.level.seed = next_random(e.random_state);
  e.book_choice = {};
  // Polyglot books hold standard chess only.
  if (e.options.own_book && !command.analysis && !e.game->chess960)
    e.book_choice = choose_book_move(e.book, *e.game, next_random(e.random_state));
  e.request = command.request;
  e.infinite = command.infinite, e.pondering = command.pondering, e.unbounded = command.unbounded;
  start_job(e, true, 0);
}

// Carries out a line with no job running; false when the program must end.
bool execute(Engine& e, const char* line) {
  const char* args = strchr(line, ' ');
  size_t length = args ? size_t(args - line) : strlen(line);
  args = args ? args + 1 : "";
  bool alone = !*args;
  auto is = [&](const char* name) { return strlen(name) == length && !strncmp(line, name, length); };
  if (!*line || (alone && (is("stop") || is("ponderhit"))) || !strcmp(line, "debug on") || !strcmp(line, "debug off"))
    return true;
  else if (alone && is("uci"))
    print_identification(e);
  else if (is("setoption"))
    set_option(e, args);
  else if (alone && is("isready"))
    ready(e);
  else if (alone && is("ucinewgame"))
    new_game(e);
  else if (is("position") && set_root_position(*e.game, args, e.options.chess960))
    return true;
  else if (is("go"))
    go(e, args);
  else if (is("perft"))
    perft(e, args);
  else if (alone && is("debug"))
    debug_command(e);
  else if (alone && is("bench"))
    bench_command(e);
  else if (alone && is("quit"))
    return false;
  else
    printf("Unknown command : '%s'\n", line);
  return e.exit_status == 0;
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

bool start_engine(Engine& e) {
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
  BuildTarget target = build_target();
  printf("%s ('quit' to exit)\n", target.engine_name);
  report_instructions(target);
  init_reduction_table();
  use_standard_input(e.input);
  e.game = new Board{};
  // Levels and the book draw their random numbers from one generator,
  // seeded anew in each process so that no two sessions play alike.
  std::random_device seed;
  e.random_state = uint64_t(seed()) << 32 ^ seed();
  e.sink = protocol_sink(e, THREADS_AVAILABLE ? nullptr : read_commands_during_job);
  e.search = create_search(&e.table, &e.signals, &e.sink);
  e.options = OptionValues{};
  if (!set_default_options(e)) return false;
  new_game(e);
  return true;
}

void stop_engine(Engine& e) {
  if (e.job.joinable()) end_job(e);
  destroy_search(e.search);
  tt_release(e.table);
  delete e.game;
  e.search = nullptr, e.game = nullptr;
}

bool handle_line(Engine& e, const char* line) {
  if (e.job.joinable()) {
    if (e.job_is_search && during_search(e, line)) return true;
    end_job(e);
    if (!strcmp(line, "stop")) return true;
  }
  return execute(e, line);
}

int finish_input(Engine& e) {
  if (e.job.joinable()) {
    if (e.unbounded) e.signals.stop = true, release(e);
    e.job.join();
  }
  return e.exit_status;
}

void wait_for_job(Engine& e) {
  if (e.job.joinable()) e.job.join();
}

int command_loop(Engine& e) {
  char line[LINE_SIZE];
  while (e.has_pending || read_line(e.input, line)) {
    if (e.has_pending) e.has_pending = false, snprintf(line, sizeof line, "%s", e.pending);
    if (!handle_line(e, line)) return e.exit_status;
  }
  return finish_input(e);
}

}  // namespace velta
