// The engine built to WebAssembly, for a Web Worker (or node). It runs the
// same command loop as the console engine; only the input and the processor
// check differ, and this file stands in for src/uci/input.cpp, cpu.cpp and
// main.cpp.
//
// There is one thread. Commands arrive as messages, which the JavaScript
// around this module (pre.js) keeps in a queue. A search polls the input
// every 10000 nodes; to let messages in at all, the poll now and then hands
// control back to the event loop (the stack is saved and restored by
// Asyncify) and then reads what came, so that "stop", "isready" and
// "ponderhit" are carried out during a search as on a console.
#include <emscripten.h>
#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "uci/uci.h"

// The queue's state in JavaScript: bytes waiting, end of input, or nothing
// yet; and whether enough time has passed since the last return to the
// event loop that the next poll should return to it again.
EM_JS(int, js_input_take, (char* buffer, int size), { return Module.veltaInput.take(buffer, size); });
EM_JS(int, js_should_yield, (), { return Module.veltaInput.shouldYield(); });
// Suspends the engine until the event loop has delivered what is waiting.
EM_ASYNC_JS(void, js_yield, (), { await Module.veltaInput.yieldOnce(); });
// Suspends the engine until a message (or the end of input) arrives.
EM_ASYNC_JS(void, js_wait_input, (), { await Module.veltaInput.waitForInput(); });

namespace velta {

// No x86 instructions here: the processor check reports none, and the
// engine's tables fall back to the portable code paths.
bool cpu_has_popcnt() { return false; }
bool cpu_has_bmi2() { return false; }

namespace {

char buffer[4096];
const char* head = buffer;
const char* tail = buffer;
bool at_end;
bool in_memory;

// Moves what the queue holds into the buffer; false at the end of input.
bool refill() {
  int n = js_input_take(buffer, sizeof buffer);
  if (n < 0) return at_end = true, false;
  head = buffer, tail = buffer + n;
  return true;
}

}  // namespace

void use_memory_input(const char* data, size_t size) {
  head = data, tail = data + size;
  in_memory = true, at_end = false;
}

int input_state() {
  if (head < tail) return INPUT_WAITING;
  if (at_end || in_memory) return INPUT_CLOSED;
  if (js_should_yield()) js_yield();
  if (!refill()) return INPUT_CLOSED;
  return head < tail ? INPUT_WAITING : INPUT_NONE;
}

int read_input_byte() {
  while (head == tail) {
    if (at_end || in_memory || !refill()) return -1;
    if (head == tail) js_wait_input();
  }
  return static_cast<unsigned char>(*head++);
}

// As on the console: blanks collapsed, long lines cut, a carriage return
// before the line feed dropped.
bool read_line(char* line) {
  int length = 0, c;
  bool read_any = false;
  while ((c = read_input_byte()) >= 0 && c != '\n') {
    read_any = true;
    if (c == ' ' || c == '\t') {
      if (length == 0 || line[length - 1] == ' ') continue;
      c = ' ';
    }
    line[length++] = char(c);
    if (length == LINE_SIZE - 1) {
      info_string("Warning: input is too long and will be truncated (max = %i bytes)", LINE_SIZE);
      while ((c = read_input_byte()) >= 0 && c != '\n') {
      }
      break;
    }
  }
  if (c == '\n' && length > 0 && line[length - 1] == '\r') --length;
  if (length > 0 && line[length - 1] == ' ') --length;
  line[length] = '\0';
  return read_any || c == '\n';
}

}  // namespace velta

#ifndef __EMSCRIPTEN_PTHREADS__
// Without threads, the only thread the engine starts (the one that has the
// transposition table's pages provided) runs to its end at once, inside the
// call that would have started it. Search helpers (Threads above 1) would
// wait forever and are refused by the page, which never asks for them here.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t*, void* (*start)(void*), void* arg) {
  static unsigned long next_id = 1;
  *thread = (pthread_t)(++next_id);
  start(arg);
  return 0;
}
extern "C" int pthread_detach(pthread_t) { return 0; }
#endif

int main(int argc, char** argv) {
  bool bench = argc == 2 && !strcmp(argv[1], "bench");
  if (argc > 1 && !bench) {
    fprintf(stderr, "usage: %s [bench]\n", argv[0]);
    return 2;
  }
  if (!velta::start_engine()) return 1;
  int status = 0;
  if (bench) {
    velta::use_memory_input("", 0);
    velta::print_bench_line(velta::bench_command());
  } else {
    status = velta::command_loop();
  }
  velta::stop_engine();
  // After the engine has slept on its input, returning from main reaches no
  // one (the runtime resumed it from the event loop): end the program here.
  exit(status);
}
