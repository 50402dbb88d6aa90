// The UCI options, each written once in OPTIONS: the "uci" answer lists the
// table and "setoption" reads it. Names match without regard to case; the
// words after "value" are the value.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "uci/uci.h"

namespace velta {

namespace {

enum OptionType { CHECK, SPIN, BUTTON, STRING };

// What setting an option does, given its value: the number of a spin (within
// its range when `clamped`) or check (0, 1), or the text of a string.
using Setter = void (*)(Engine& e, int number, const char* text);

struct Option {
  const char* name;
  OptionType type;
  int initial, min, max;  // spin and check (0: false, 1: true)
  const char* initial_text;
  bool clamped;  // a spin value out of range is brought into it (else the setter judges it)
  Setter set;
};

// A power of two from 1 to 65536 is taken; a size in range but not a power of
// two is rounded down to one; anything else falls back to the default.
void set_hash(Engine& e, int megabytes, const char*) {
  if (megabytes > 1 && megabytes <= 65536 && !valid_table_size(megabytes)) {
    int rounded = 1;
    while (rounded * 2 <= megabytes) rounded *= 2;
    info_string("Hash %i MB rounded down to a power of two: %i MB", megabytes, rounded);
    megabytes = rounded;
  }
  if (!create_table(e, megabytes)) e.exit_status = 1;
}

void set_threads(Engine& e, int threads, const char*) {
  e.options.threads = threads;
  set_search_threads(*e.search, threads);
}

// Folders separated by ':'; "<empty>" (or nothing) for none. Match managers
// send every option again before each game: the same folders keep the
// tables read and mapped.
void set_syzygy_path(Engine& e, int, const char* path) {
  bool none = !*path || !strcmp(path, "<empty>");
  if (!none && !tb_available())
    return info_string("This build reads no Syzygy tables (it was built without the Fathom library)");
  if (none) path = "";
  if (strcmp(path, e.options.tb_path)) {
    e.options.tb.largest = tb_load(path);
    snprintf(e.options.tb_path, sizeof e.options.tb_path, "%s", path);
  }
  if (none) return;
  if (e.options.tb.largest)
    info_string("Syzygy tables found in %s: up to %i pieces", path, e.options.tb.largest);
  else
    info_string("No Syzygy tables found in %s", path);
}

// The book is read when it is wanted: when OwnBook is turned on, or its file
// is named while OwnBook is on.
void set_own_book(Engine& e, int on, const char*) {
  if (on && !e.options.own_book) load_book(e.book);
  e.options.own_book = on;
}

void set_book_file(Engine& e, int, const char* path) {
  e.book.path = path;
  e.book.entries.clear();
  if (e.options.own_book) load_book(e.book);
}

const Option OPTIONS[] = {
    {"Hash", SPIN, DEFAULT_HASH_MB, 1, 65536, nullptr, false, set_hash},
    {"Threads", SPIN, 1, 1, THREADS_AVAILABLE ? 1024 : 1, nullptr, true, set_threads},
    {"Ponder", CHECK, 0, 0, 1, nullptr, true, [](Engine& e, int on, const char*) { e.options.ponder = on; }},
    {"MultiPV", SPIN, 1, 1, 500, nullptr, true, [](Engine& e, int n, const char*) { e.options.multipv = n; }},
    {"Move Overhead", SPIN, 0, 0, 5000, nullptr, true,
     [](Engine& e, int ms, const char*) { e.options.move_overhead = ms; }},
    {"Clear Hash", BUTTON, 0, 0, 0, nullptr, true, [](Engine& e, int, const char*) { tt_clear(e.table); }},
    {"SyzygyPath", STRING, 0, 0, 0, "<empty>", true, set_syzygy_path},
    {"SyzygyProbeDepth", SPIN, 1, 1, MAX_PLY, nullptr, true,
     [](Engine& e, int depth, const char*) { e.options.tb.probe_depth = depth; }},
    {"Syzygy50MoveRule", CHECK, 1, 0, 1, nullptr, true,
     [](Engine& e, int on, const char*) { e.options.tb.rule50 = on; }},
    {"SyzygyProbeLimit", SPIN, 7, 0, 7, nullptr, true,
     [](Engine& e, int pieces, const char*) { e.options.tb.probe_limit = pieces; }},
    {"UCI_Chess960", CHECK, 0, 0, 1, nullptr, true,
     [](Engine& e, int on, const char*) { e.options.chess960 = on, set_notation(*e.game, on); }},
    {"UCI_LimitStrength", CHECK, 0, 0, 1, nullptr, true,
     [](Engine& e, int on, const char*) { e.options.limit_strength = on; }},
    {"UCI_Elo", SPIN, 1500, LEVEL_ELO_MIN, LEVEL_ELO_MAX, nullptr, true,
     [](Engine& e, int elo, const char*) { e.options.elo = elo; }},
    {"Skill Level", SPIN, 20, 0, 20, nullptr, true,
     [](Engine& e, int skill, const char*) { e.options.skill_elo = skill < 20 ? skill_elo(skill) : 0; }},
    {"OwnBook", CHECK, 0, 0, 1, nullptr, true, set_own_book},
    {"BookFile", STRING, 0, 0, 0, "/usr/share/games/gnuchess/book.bin", true, set_book_file},
    {"UCI_ShowWDL", CHECK, 0, 0, 1, nullptr, true, [](Engine& e, int on, const char*) { e.options.show_wdl = on; }},
};

void print_option(const Option& o) {
  static const char* const TYPES[] = {"check", "spin", "button", "string"};
  printf("option name %s type %s", o.name, TYPES[o.type]);
  if (o.type == SPIN) printf(" default %i min %i max %i", o.initial, o.min, o.max);
  if (o.type == CHECK) printf(" default %s", o.initial ? "true" : "false");
  if (o.type == STRING) printf(" default %s", o.initial_text);
  printf("\n");
}

// The value as the option's setter takes it; false for one it cannot read.
bool read_value(const Option& o, const char* value, int& number) {
  if (o.type == CHECK) {
    if (strcasecmp(value, "true") && strcasecmp(value, "false")) return false;
    number = !strcasecmp(value, "true");
  } else if (o.type == SPIN) {
    if (sscanf(value, "%i", &number) != 1) return false;
    if (o.clamped) number = number < o.min ? o.min : number > o.max ? o.max : number;
  }
  return true;
}

}  // namespace

void print_identification(const Engine&) {
  printf("id name %s\n", build_target().engine_name);
  printf("id author Quenlor\n");
  for (const Option& o : OPTIONS) print_option(o);
  printf("uciok\n");
}

bool set_default_options(Engine& e) {
  for (const Option& o : OPTIONS)
    if (o.type != BUTTON) o.set(e, o.initial, o.initial_text);
  return e.exit_status == 0;
}

void set_option(Engine& e, const char* args) {
  if (strncmp(args, "name ", 5)) return info_string("Expected: setoption name <name> [value <value>]");
  const char* text = args + 5;
  const char* v = !strncmp(text, "value ", 6) ? text - 1 : strstr(text, " value ");  // text - 1 is a blank
  char name[LINE_SIZE];
  snprintf(name, sizeof name, "%.*s", v ? int(v < text ? 0 : v - text) : LINE_SIZE - 1, text);
  const char* value = v ? v + strlen(" value ") : "";
  for (const Option& o : OPTIONS) {
    if (strcasecmp(name, o.name)) continue;
    int number = 0;
    if (!read_value(o, value, number)) return info_string("Invalid value for %s: %s", o.name, value);
    return o.set(e, number, value);
  }
  info_string("Unknown option: %s", name);
}

bool create_table(Engine& e, int megabytes) {
  auto attempt = [&](int mb) {
    bool made = tt_allocate(e.table, mb);
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
