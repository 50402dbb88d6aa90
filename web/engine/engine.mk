# The engine built to WebAssembly with emscripten (Debian's emcc), for the
# page's Web Worker and for "bench" under node. Called from the top Makefile
# as `make -f web/engine/engine.mk OUT=<folder>` in the repository's root.
#
# Two builds of the same sources: velta.js, one thread, for any page; and
# velta-threads.js, for pages that are cross-origin isolated (they may share
# memory between workers), with search threads. The console engine's
# processor check (cpu.cpp) and main() are replaced by web/engine/main.cpp;
# compat.h fills what this compiler's library lacks. -ffp-contract=off as in
# every build: the evaluation tables need a separately rounded multiply and add.
OUT ?= build/web
OBJ := build/web-engine
EMXX := em++
# Debian's emscripten runs its JavaScript optimiser with node and needs the
# system's node modules (acorn) on the module path.
export NODE_PATH := /usr/share/nodejs

SOURCES := $(filter-out src/uci/cpu.cpp src/uci/main.cpp,$(wildcard src/*/*.cpp)) web/engine/main.cpp
HEADERS := $(wildcard src/*/*.h src/*/*.inc) web/engine/compat.h
CXXFLAGS := -std=c++20 -O3 -DNDEBUG -Wall -Wextra -ffp-contract=off -mbulk-memory -Isrc -include web/engine/compat.h

# Common to both: memory that grows with the table (4 GB is the most a
# 32-bit module addresses), and the message glue of pre.js.
LDFLAGS := -O3 -mbulk-memory -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB -sENVIRONMENT=web,worker,node \
  -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=ccall --pre-js web/engine/pre.js
# One thread: the program waits for messages, and a search lets them in at
# its polls, by returning to the event loop through Asyncify (the functions
# that may be on the stack then, the search's among them, are instrumented:
# a few per cent of bench's time).
SINGLE_LDFLAGS := -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
# Threads: the program runs on a thread of its own (the worker's own thread
# keeps receiving messages), with a worker per processor started at once for
# the search's threads; more start when asked for.
THREADS_FLAGS := -pthread
THREADS_LDFLAGS := -sPROXY_TO_PTHREAD -sPTHREAD_POOL_SIZE='(typeof navigator!="undefined"&&navigator.hardwareConcurrency||4)+1' \
  -Wno-pthreads-mem-growth

SINGLE_OBJECTS := $(patsubst %.cpp,$(OBJ)/single/%.o,$(SOURCES))
THREADS_OBJECTS := $(patsubst %.cpp,$(OBJ)/threads/%.o,$(SOURCES))

all: $(OUT)/engine/velta.js $(OUT)/engine/velta-threads.js

$(OUT)/engine/velta.js: $(SINGLE_OBJECTS) web/engine/pre.js web/engine/engine.mk
	@mkdir -p $(dir $@)
	@echo "linking $@"
	@$(EMXX) $(SINGLE_OBJECTS) -o $@ $(LDFLAGS) $(SINGLE_LDFLAGS)

$(OUT)/engine/velta-threads.js: $(THREADS_OBJECTS) web/engine/pre.js web/engine/engine.mk
	@mkdir -p $(dir $@)
	@echo "linking $@"
	@$(EMXX) $(THREADS_OBJECTS) -o $@ $(LDFLAGS) $(THREADS_FLAGS) $(THREADS_LDFLAGS)

$(OBJ)/single/%.o: %.cpp $(HEADERS) web/engine/engine.mk
	@mkdir -p $(dir $@)
	@echo "em++ $<"
	@$(EMXX) $(CXXFLAGS) -c $< -o $@

$(OBJ)/threads/%.o: %.cpp $(HEADERS) web/engine/engine.mk
	@mkdir -p $(dir $@)
	@echo "em++ -pthread $<"
	@$(EMXX) $(CXXFLAGS) $(THREADS_FLAGS) -c $< -o $@
