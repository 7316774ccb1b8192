#!/usr/bin/env bash
# The Windows stage: cross-builds splyce.exe with mingw-w64 into build-win and
# runs the end-to-end tests against it under wine, expecting the Windows
# console and path rules. The test binary itself is the native one
# (default: build/tests/splyce_e2e_tests, built by the normal stage).
# Without the cross compiler or a working wine the stage is skipped with a
# message, except on CI (CI=true), where it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
e2e=${1:-build/tests/splyce_e2e_tests}
jobs=$(nproc 2>/dev/null || echo 2)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
started=$SECONDS

cannot() {
  if [ "${CI:-}" = true ]; then
    echo "Windows stage: $1" >&2
    exit 1
  fi
  echo "== Windows stage skipped: $1"
  exit 0
}

command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
  cannot "no mingw-w64 cross compiler (apt-get install g++-mingw-w64-x86-64-posix mingw-w64)"
command -v wine >/dev/null || cannot "no wine (apt-get install wine wine64)"
[ -x "$e2e" ] || { echo "Windows stage: no end-to-end test binary at $e2e" >&2; exit 1; }

cmake -S . -B build-win "${generator[@]}" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DSPLYCE_TESTS=OFF >/dev/null
cmake --build build-win -j "$jobs"
exe=$PWD/build-win/splyce.exe

# A prefix of its own under the build folder, made once and quietly: no
# debugging output, no Mono or Gecko installer. A wine server that stays up
# for the whole stage spares every run the server's start.
export WINEDEBUG=-all WINEPREFIX=$PWD/build-win/wineprefix WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi
wineserver -p || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine "$exe" --help >/dev/null 2>&1 || cannot "wine cannot run $exe"

# The suite in shards side by side: most of a run under wine is waiting.
shards=$((jobs * 2))
logs=build-win/e2e-logs
rm -rf "$logs"
mkdir -p "$logs"
pids=()
for ((i = 0; i < shards; i++)); do
  SPLYCE_E2E_BINARY=$exe SPLYCE_E2E_RUNNER=wine SPLYCE_E2E_TARGET=windows \
    GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$i \
    timeout 1800 "$e2e" >"$logs/shard-$i.txt" 2>&1 &
  pids+=($!)
done
failed=0
for ((i = 0; i < shards; i++)); do
  if ! wait "${pids[$i]}"; then
    failed=1
    cat "$logs/shard-$i.txt"
  fi
done
passed=$(cat "$logs"/shard-*.txt | grep -c '^\[       OK \]' || true)
skipped=$(cat "$logs"/shard-*.txt | grep -E '^\[  SKIPPED \] [A-Za-z].* \([0-9]+ ms\)$' | sed 's/ ([0-9]* ms)$//' | sort -u || true)
echo "Windows stage: $passed end-to-end tests passed under wine, $(printf '%s' "$skipped" | grep -c . || true) skipped ($((SECONDS - started)) s):"
[ -z "$skipped" ] || printf '%s\n' "$skipped"
if [ "$failed" -ne 0 ]; then
  echo "Windows stage: end-to-end tests failed under wine" >&2
  exit 1
fi
