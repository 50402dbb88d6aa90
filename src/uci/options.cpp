// The UCI options: the "uci" answer and "setoption". Names match without
// regard to case; the words after "value" are the value.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "uci/uci.h"

namespace velta {

namespace {

constexpr int MAX_HASH_MB = 65536, MAX_MOVE_OVERHEAD = 5000, MAX_THREADS = 1024;

// A spin value within its range; false for a value that is no number.
bool read_spin(const char* value, int low, int high, int& out) {
  int n;
  if (sscanf(value, "%i", &n) != 1) return false;
  out = n < low ? low : n > high ? high : n;
  return true;
}

// "true" or "false", in any case.
bool read_check(const char* value, bool& out) {
  if (strcasecmp(value, "true") && strcasecmp(value, "false")) return false;
  out = !strcasecmp(value, "true");
  return true;
}

// A power of two from 1 to 65536 is taken; a size in range but not a power of
// two is rounded down to one; anything else falls back to the default.
bool set_hash(const char* value) {
  int megabytes;
  if (sscanf(value, "%i", &megabytes) != 1) return info_string("Invalid value for Hash: %s", value), true;
  if (megabytes > 1 && megabytes <= MAX_HASH_MB && !valid_table_size(megabytes)) {
    int rounded = 1;
    while (rounded * 2 <= megabytes) rounded *= 2;
    info_string("Hash %i MB rounded down to a power of two: %i MB", megabytes, rounded);
    megabytes = rounded;
  }
  return create_table(megabytes);
}

// Folders separated by ':'; "<empty>" (or nothing) for none.
void set_syzygy_path(const char* path) {
  bool none = !*path || !strcmp(path, "<empty>");
  if (!none && !tb_available())
    return info_string("This build reads no Syzygy tables (it was built without the Fathom library)");
  int pieces = tb_load(none ? "" : path);
  engine.context->tb.enabled = pieces > 0;
  if (none) return;
  if (pieces)
    info_string("Syzygy tables found in %s: up to %i pieces", path, pieces);
  else
    info_string("No Syzygy tables found in %s", path);
}

}  // namespace

void print_identification() {
  printf("id name %s\n", ENGINE_NAME);
  printf("id author Quenlor\n");
  printf("option name Hash type spin default %i min 1 max %i\n", DEFAULT_HASH_MB, MAX_HASH_MB);
  printf("option name Threads type spin default 1 min 1 max %i\n", MAX_THREADS);
  printf("option name Ponder type check default false\n");
  printf("option name MultiPV type spin default 1 min 1 max %i\n", MAX_MULTIPV);
  printf("option name Move Overhead type spin default 0 min 0 max %i\n", MAX_MOVE_OVERHEAD);
  printf("option name Clear Hash type button\n");
  printf("option name SyzygyPath type string default <empty>\n");
  printf("option name SyzygyProbeDepth type spin default 1 min 1 max %i\n", MAX_PLY);
  printf("option name Syzygy50MoveRule type check default true\n");
  printf("option name UCI_Chess960 type check default false\n");
  printf("uciok\n");
}

void set_option(const char* args) {
  if (strncmp(args, "name ", 5)) return info_string("Expected: setoption name <name> [value <value>]");
  const char* text = args + 5;
  const char* v = !strncmp(text, "value ", 6) ? text - 1 : strstr(text, " value ");  // text - 1 is a blank
  char name[LINE_SIZE];
  snprintf(name, sizeof name, "%.*s", v ? int(v < text ? 0 : v - text) : LINE_SIZE - 1, text);
  const char* value = v ? v + strlen(" value ") : "";
  Options& o = engine.options;
  bool valid = true;
  if (!strcasecmp(name, "Hash")) {
    if (!set_hash(value)) engine.exit_status = 1;
  } else if (!strcasecmp(name, "Threads")) {
    int threads;
    if ((valid = read_spin(value, 1, MAX_THREADS, threads)))
      set_helper_count(*engine.context->pool, threads - 1, &engine.table);
  } else if (!strcasecmp(name, "Ponder")) {
    valid = read_check(value, o.ponder);
  } else if (!strcasecmp(name, "MultiPV")) {
    valid = read_spin(value, 1, MAX_MULTIPV, o.multipv);
  } else if (!strcasecmp(name, "Move Overhead")) {
    valid = read_spin(value, 0, MAX_MOVE_OVERHEAD, o.move_overhead);
  } else if (!strcasecmp(name, "Clear Hash")) {
    tt_clear(engine.table);
  } else if (!strcasecmp(name, "SyzygyPath")) {
    set_syzygy_path(value);
  } else if (!strcasecmp(name, "SyzygyProbeDepth")) {
    valid = read_spin(value, 1, MAX_PLY, engine.context->tb.probe_depth);
  } else if (!strcasecmp(name, "Syzygy50MoveRule")) {
    valid = read_check(value, engine.context->tb.rule50);
  } else if (!strcasecmp(name, "UCI_Chess960")) {
    if ((valid = read_check(value, o.chess960))) set_notation(engine.context->board, o.chess960);
  } else {
    info_string("Unknown option: %s", name);
  }
  if (!valid) info_string("Invalid value for %s: %s", name, value);
}

bool create_table(int megabytes) {
  auto attempt = [](int mb) {
    bool made = tt_allocate(engine.table, mb);
    info_string("Creation of Transposition Table (%i MB) : %s", mb, made ? "success" : "failure");
    return made;
  };
  if (!valid_table_size(megabytes)) {
    info_string("Creation of Transposition Table (%i MB) : invalid size (reset to default)", megabytes);
    if (attempt(DEFAULT_HASH_MB)) return true;
    megabytes = DEFAULT_HASH_MB / 2;
  }
  for (;; megabytes /= 2) {
    if (attempt(megabytes)) return true;
    if (megabytes == 1) {
      info_string("Velta will now halt...");
      return false;
    }
  }
}

}  // namespace velta
