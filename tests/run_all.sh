#!/usr/bin/env bash
# Builds the tool and runs every test: the normal build, then the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the end-to-end
# tests against the Windows executable under wine (tests/run_windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

echo "== normal build"
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DSPLYCE_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

echo "== fuzzing: every libFuzzer target for a bounded time (tests/run_fuzz.sh)"
bash tests/run_fuzz.sh

echo "== Windows executable (mingw-w64) under wine"
bash tests/run_windows.sh build/tests/splyce_e2e_tests
