#!/usr/bin/env bash
# Coverage-guided fuzzing of the command loop with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer.
#
#   tools/fuzz.sh [seconds] [more libFuzzer options...]
#   tools/fuzz.sh coverage    # line coverage of src/ by the working corpus
#
# Time limit: the first argument, else $FUZZ_SECONDS, else 600. Builds the
# engine and tools/fuzz/fuzz_commands.cpp with clang++ into build-fuzz/, then
# fuzzes one job on build-fuzz/corpus (seeded from tools/fuzz/corpus/ and kept
# between runs). Crashes, leaks and timeouts are written to build-fuzz/ as
# crash-*, leak-*, timeout-*; replay one with: build-fuzz/fuzz_commands <file>
# The engine's error output (its reports of rejected FEN and move text) is
# discarded while fuzzing; libFuzzer and the sanitizers still report.
set -euo pipefail
cd "$(dirname "$0")/.."

OUT=build-fuzz
if [ "${1:-}" = coverage ]; then
  # Source-based coverage: replay the corpus once with a build without
  # sanitizers and summarise by file.
  mkdir -p "$OUT/cov"
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer -fprofile-instr-generate -fcoverage-mapping -ffp-contract=off \
    -mpopcnt -mbmi -mbmi2 -Isrc $(find src -name '*.cpp' ! -path src/uci/main.cpp | sort) \
    tools/fuzz/fuzz_commands.cpp -o "$OUT/cov/fuzz_commands"
  LLVM_PROFILE_FILE="$OUT/cov/corpus.profraw" "$OUT/cov/fuzz_commands" -runs=0 -close_fd_mask=3 "$OUT/corpus"
  llvm-profdata merge -sparse "$OUT/cov/corpus.profraw" -o "$OUT/cov/corpus.profdata"
  llvm-cov report "$OUT/cov/fuzz_commands" -instr-profile="$OUT/cov/corpus.profdata" src
  exit 0
fi

SECONDS_LIMIT=${1:-${FUZZ_SECONDS:-600}}
shift $(( $# > 0 ? 1 : 0 ))
CXX=${CXX_FUZZ:-clang++}
FLAGS=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer -ffp-contract=off -mpopcnt -mbmi -mbmi2 -Isrc)

command -v "$CXX" >/dev/null || { echo "fuzz.sh: $CXX not found (clang with libFuzzer is needed)" >&2; exit 1; }
mkdir -p "$OUT/obj" "$OUT/corpus"

# Engine sources without the program entry, plus the harness; two compilers at
# a time. Comparison tracing steers the fuzzer through text (FEN, moves,
# commands); in the bitboard code of search, evaluation and move generation it
# would only halve the speed, so those folders get edge coverage alone.
compile() {
  local extra=()
  case $1 in src/search/* | src/evaluation/* | src/movegen/*) extra=(-fno-sanitize-coverage=trace-cmp) ;; esac
  "$CXX" "${FLAGS[@]}" "${extra[@]}" -c "$1" -o "$OUT/obj/$(echo "$1" | tr / _).o"
}
export -f compile
export CXX OUT
export FLAGS_TEXT="${FLAGS[*]}"
find src -name '*.cpp' ! -path src/uci/main.cpp | sort | { cat; echo tools/fuzz/fuzz_commands.cpp; } |
  xargs -P 2 -I{} bash -c 'FLAGS=($FLAGS_TEXT); compile {}'
"$CXX" "${FLAGS[@]}" "$OUT"/obj/*.o -o "$OUT/fuzz_commands"

cp -n tools/fuzz/corpus/* "$OUT/corpus/"
echo "fuzzing for $SECONDS_LIMIT s; corpus $OUT/corpus ($(ls "$OUT/corpus" | wc -l) files)"
exec "$OUT/fuzz_commands" "$OUT/corpus" -dict=tools/fuzz/uci.dict -max_total_time="$SECONDS_LIMIT" \
  -timeout=10 -max_len=20000 -artifact_prefix="$OUT/" -close_fd_mask=2 -print_final_stats=1 "$@"
