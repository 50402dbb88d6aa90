// The engine built to WebAssembly, for a Web Worker (or node): the console
// engine's own command loop, its input supplied by the worker's messages
// (pre.js keeps them), every line it prints posted back. It stands in for
// src/uci/main.cpp and src/uci/cpu.cpp.
//
// Two builds. With threads (for pages that are cross-origin isolated) the
// program runs on a thread of its own, so the worker's own thread stays free
// to receive messages: the command loop waits for them on a queue, and
// searches run on their job threads, as on a console. Without threads the
// command loop runs on the worker's only thread and waits for a message by
// returning to the event loop (Asyncify saves and restores its stack); a
// search then reads the commands that have arrived at its polls, returning
// to the event loop now and then to let them in.
#include <emscripten.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "uci/uci.h"

namespace velta {

// No x86 instructions here: the processor check reports none.
bool cpu_has_popcnt() { return false; }
bool cpu_has_bmi2() { return false; }

}  // namespace velta

namespace {

#ifdef __EMSCRIPTEN_PTHREADS__

// The messages' bytes, filled on the worker's thread (where JavaScript runs)
// and emptied by the command loop's.
struct MessageQueue {
  std::mutex mutex;
  std::condition_variable arrived;
  std::string bytes;
  bool closed = false;
};
MessageQueue messages;

int supply(char* buffer, int size, bool wait) {
  std::unique_lock lock(messages.mutex);
  if (wait) messages.arrived.wait(lock, [] { return !messages.bytes.empty() || messages.closed; });
  if (messages.bytes.empty()) return messages.closed ? -1 : 0;
  int n = std::min(size, int(messages.bytes.size()));
  memcpy(buffer, messages.bytes.data(), size_t(n));
  messages.bytes.erase(0, size_t(n));
  return n;
}

}  // namespace

// Called by pre.js on the worker's thread for each message, and at the end of input.
extern "C" EMSCRIPTEN_KEEPALIVE void velta_message(const char* text) {
  std::lock_guard lock(messages.mutex);
  messages.bytes += text;
  messages.arrived.notify_all();
}
extern "C" EMSCRIPTEN_KEEPALIVE void velta_close() {
  std::lock_guard lock(messages.mutex);
  messages.closed = true;
  messages.arrived.notify_all();
}

namespace {

#else

// The queue lives in pre.js: its bytes, -1 at the end of input; whether it is
// time to return to the event loop during a search; and the two ways back to
// it (once, and until a message comes).
EM_JS(int, js_take, (char* buffer, int size), { return Module.veltaInput.take(buffer, size); });
EM_JS(int, js_should_yield, (), { return Module.veltaInput.shouldYield(); });
EM_ASYNC_JS(void, js_yield, (), { await Module.veltaInput.yieldOnce(); });
EM_ASYNC_JS(void, js_wait, (), { await Module.veltaInput.waitForInput(); });

int supply(char* buffer, int size, bool wait) {
  if (!wait && js_should_yield()) js_yield();
  int n = js_take(buffer, size);
  while (wait && n == 0) js_wait(), n = js_take(buffer, size);
  return n;
}

#endif

}  // namespace

int main(int argc, char** argv) {
  bool bench = argc == 2 && !strcmp(argv[1], "bench");
  if (argc > 1 && !bench) {
    fprintf(stderr, "usage: %s [bench]\n", argv[0]);
    return 2;
  }
  auto engine = std::make_unique<velta::Engine>();
  if (!velta::start_engine(*engine)) return 1;
  engine->input.supply = supply;
  int status = 0;
  if (bench)
    velta::print_bench_line(velta::bench_command(*engine));
  else
    status = velta::command_loop(*engine);
  velta::stop_engine(*engine);
  // The runtime may have resumed this function from the event loop, where a
  // return reaches no one: end the program here.
  exit(status);
}
