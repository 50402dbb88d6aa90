#!/usr/bin/env bash
# What the tests use besides the compiler, from Debian's packages: Stockfish
# (differential tests and game referee), the Fathom library and its prober
# (endgame tables) and the Debian opening book (book tests). Installs what is
# missing when we are root with apt-get;
# otherwise the tests that need it report themselves skipped.
set -u
missing=()
command -v stockfish >/dev/null 2>&1 || [ -x /usr/games/stockfish ] || missing+=(stockfish)
[ -x /usr/games/fathom ] || missing+=(fathom)
[ -f /usr/include/tbprobe.h ] || missing+=(libfathom-dev)
[ -f /usr/share/games/gnuchess/book.bin ] || missing+=(gnuchess-book)
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "installing ${missing[*]} (Debian packages) for the tests..."
  (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}") >/dev/null 2>&1 ||
    echo "could not install ${missing[*]}: the tests that need them will be skipped"
else
  echo "${missing[*]} not installed and cannot be installed here: the tests that need them will be skipped"
fi
exit 0
