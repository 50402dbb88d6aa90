// libFuzzer target: arbitrary bytes as the engine's standard input, read line
// by line and handled exactly as the command loop does (a search or perft
// runs beside the loop and any later line ends it).
//
// The harness changes the input in three ways only, each because the engine
// is right to take the request literally and the fuzzer cannot afford it:
//   - "setoption name Hash value N" allocates N megabytes (rounded down to a
//     power of two), and 128 when N is out of range; whenever N is above 16
//     or below 1 the line is sent as "... value 16".
//   - "perft N" with N above 4 counts for minutes; it is sent as "perft 4".
//   - "bench" (four depth-12 searches and eight table clears) is skipped.
// A final "stop" line ends any search still running, as a GUI would.
#include <strings.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "uci/uci.h"

namespace {

constexpr char TAIL[] = "\nstop\n";
constexpr int MAX_HASH_MB = 16;
constexpr int MAX_PERFT_DEPTH = 4;

velta::Engine* engine;
char* line;

// Runs one normalised line; false after "quit".
bool run(const char* l) {
  int n;
  if (!strncasecmp(l, "setoption name hash value ", 26) && sscanf(l + 26, "%i", &n) == 1 && (n < 1 || n > MAX_HASH_MB))
    return velta::handle_line(*engine, "setoption name Hash value 16");
  if ((sscanf(l, "perft %i", &n) == 1 || sscanf(l, "go perft %i", &n) == 1) && n > MAX_PERFT_DEPTH)
    return velta::handle_line(*engine, "perft 4");
  if (!strcmp(l, "bench")) return true;
  return velta::handle_line(*engine, l);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!freopen("/dev/null", "w", stdout)) return 1;
  engine = new velta::Engine{};
  velta::start_engine(*engine);  // makes standard output unbuffered
  static char out_buffer[1 << 16];
  setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);
  velta::handle_line(*engine, "setoption name Hash value 1");
  // Exactly one line's size on the heap, so a write past it is caught.
  line = new char[velta::LINE_SIZE];
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy: a read past the input's end is caught too.
  size_t total = size + sizeof TAIL - 1;
  std::unique_ptr<char[]> input(new char[total]);
  if (size) memcpy(input.get(), data, size);
  memcpy(input.get() + size, TAIL, sizeof TAIL - 1);

  velta::use_memory_input(engine->input, input.get(), total);
  while (velta::read_line(engine->input, line) && run(line)) {
  }
  velta::finish_input(*engine);

  // Leave the engine as a fresh start would: start position, empty tables,
  // one thread, and the small table again if the input asked for another size.
  velta::handle_line(*engine, "ucinewgame");
  velta::handle_line(*engine, "setoption name Threads value 1");
  if (velta::tt_megabytes(engine->table) != 1) velta::handle_line(*engine, "setoption name Hash value 1");
  velta::use_memory_input(engine->input, nullptr, 0);  // drop the pointer to the freed copy
  return 0;
}
