#!/usr/bin/env bash
# Installs what is missing, builds the plain and the sanitizer build, and runs every test in both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh" --sanitize
jobs=$(nproc)
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
echo "== tests =="
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
