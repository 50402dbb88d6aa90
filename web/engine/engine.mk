# The engine built to WebAssembly with emscripten (Debian's emcc), for the
# page's Web Worker and for "bench" under node. Called from the top Makefile
# as `make -f web/engine/engine.mk OUT=<folder>` in the repository's root.
#
# The console engine's processor check (cpu.cpp), standard input (input.cpp)
# and main() are replaced by web/engine/main.cpp; compat.h fills what this
# compiler's library lacks. -ffp-contract=off as in every build: the
# evaluation tables need a separately rounded multiply and add.
OUT ?= build/web
OBJ := build/web-engine
EMXX := em++
# Debian's emscripten runs its JavaScript optimiser with node and needs the
# system's node modules (acorn) on the module path.
export NODE_PATH := /usr/share/nodejs

SOURCES := $(filter-out src/uci/cpu.cpp src/uci/input.cpp src/uci/main.cpp,$(wildcard src/*/*.cpp)) web/engine/main.cpp
HEADERS := $(wildcard src/*/*.h src/*/*.inc) web/engine/compat.h
OBJECTS := $(patsubst %.cpp,$(OBJ)/%.o,$(SOURCES))

CXXFLAGS := -std=c++20 -O3 -DNDEBUG -Wall -Wextra -ffp-contract=off -mbulk-memory -Isrc -include web/engine/compat.h
# Built without Fathom, the endgame tables' file keeps constants it does not use.
$(OBJ)/src/search/tablebases.o: CXXFLAGS += -Wno-unused-variable -Wno-unused-const-variable

# One thread. Commands reach a running search through Asyncify: the poll
# saves the stack, lets the worker's event loop deliver messages and resumes
# (no call through a pointer lies between the search and its poll, so those
# are not instrumented; the instrumentation costs about 2% of bench's
# processor time). The transposition table (128 MB by default) is reserved
# with the memory's growth; 4 GB is the most a 32-bit module can address.
# Bulk memory (memset as one instruction) is in every browser since 2021;
# link-time optimisation and SIMD showed no gain beyond the noise.
LDFLAGS := -O3 -mbulk-memory -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT -sASYNCIFY_STACK_SIZE=65536 \
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB -sENVIRONMENT=web,worker,node -sEXIT_RUNTIME=1 \
  --pre-js web/engine/pre.js

$(OUT)/engine/velta.js: $(OBJECTS) web/engine/pre.js web/engine/engine.mk
	@mkdir -p $(dir $@)
	@echo "linking $@"
	@$(EMXX) $(OBJECTS) -o $@ $(LDFLAGS)

$(OBJ)/%.o: %.cpp $(HEADERS) web/engine/engine.mk
	@mkdir -p $(dir $@)
	@echo "em++ $<"
	@$(EMXX) $(CXXFLAGS) -c $< -o $@
