#!/usr/bin/env bash
# Builds the project into build/ (and, with --sanitize, the sanitizer build into build-asan/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$jobs"
if [ "${1:-}" = "--sanitize" ]; then
  cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DPORTALMEND_SANITIZE=ON -DPORTALMEND_BENCH=OFF >/dev/null
  cmake --build "$root/build-asan" -j "$jobs"
fi
