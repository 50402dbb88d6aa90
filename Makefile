# Velta: `make run` builds the release engine and starts it; `make test` builds
# and runs every test. The longer runs below have their own targets. `make`
# alone builds the engine; `make EXE=<path>` also leaves it at <path>
# (relative to this folder), as distributed testing frameworks ask.
BUILD := build
SANITIZE_BUILD := build-sanitize
TSAN_BUILD := build-tsan
JOBS := $(shell nproc 2>/dev/null || echo 2)
# CMake's own makefiles run as sub-makes: keep their "Entering directory" lines out.
MAKEFLAGS += --no-print-directory
CONFIGURE = cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=$(2) $(3) >/dev/null

.PHONY: all build run test sanitize tsan perft-deep perft-speed bench-speed games fuzz clean
.PHONY: web web-bench web-bench-speed play web-test

EXE ?=

all: build
ifneq ($(EXE),)
	@cp $(BUILD)/velta $(EXE)
endif

# The release engine is compiled with a profile of its own "bench" and two
# perfts, which a training build in $(BUILD)/train takes again whenever a
# source has changed (about 15 seconds).
PROFILE_DIR := $(CURDIR)/$(BUILD)/profile
TRAIN_BUILD := $(BUILD)/train
PROFILE_USE := -DVELTA_PROFILE=use -DVELTA_PROFILE_DIR=$(PROFILE_DIR)
KIWIPETE := r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1

$(PROFILE_DIR)/trained: $(wildcard src/*/*) CMakeLists.txt
	@rm -rf $(PROFILE_DIR)
	@$(call CONFIGURE,$(TRAIN_BUILD),Release,-DVELTA_TESTS=OFF -DVELTA_PROFILE=generate -DVELTA_PROFILE_DIR=$(PROFILE_DIR))
	@cmake --build $(TRAIN_BUILD) -j $(JOBS) --target velta
	@(./$(TRAIN_BUILD)/velta bench && printf 'perft 5\n' | ./$(TRAIN_BUILD)/velta && \
	  printf 'position fen $(KIWIPETE)\nperft 4\n' | ./$(TRAIN_BUILD)/velta) >/dev/null || \
	  echo "the training run failed (a processor without POPCNT or BMI2?): building without a profile"
	@touch $@

# The engine alone: a C++20 compiler and CMake are all it needs.
build: $(PROFILE_DIR)/trained
	@$(call CONFIGURE,$(BUILD),Release,-DVELTA_TESTS=OFF $(PROFILE_USE))
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./$(BUILD)/velta

# The engine and its tests (GoogleTest, Python 3; Stockfish for the differential
# tests), then the page's tests in a headless browser when emscripten and
# Chromium are installed (tools/ensure_web_tools.sh installs them).
test: test-tools test-binaries
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@if command -v emcc >/dev/null && command -v chromium >/dev/null && command -v npm >/dev/null; then \
	  $(MAKE) web-test; else echo "page tests skipped: they need emscripten, chromium and npm (tools/ensure_web_tools.sh)"; fi

# Unit and whole-program tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: test-tools
	@$(call CONFIGURE,$(SANITIZE_BUILD),Debug,-DVELTA_TESTS=ON -DVELTA_SANITIZE=ON)
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer: the unit tests, then the whole-program tests with 2 and 4
# search threads (time limits of the tests stretched for the slower build).
tsan: test-tools
	@$(call CONFIGURE,$(TSAN_BUILD),Debug,-DVELTA_TESTS=ON -DVELTA_TSAN=ON)
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L unit
	@for n in 2 4; do echo "whole-program tests with Threads $$n"; \
	  (cd $(TSAN_BUILD) && VELTA_THREADS=$$n VELTA_TIME_SLACK=10 TSAN_OPTIONS=halt_on_error=1 \
	   ctest --output-on-failure -j $(JOBS) -L program -E 'test_games|test_stockfish_perft') || exit 1; done

# The deep perft counts of tests/perft.txt (minutes).
perft-deep: test-binaries
	@VELTA_DEEP_PERFT=1 ./$(BUILD)/tests/test_movegen --gtest_filter='Perft*'

# Perft speed beside Stockfish's on the same positions.
perft-speed: test-tools build
	@python3 tools/perft_speed.py $(BUILD)/velta

# Bench speed against an older commit (BASE=<commit>), alternating runs.
BASE ?= 1d1be74
bench-speed: build
	@python3 tools/bench_speed.py --base $(BASE) --engine $(BUILD)/velta

# Games against itself and Stockfish, every move checked for legality: at
# 10+0.1, then with Velta pondering, then limited by nodes.
games: test-tools build
	@python3 tools/games.py --engine $(BUILD)/velta --games 40
	@python3 tools/games.py --engine $(BUILD)/velta --games 20 --ponder
	@python3 tools/games.py --engine $(BUILD)/velta --games 20 --nodes 50000

# Coverage-guided fuzzing of the command loop (clang, libFuzzer), time-bounded.
fuzz:
	@tools/fuzz.sh

.PHONY: test-tools test-binaries
test-tools:
	@tools/ensure_test_tools.sh

test-binaries: $(PROFILE_DIR)/trained
	@$(call CONFIGURE,$(BUILD),Release,-DVELTA_TESTS=ON $(PROFILE_USE))
	@cmake --build $(BUILD) -j $(JOBS)

# The engine in WebAssembly and the page around it, one static folder
# ($(WEB)) that any web host serves: emscripten (Debian's emcc) builds the
# engine, esbuild bundles the page from npm packages (web/package-lock.json).
WEB := $(BUILD)/web
web:
	@$(MAKE) -f web/engine/engine.mk OUT=$(WEB) -j $(JOBS)
	@cd web && { [ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund --loglevel=error; }
	@node web/build.mjs $(WEB)

# "bench" in the WebAssembly build under node: the same positions and node
# total as the console engine's, its last line "<nodes> nodes <nps> nps".
web-bench: web
	@cd $(WEB)/engine && node --no-experimental-fetch velta.js bench

# The WebAssembly bench beside the console engine's, runs alternating.
web-bench-speed: build web
	@python3 tools/web_bench_speed.py --engine $(BUILD)/velta --web $(WEB)/engine/velta.js

# Builds the page and serves it on this machine until interrupted
# (PORT=8080 by default, or the next free port).
PORT ?= 8080
play: web
	@node web/serve.mjs $(WEB) $(PORT)

# The page in headless Chromium: a whole game, analysis, import, takeback;
# screenshots in $(BUILD)/web-screenshots.
web-test: web
	@cd web && VELTA_WEB=$(CURDIR)/$(WEB) VELTA_SHOTS=$(CURDIR)/$(BUILD)/web-screenshots node --test test/

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
