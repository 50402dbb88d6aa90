# Velta: `make run` builds the release engine and starts it; `make test` builds
# and runs every test. The longer runs below have their own targets.
BUILD := build
SANITIZE_BUILD := build-sanitize
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test sanitize perft-deep perft-speed games fuzz clean

all: build

build:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVELTA_TESTS=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./$(BUILD)/velta

test: build
	@tools/ensure_stockfish.sh
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Unit and whole-program tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELTA_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@tools/ensure_stockfish.sh
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# The deep published perft counts (minutes).
perft-deep: build
	@VELTA_DEEP_PERFT=1 ./$(BUILD)/tests/test_movegen --gtest_filter='Perft*'

# Perft speed beside Stockfish's on the same positions.
perft-speed: build
	@tools/ensure_stockfish.sh
	@python3 tools/perft_speed.py $(BUILD)/velta

# Timed games against itself and Stockfish, every move checked for legality.
games: build
	@tools/ensure_stockfish.sh
	@python3 tools/games.py --engine $(BUILD)/velta --games 60

# Coverage-guided fuzzing of the command loop (clang, libFuzzer), time-bounded.
fuzz:
	@tools/fuzz.sh

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
