#!/usr/bin/env bash
# Coverage-guided fuzzing of the command loop with libFuzzer.
#
#   tools/fuzz.sh [--target lines|sessions] [--tsan] [seconds] [more libFuzzer options...]
#   tools/fuzz.sh coverage [lines|sessions]   # line coverage of src/ by the working corpus
#
# Two targets: "lines" reads arbitrary bytes as the engine's input;
# "sessions" (the default) reads them as choices in a grammar of whole GUI
# and match-manager sessions, with options re-sent, 1 to 4 threads and
# searches interrupted in every way. Built with AddressSanitizer and
# UndefinedBehaviorSanitizer, or with --tsan ThreadSanitizer.
#
# Time limit: the seconds argument, else $FUZZ_SECONDS, else 600. Builds the
# engine and tools/fuzz/fuzz_<target>.cpp with clang++ into build-fuzz/<build>/,
# then fuzzes one job on build-fuzz/corpus-<target> (seeded from
# tools/fuzz/corpus/ for "lines", kept between runs). Crashes, leaks and
# timeouts are written to build-fuzz/ as crash-*, leak-*, timeout-*; replay
# one with: build-fuzz/<build>/fuzz_<target> <file>. Exits non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

OUT=build-fuzz
TARGET=sessions
SANITIZERS=address,undefined
MODE=asan
COVERAGE=
while [ $# -gt 0 ]; do
  case $1 in
    --target) TARGET=$2; shift 2 ;;
    --tsan) SANITIZERS=thread; MODE=tsan; shift ;;
    coverage) COVERAGE=1; shift; [ $# -gt 0 ] && [[ $1 != -* ]] && { TARGET=$1; shift; } ;;
    *) break ;;
  esac
done
case $TARGET in lines) SOURCE=tools/fuzz/fuzz_commands.cpp ;; sessions) SOURCE=tools/fuzz/fuzz_sessions.cpp ;;
  *) echo "fuzz.sh: unknown target $TARGET (lines or sessions)" >&2; exit 2 ;; esac
CXX=${CXX_FUZZ:-clang++}
command -v "$CXX" >/dev/null || { echo "fuzz.sh: $CXX not found (clang with libFuzzer is needed: apt-get install clang libclang-rt-14-dev)" >&2; exit 1; }
ENGINE_SOURCES=$(find src -name '*.cpp' ! -path src/uci/main.cpp | sort)
BASE_FLAGS=(-std=c++20 -g -ffp-contract=off -mpopcnt -mbmi -mbmi2 -Isrc -pthread)

if [ -n "$COVERAGE" ]; then
  # Source-based coverage: replay the corpus once with a build without
  # sanitizers and summarise by file.
  mkdir -p "$OUT/cov"
  "$CXX" "${BASE_FLAGS[@]}" -O1 -fsanitize=fuzzer -fprofile-instr-generate -fcoverage-mapping \
    $ENGINE_SOURCES "$SOURCE" -o "$OUT/cov/fuzz_$TARGET"
  LLVM_PROFILE_FILE="$OUT/cov/$TARGET.profraw" "$OUT/cov/fuzz_$TARGET" -runs=0 -close_fd_mask=3 "$OUT/corpus-$TARGET"
  llvm-profdata merge -sparse "$OUT/cov/$TARGET.profraw" -o "$OUT/cov/$TARGET.profdata"
  llvm-cov report "$OUT/cov/fuzz_$TARGET" -instr-profile="$OUT/cov/$TARGET.profdata" src
  exit 0
fi

SECONDS_LIMIT=${1:-${FUZZ_SECONDS:-600}}
shift $(( $# > 0 ? 1 : 0 ))
BUILD=$OUT/$MODE
FLAGS=("${BASE_FLAGS[@]}" -O1 -fsanitize=fuzzer,$SANITIZERS -fno-sanitize-recover=all -fno-omit-frame-pointer)
mkdir -p "$BUILD/obj" "$OUT/corpus-$TARGET"

# Engine sources without the program entry, plus the harnesses; two compilers
# at a time, again only for sources changed since. Comparison tracing steers
# the fuzzer through text (FEN, moves, commands); in the bitboard code of
# search, evaluation and move generation it would only halve the speed, so
# those folders get edge coverage alone. Under ThreadSanitizer the engine
# gets no coverage counters at all: threads bumping one counter together
# would be reported as races; the harness alone steers the sessions then.
compile() {
  local object="$BUILD/obj/$(echo "$1" | tr / _).o" extra=()
  [ "$object" -nt "$1" ] && [ "$object" -nt tools/fuzz.sh ] && ! find src -name '*.h' -newer "$object" | grep -q . && return 0
  case $1 in src/search/* | src/evaluation/* | src/movegen/*) extra=(-fno-sanitize-coverage=trace-cmp) ;; esac
  case $MODE:$1 in tsan:src/*) extra=(-fsanitize-coverage=0 -fno-sanitize=fuzzer) ;; esac
  "$CXX" "${FLAGS[@]}" "${extra[@]}" -c "$1" -o "$object"
}
export -f compile
export CXX BUILD MODE
export FLAGS_TEXT="${FLAGS[*]}"
{ echo "$ENGINE_SOURCES"; echo "$SOURCE"; } | xargs -P 2 -I{} bash -c 'FLAGS=($FLAGS_TEXT); compile {}'
objects=$(for f in $ENGINE_SOURCES; do echo "$BUILD/obj/$(echo "$f" | tr / _).o"; done)
"$CXX" "${FLAGS[@]}" $objects "$BUILD/obj/$(echo "$SOURCE" | tr / _).o" -o "$BUILD/fuzz_$TARGET"

EXTRA=()
if [ "$TARGET" = lines ]; then
  cp -n tools/fuzz/corpus/* "$OUT/corpus-$TARGET/"
  EXTRA=(-dict=tools/fuzz/uci.dict -max_len=20000)
else
  EXTRA=(-max_len=400)
fi
echo "fuzzing $TARGET ($MODE) for $SECONDS_LIMIT s; corpus $OUT/corpus-$TARGET ($(ls "$OUT/corpus-$TARGET" | wc -l) files)"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
exec "$BUILD/fuzz_$TARGET" "$OUT/corpus-$TARGET" "${EXTRA[@]}" -max_total_time="$SECONDS_LIMIT" \
  -timeout=20 -artifact_prefix="$OUT/" -close_fd_mask=2 -print_final_stats=1 "$@"
