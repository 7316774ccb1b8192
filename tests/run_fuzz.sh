#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a bounded time from the
# committed seed corpus. Any finding fails the stage; the input that found it
# is kept in build-fuzz/findings/.
# FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

cmake -S . -B build-fuzz "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSPLYCE_SANITIZE=ON -DSPLYCE_FUZZ=ON -DSPLYCE_TESTS=OFF >/dev/null
cmake --build build-fuzz -j 2 --target fuzz_marks fuzz_walks fuzz_run

mkdir -p build-fuzz/findings
status=0
for target in marks walks run; do
  # New inputs go to a scratch folder: the committed corpus stays as it is.
  scratch=$(mktemp -d)
  log=build-fuzz/fuzz_$target.log
  if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=4096 \
    -dict=fuzz/$target.dict -artifact_prefix=build-fuzz/findings/$target- \
    "$scratch" fuzz/corpus/$target >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log"), no finding"
  else
    echo "fuzz_$target: FINDING"
    tail -n 60 "$log"
    status=1
  fi
  rm -rf "$scratch"
done
exit $status
