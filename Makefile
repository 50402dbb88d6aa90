# Velta: `make run` builds the release engine and starts it; `make test` builds
# and runs every test. Longer runs have their own targets (see README.md).
BUILD := build
SANITIZE_BUILD := build-sanitize
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test sanitize perft-deep games fuzz bench clean

all: build

build:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./$(BUILD)/velta

test: build
	@tools/ensure_stockfish.sh
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE long

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
