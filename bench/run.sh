#!/usr/bin/env bash
# The whole benchmark: builds splyce in build-bench, installs the npm peer into
# a scratch folder, generates the sites under /tmp and prints the table.
#   bench/run.sh            full run (5 runs per command)
#   bench/run.sh --quick    3 runs per command
# Further options go to bench.py (see bench/bench.py --help).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
scratch="${SPLYCE_BENCH_DIR:-/tmp/splyce-bench}"

cmake -S "$repo" -B "$repo/build-bench" -DCMAKE_BUILD_TYPE=Release -DSPLYCE_TESTS=OFF >/dev/null
cmake --build "$repo/build-bench" -j2 >/dev/null

for tool in perl python3 node npm gnuplot cp cat; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (Debian: perl, python3, nodejs, npm, gnuplot-nox)" >&2; exit 1; }
done

npm_dir="$scratch/npm"
if [ ! -f "$npm_dir/node_modules/replace-in-file/package.json" ]; then
  mkdir -p "$npm_dir"
  # 8.x is the newest line that runs on Debian's node 20.
  (cd "$npm_dir" && npm init -y >/dev/null && npm install --no-audit --no-fund --silent replace-in-file@8.3.1)
fi

exec python3 "$here/bench.py" --splyce "$repo/build-bench/splyce" --npm-dir "$npm_dir" --dir "$scratch" "$@"
