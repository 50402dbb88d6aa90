// libFuzzer target: whole sessions as GUIs and match managers hold them. The
// input bytes are choices in a grammar of commands: options set again and
// again to legal and illegal values (1 to 4 threads), new games, positions,
// searches of every kind with small limits, waits for an answer or none
// ("stop", "ponderhit", "isready" or the next command arriving mid-search),
// perft, debug and garbage, in any order and any number of times. Each
// session starts from the options' defaults, as a match manager's next game
// does, on the same engine: nothing may depend on a fresh process.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "uci/uci.h"

namespace {

velta::Engine* engine;

// The input read as a stream of choices; zeros once it is used up.
struct Choices {
  const uint8_t* data;
  size_t size, at;
  int pick(int n) { return at < size ? data[at++] % n : 0; }
  bool left() const { return at < size; }
};

template <size_t N>
const char* one_of(Choices& c, const char* const (&words)[N]) {
  return words[c.pick(int(N))];
}

const char* const POSITIONS[] = {
    "startpos",
    "startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1",
    "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1 moves e2e4",
    "fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",                       // mate in one
    "fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",                          // stalemate
    "fen 7k/8/8/8/8/8/6q1/7K w - - 0 1",                           // one legal move
    "fen 8/8/8/3k4/8/8/3PK3/8 w - - 0 1",                          // covered by small endgame tables
    "fen n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",                 // promotions
    "fen 4k3/8/8/8/8/8/4P3/4K3 w - - 100 80",                      // drawn by the fifty-move rule
    "startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1",           // a repetition in view
    "startpos moves e2e4 e7e5 e1e3",                               // an illegal move
    "fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0",  // a short FEN
    "fen 8/8/8/8/8/8/8/8 w - - 0 1",                               // no kings
};

const char* const GOS[] = {"depth 1",
                           "depth 3",
                           "depth 6",
                           "nodes 300",
                           "nodes 5000",
                           "movetime 1",
                           "movetime 20",
                           "wtime 300 btime 300 winc 10 binc 10",
                           "wtime 50 btime 50 movestogo 2",
                           "mate 2",
                           "infinite",
                           "ponder wtime 200 btime 200",
                           "ponder movetime 20",
                           "searchmoves e2e4 d2d4 depth 4",
                           "depth 2 multipv 3",
                           "perft 2",
                           "",
                           "wtime -1 depth x"};
// Whether a search of that line ends by itself, so that a GUI waits for its answer.
bool ends_by_itself(const char* go) { return !strstr(go, "infinite") && !strstr(go, "ponder") && !strstr(go, "mate"); }

void set(const char* name, const char* value) {
  char text[velta::LINE_SIZE];
  snprintf(text, sizeof text, "setoption name %s value %s", name, value);
  velta::handle_line(*engine, text);
}

void set_an_option(Choices& c) {
  switch (c.pick(9)) {
    case 0: return set("Threads", one_of(c, {"1", "2", "3", "4", "0", "two", "-1", "2"}));
    case 1: return set("Hash", one_of(c, {"1", "2", "4", "16", "3", "abc", "1", "2"}));
    case 2: return set("MultiPV", one_of(c, {"1", "2", "3", "0", "600", "x"}));
    case 3: return set("Ponder", one_of(c, {"true", "false", "maybe"}));
    case 4: return set("Move Overhead", one_of(c, {"0", "10", "100", "6000", "-5"}));
    case 5: return set("SyzygyPath", one_of(c, {"<empty>", "/work/shared/data/syzygy", "/nonexistent:/tmp", ""}));
    case 6: return set("SyzygyProbeLimit", one_of(c, {"0", "3", "5", "7", "99"}));
    case 7: return set("SyzygyProbeDepth", one_of(c, {"1", "5", "63", "0"}));
    default:
      velta::handle_line(*engine, one_of(c, {"setoption name Clear Hash", "setoption name Nothing value 1",
                                             "setoption name Syzygy50MoveRule value false", "setoption"}));
  }
}

// The options a match manager sends before each game, with their defaults.
void set_defaults() {
  for (const char* line :
       {"setoption name Threads value 1", "setoption name Hash value 1", "setoption name MultiPV value 1",
        "setoption name Ponder value false", "setoption name Move Overhead value 0",
        "setoption name SyzygyPath value <empty>", "setoption name SyzygyProbeLimit value 7",
        "setoption name SyzygyProbeDepth value 1", "setoption name Syzygy50MoveRule value true", "ucinewgame"})
    velta::handle_line(*engine, line);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!freopen("/dev/null", "w", stdout)) return 1;
  engine = new velta::Engine{};
  velta::start_engine(*engine);
  static char out_buffer[1 << 16];
  setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Choices c{data, size, 0};
  set_defaults();
  bool waitable = false;  // the running search ends by itself
  bool running = true;
  char text[velta::LINE_SIZE];
  while (running && c.left()) {
    switch (c.pick(12)) {
      case 0:
      case 1: set_an_option(c); break;
      case 2:
        snprintf(text, sizeof text, "position %s", one_of(c, POSITIONS));
        running = velta::handle_line(*engine, text);
        break;
      case 3:
      case 4: {
        const char* go = one_of(c, GOS);
        snprintf(text, sizeof text, "go %s", go);
        running = velta::handle_line(*engine, text);
        waitable = ends_by_itself(go);
        break;
      }
      case 5:  // a GUI waits for "bestmove" before it sends more
        if (waitable) velta::wait_for_job(*engine);
        break;
      case 6:
        running = velta::handle_line(*engine, one_of(c, {"stop", "ponderhit", "isready", "isready", "ucinewgame"}));
        break;
      case 7:
        running = velta::handle_line(*engine, one_of(c, {"perft 1", "perft 3", "go perft 2", "perft 0", "debug"}));
        waitable = true;
        break;
      case 8: {
        const char* line = one_of(c, {"uci", "debug on", "", "garbage words", "position", "go ponder", "quit"});
        running = velta::handle_line(*engine, line);
        waitable = waitable && strcmp(line, "go ponder");
        break;
      }
      default:  // time passes: a search goes on while the GUI thinks
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  velta::handle_line(*engine, "stop");
  velta::finish_input(*engine);
  return 0;
}
