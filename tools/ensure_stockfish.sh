#!/usr/bin/env bash
# The differential tests compare Velta with Stockfish from Debian's packages.
# Installs it when it is missing and we are root with apt-get; otherwise the
# tests that need it report themselves skipped.
set -u
if command -v stockfish >/dev/null 2>&1 || [ -x /usr/games/stockfish ]; then exit 0; fi
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "installing stockfish (Debian package) for the differential tests..."
  (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq stockfish) >/dev/null 2>&1 ||
    echo "could not install stockfish: the tests that need it will be skipped"
else
  echo "stockfish is not installed and cannot be installed here: the tests that need it will be skipped"
fi
exit 0
