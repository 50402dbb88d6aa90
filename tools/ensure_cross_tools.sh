#!/usr/bin/env bash
# What the release binaries of other targets need, from Debian's packages:
# the cross compilers (MinGW-w64 for Windows, GCC for 64-bit ARM Linux) for
# `make dist`, and with "emulators" also wine and qemu-user, which run those
# binaries for `make test-platforms`. Installs what is missing when we are
# root with apt-get; otherwise says what to install and fails.
set -u
missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
command -v aarch64-linux-gnu-g++ >/dev/null || missing+=(g++-aarch64-linux-gnu)
if [ "${1:-}" = emulators ]; then
  command -v wine >/dev/null && [ -x /usr/lib/wine/wine64 ] || missing+=(wine wine64)
  command -v qemu-aarch64 >/dev/null && command -v qemu-x86_64 >/dev/null || missing+=(qemu-user)
fi
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "installing ${missing[*]} (Debian packages)..."
  (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}") >/dev/null 2>&1 && exit 0
fi
echo "needed and not installed: ${missing[*]} (Debian, Ubuntu: apt-get install ${missing[*]})" >&2
exit 1
