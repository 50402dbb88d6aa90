# Velta: `make run` builds the release engine and starts it; `make test` builds
# and runs every test. The longer runs below have their own targets. `make`
# alone builds the engine; `make EXE=<path>` also leaves it at <path>
# (relative to this folder), as distributed testing frameworks ask.
SANITIZE_BUILD := build-sanitize
TSAN_BUILD := build-tsan
# CMake's own makefiles run as sub-makes: keep their "Entering directory" lines out.
MAKEFLAGS += --no-print-directory
CONFIGURE = cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=$(2) $(PLATFORM) $(3) >/dev/null

.PHONY: all build run test sanitize tsan perft-deep perft-speed bench-speed games games-smp games960 fuzz clean
.PHONY: web web-bench web-bench-speed play web-test format format-check

# ---- Targets, compilers, cross builds ----
# ARCH: the instructions the engine is built for. x86-64-bmi2 (POPCNT and
# BMI2: Intel since 2013, AMD since 2015), x86-64-popcnt (POPCNT: since 2008),
# x86-64 (any 64-bit x86 processor), armv8 (64-bit ARM). Without it, the best
# the machine running make has. TARGET=windows builds velta.exe with
# MinGW-w64; ARCH=armv8 on an x86-64 machine builds for 64-bit ARM Linux.
# Those cross builds are linked statically and skip the training run (their
# binaries do not run here without an emulator). CXX: g++ (12 or later) or
# clang++ (14 or later); each configuration builds in a folder of its own,
# the machine's default one in build/.
ifeq ($(OS),Windows_NT)
  HOST_SYSTEM := windows
  HOST_CPU := $(if $(filter ARM64,$(PROCESSOR_ARCHITECTURE)),arm,x86)
  JOBS := $(or $(NUMBER_OF_PROCESSORS),2)
else
  HOST_SYSTEM := $(shell uname -s 2>/dev/null)
  HOST_CPU := $(if $(filter aarch64 arm64,$(shell uname -m 2>/dev/null)),arm,x86)
  JOBS := $(shell nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 2)
endif
TARGET ?= $(if $(filter windows,$(HOST_SYSTEM)),windows,)
ifeq ($(origin ARCH),undefined)
  ifeq ($(HOST_CPU),arm)
    ARCH := armv8
  else
    NATIVE := $(shell $(CXX) -march=native -dM -E -x c++ - </dev/null 2>/dev/null)
    ARCH := $(if $(findstring __BMI2__,$(NATIVE)),x86-64-bmi2,$(if $(findstring __POPCNT__,$(NATIVE)),x86-64-popcnt,x86-64))
  endif
  DEFAULT_ARCH := $(ARCH)
endif
ifeq ($(filter x86-64-bmi2 x86-64-popcnt x86-64 armv8,$(ARCH)),)
  $(error ARCH=$(ARCH): choose x86-64-bmi2, x86-64-popcnt, x86-64 or armv8)
endif
WINDOWS_CROSS := $(if $(filter windows,$(TARGET)),$(if $(filter windows,$(HOST_SYSTEM)),,yes))
ARM_CROSS := $(if $(filter armv8,$(ARCH)),$(if $(filter x86,$(HOST_CPU)),yes))
ifneq ($(filter arm:x86-64% windows:armv8,$(HOST_CPU):$(ARCH) $(TARGET):$(ARCH)),)
  $(error ARCH=$(ARCH) $(if $(TARGET),TARGET=$(TARGET) )on this machine: no such cross build is set up)
endif
CROSS := $(WINDOWS_CROSS)$(ARM_CROSS)
TRIPLE := $(if $(WINDOWS_CROSS),x86_64-w64-mingw32,$(if $(ARM_CROSS),aarch64-linux-gnu))
DEFAULT_CXX := $(if $(WINDOWS_CROSS),x86_64-w64-mingw32-g++-posix,$(if $(ARM_CROSS),aarch64-linux-gnu-g++,g++))
ifeq ($(origin CXX),default)
  CXX := $(DEFAULT_CXX)
endif
CLANG := $(findstring clang,$(shell $(CXX) --version 2>/dev/null))
ifeq ($(WINDOWS_CROSS):$(if $(CLANG),clang),yes:clang)
  $(error TARGET=windows builds with MinGW-w64's g++ (Clang does not find its libraries here): leave CXX out)
endif
EXE_SUFFIX := $(if $(filter windows,$(TARGET)),.exe)
ifeq ($(origin BUILD),undefined)
  ifeq ($(DEFAULT_ARCH)|$(CROSS)|$(CXX),$(ARCH)||g++)
    BUILD := build
  else
    BUILD := build/$(if $(filter windows,$(TARGET)),windows-)$(ARCH)$(if $(filter $(DEFAULT_CXX),$(CXX)),,-$(notdir $(firstword $(CXX))))
  endif
endif
STATIC ?= $(if $(CROSS)$(filter windows,$(TARGET)),yes)
# What every CMake configuration of this Makefile is given.
PLATFORM := -DVELTA_ARCH=$(ARCH) -DCMAKE_CXX_COMPILER=$(CXX) -DVELTA_STATIC=$(if $(STATIC),ON,OFF) \
  -DVELTA_SYZYGY=$(if $(CROSS),OFF,ON) $(if $(CROSS),-DCMAKE_SYSTEM_NAME=$(if $(WINDOWS_CROSS),Windows,Linux) \
    $(if $(ARM_CROSS),-DCMAKE_SYSTEM_PROCESSOR=aarch64) $(if $(CLANG),-DCMAKE_CXX_COMPILER_TARGET=$(TRIPLE)))
# Clang's raw profiles are merged by the llvm-profdata of the same version.
PROFDATA := $(if $(CLANG),$(shell command -v "$$($(CXX) -print-prog-name=llvm-profdata)" 2>/dev/null || \
  xcrun -f llvm-profdata 2>/dev/null))
# ---- end of targets, compilers, cross builds ----

EXE ?=

all: build
ifneq ($(EXE),)
	@cmake -E copy $(BUILD)/velta$(EXE_SUFFIX) $(EXE)$(if $(filter %.exe,$(EXE)),,$(EXE_SUFFIX))
endif

# The release engine is compiled with a profile of its own "bench" and two
# perfts, which a training build in $(BUILD)/train takes again whenever a
# source has changed (about 15 seconds). GCC reads whatever the training
# left; Clang reads the raw profiles once llvm-profdata has merged them. A
# cross build is not trained: its binary does not run here.
PROFILE_DIR := $(CURDIR)/$(BUILD)/profile
TRAIN_BUILD := $(BUILD)/train
PROFILE_USE = -DVELTA_PROFILE_DIR=$(PROFILE_DIR) \
  -DVELTA_PROFILE=$(if $(CROSS),,$(if $(CLANG),$(if $(wildcard $(PROFILE_DIR)/velta.profdata),use),use))
KIWIPETE := r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1
MERGE_PROFILE := $(if $(CLANG),$(PROFDATA) merge -o $(PROFILE_DIR)/velta.profdata $(PROFILE_DIR)/*.profraw,true)

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
ifneq ($(CROSS)$(if $(CLANG),$(if $(PROFDATA),,no)),)
	@echo "$(if $(CROSS),a cross build is not trained here,llvm-profdata was not found): building without a profile"
else
	@$(call CONFIGURE,$(TRAIN_BUILD),Release,-DVELTA_TESTS=OFF -DVELTA_PROFILE=generate -DVELTA_PROFILE_DIR=$(PROFILE_DIR))
	@cmake --build $(TRAIN_BUILD) -j $(JOBS) --target velta
	@(./$(TRAIN_BUILD)/velta bench && printf 'perft 5\n' | ./$(TRAIN_BUILD)/velta && \
	  printf 'position fen $(KIWIPETE)\nperft 4\n' | ./$(TRAIN_BUILD)/velta) >/dev/null && $(MERGE_PROFILE) || \
	  echo "the training run failed (a processor without POPCNT or BMI2?): building without a profile"
endif
	@mkdir -p $(@D) && touch $@

# The engine alone: a C++20 compiler and CMake are all it needs.
build: $(PROFILE_DIR)/trained
	@$(call CONFIGURE,$(BUILD),Release,-DVELTA_TESTS=OFF $(PROFILE_USE))
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./$(BUILD)/velta

# The engine and its tests (GoogleTest, Python 3; Stockfish for the differential
# tests; fastchess, built from its source on the first run, for the match
# tests), then the page's tests in a headless browser when emscripten and
# Chromium are installed (tools/ensure_web_tools.sh installs them).
test: cmake-check test-tools fastchess test-binaries
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@if command -v emcc >/dev/null && command -v chromium >/dev/null && command -v npm >/dev/null; then \
	  $(MAKE) web-test; else echo "page tests skipped: they need emscripten, chromium and npm (tools/ensure_web_tools.sh)"; fi

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
	   ctest --output-on-failure -j $(JOBS) -L program) || exit 1; done

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

# The C++ sources in the project's style (.clang-format), with clang-format 14
# (other versions lay some lines out differently): `make format` rewrites
# them, `make format-check` lists what differs and fails.
CLANG_FORMAT := $(shell command -v clang-format-14 || command -v clang-format)
FORMATTED := $(wildcard src/*/*.cpp src/*/*.h tests/*/*.cpp web/engine/*.cpp web/engine/*.h tools/fuzz/*.cpp)
format:
	@$(CLANG_FORMAT) -i $(FORMATTED)
format-check:
	@$(CLANG_FORMAT) --dry-run --Werror $(FORMATTED)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz

# ---- Release binaries, and the checks of other targets ----
# `make dist` leaves in dist/ one binary per target, named after it, linked
# statically (the Linux ones therefore read no Syzygy tables: Debian ships
# no static Fathom library), and their SHA-256 sums. `make test-platforms`
# runs them where they run here (wine, qemu-aarch64, qemu-x86_64 on
# processor models without POPCNT and BMI2), beside the native build and a
# Clang build of it (tests/uci/test_platforms.py).
DIST_LINUX := x86-64-bmi2 x86-64-popcnt x86-64 armv8
DIST_WINDOWS := x86-64-bmi2 x86-64-popcnt
.PHONY: dist test-platforms
dist:
	@tools/ensure_cross_tools.sh
	@cmake -E rm -rf dist && cmake -E make_directory dist
	@for arch in $(DIST_LINUX); do echo "dist/velta-$$arch"; \
	  $(MAKE) ARCH=$$arch STATIC=yes BUILD=build/dist/$$arch EXE=dist/velta-$$arch || exit 1; done
	@for arch in $(DIST_WINDOWS); do echo "dist/velta-$$arch.exe"; \
	  $(MAKE) TARGET=windows ARCH=$$arch BUILD=build/dist/windows-$$arch EXE=dist/velta-$$arch.exe || exit 1; done
	@cd dist && cmake -E sha256sum velta-* > SHA256SUMS && cat SHA256SUMS

CLANG_BUILD := build/clang
.PHONY: clang-build
test-platforms: dist build clang-build
	@tools/ensure_cross_tools.sh emulators
	@python3 tests/uci/test_platforms.py $(BUILD)/velta $(wildcard $(CLANG_BUILD)/velta)

clang-build:
	@if command -v clang++ >/dev/null; then $(MAKE) CXX=clang++ BUILD=$(CLANG_BUILD); \
	  else echo "clang++ not found: no Clang build checked"; fi

# Bench speed of the other x86-64 targets and of a Clang build beside the
# default build, alternating runs (RUNS of each).
RUNS ?= 7
.PHONY: bench-targets
bench-targets: build
	@$(MAKE) ARCH=x86-64-popcnt BUILD=build/x86-64-popcnt
	@$(MAKE) ARCH=x86-64 BUILD=build/x86-64
	@$(MAKE) CXX=clang++ BUILD=$(CLANG_BUILD)
	@python3 tools/bench_speed.py --runs $(RUNS) --engine $(BUILD)/velta \
	  --against build/x86-64-popcnt/velta build/x86-64/velta $(CLANG_BUILD)/velta
