#!/usr/bin/env bash
# What the page's build and tests use, from Debian's packages: emscripten
# (with node-acorn for its optimiser) to build the engine to WebAssembly, and
# Chromium to run the page headless. node and npm must be there already (npm
# fetches the page's packages). Installs what is missing when we are root
# with apt-get; otherwise `make test` reports the page tests skipped.
set -u
missing=()
command -v emcc >/dev/null 2>&1 || missing+=(emscripten)
[ -d /usr/share/nodejs/acorn ] || missing+=(node-acorn)
command -v chromium >/dev/null 2>&1 || missing+=(chromium)
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "installing ${missing[*]} (Debian packages) for the page..."
  (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}") \
    >/dev/null 2>&1 || echo "could not install ${missing[*]}: the page tests will be skipped"
else
  echo "${missing[*]} not installed and cannot be installed here: the page tests will be skipped"
fi
exit 0
