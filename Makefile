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

.PHONY: all build run test sanitize tsan perft-deep perft-speed bench-speed games games-smp games960 fuzz clean

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

# Distributed-testing workers check for make and a compiler only: without
# CMake (or with one older than CMakeLists.txt asks), say so in one line.
CMAKE_NEEDED := $(shell sed -n 's/^cmake_minimum_required.VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
CMAKE_FOUND = $(shell cmake --version 2>/dev/null | sed -n '1s/^cmake version \([0-9][0-9.]*\).*/\1/p')
CMAKE_OLDEST = $(firstword $(shell printf '%s\n' $(CMAKE_NEEDED) $(1) | sort -V))
.PHONY: cmake-check
cmake-check:
	$(if $(CMAKE_FOUND),,$(error CMake $(CMAKE_NEEDED) or later is needed and none was found: install the package cmake (Debian, Ubuntu: apt-get install cmake)))
	$(if $(filter $(CMAKE_NEEDED),$(call CMAKE_OLDEST,$(CMAKE_FOUND))),,$(error CMake $(CMAKE_NEEDED) or later is needed, $(CMAKE_FOUND) was found: install a newer package cmake (Debian, Ubuntu: apt-get install cmake)))

$(PROFILE_DIR)/trained: $(wildcard src/*/*) CMakeLists.txt | cmake-check
	@rm -rf $(PROFILE_DIR)
	@$(call CONFIGURE,$(TRAIN_BUILD),Release,-DVELTA_TESTS=OFF -DVELTA_PROFILE=generate -DVELTA_PROFILE_DIR=$(PROFILE_DIR))
	@cmake --build $(TRAIN_BUILD) -j $(JOBS) --target velta
	@(./$(TRAIN_BUILD)/velta bench && printf 'perft 5\n' | ./$(TRAIN_BUILD)/velta && \
	  printf 'position fen $(KIWIPETE)\nperft 4\n' | ./$(TRAIN_BUILD)/velta) >/dev/null || \
	  echo "the training run failed (a processor without POPCNT or BMI2?): building without a profile"
	@mkdir -p $(@D) && touch $@

# The engine alone: a C++20 compiler and CMake are all it needs.
build: $(PROFILE_DIR)/trained
	@$(call CONFIGURE,$(BUILD),Release,-DVELTA_TESTS=OFF $(PROFILE_USE))
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./$(BUILD)/velta

# The engine and its tests (GoogleTest, Python 3; Stockfish for the differential
# tests; fastchess, built from its source on the first run, for the match tests).
test: cmake-check test-tools fastchess test-binaries
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Unit and whole-program tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: cmake-check test-tools fastchess
	@$(call CONFIGURE,$(SANITIZE_BUILD),Debug,-DVELTA_TESTS=ON -DVELTA_SANITIZE=ON)
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer: the unit tests, then the whole-program tests with 2 and 4
# search threads (time limits of the tests stretched for the slower build).
tsan: cmake-check test-tools fastchess
	@$(call CONFIGURE,$(TSAN_BUILD),Debug,-DVELTA_TESTS=ON -DVELTA_TSAN=ON)
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L unit
	@for n in 2 4; do echo "whole-program tests with Threads $$n"; \
	  (cd $(TSAN_BUILD) && VELTA_THREADS=$$n VELTA_TIME_SLACK=10 TSAN_OPTIONS=halt_on_error=1 \
	   ctest --output-on-failure -j $(JOBS) -L program -E 'test_games|test_stockfish_perft') || exit 1; done

# The deep perft counts of tests/perft.txt and tests/perft960.txt (minutes).
perft-deep: test-binaries
	@VELTA_DEEP_PERFT=1 ./$(BUILD)/tests/test_movegen --gtest_filter='Perft*'

# Perft speed beside Stockfish's on the same positions.
perft-speed: test-tools build
	@python3 tools/perft_speed.py $(BUILD)/velta

# Bench speed against an older commit (BASE=<commit>), alternating runs.
BASE ?= 1d1be74
bench-speed: build
	@python3 tools/bench_speed.py --base $(BASE) --engine $(BUILD)/velta

# Games through fastchess (tools/matches.py), every move checked: against itself
# with two threads each as OpenBench's SMP tests run, limited by nodes, from
# endgames with the Syzygy tables, against Stockfish; then with Velta pondering,
# which fastchess cannot do, through tools/games.py. Each match prints a
# summary; the target fails when any had a crash, a time loss or an illegal move.
MATCH = python3 tools/matches.py --engine $(BUILD)/velta
games: test-tools fastchess build
	@status=0; \
	$(MATCH) smp --games 40 --tc 5+0.05 || status=1; \
	$(MATCH) stockfish --games 20 --tc 10+0.1 || status=1; \
	$(MATCH) nodes --games 20 || status=1; \
	$(MATCH) syzygy --games 20 --tc 10+0.1 || status=1; \
	python3 tools/games.py --engine $(BUILD)/velta --games 20 --ponder || status=1; \
	exit $$status

# OpenBench's SMP check at home: GAMES games at 5+0.05 against itself, Threads=2
# and Hash=16 each (200 by default, about an hour on two cores).
GAMES ?= 200
games-smp: fastchess build
	@$(MATCH) smp --games $(GAMES) --tc 5+0.05

# A Fischer Random match against itself under fastchess at 2+0.02 (100 games),
# as OpenBench plays one with an FRC book; counts the castlings.
games960: fastchess build
	@$(MATCH) frc --games 100 --tc 2+0.02

# Coverage-guided fuzzing of the command loop (clang, libFuzzer), time-bounded:
# whole sessions under ASan+UBSan and under TSan, then raw input lines.
# FUZZ_SECONDS for each run (CI runs them for 60 s).
FUZZ_SECONDS ?= 600
fuzz:
	@tools/fuzz.sh --target sessions $(FUZZ_SECONDS)
	@tools/fuzz.sh --target sessions --tsan $(FUZZ_SECONDS)
	@tools/fuzz.sh --target lines $(FUZZ_SECONDS)

.PHONY: test-tools test-binaries fastchess
test-tools:
	@tools/ensure_test_tools.sh

fastchess:
	@tools/ensure_fastchess.sh $(BUILD)

test-binaries: $(PROFILE_DIR)/trained
	@$(call CONFIGURE,$(BUILD),Release,-DVELTA_TESTS=ON $(PROFILE_USE))
	@cmake --build $(BUILD) -j $(JOBS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
