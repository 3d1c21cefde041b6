#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Extra arguments go to every benchmark
# program (for example --benchmark_filter=Unswizzle). Last, the viewer's start-up to its first
# frame is measured on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_BUILD_TESTS=OFF -DVERTIGON_BUILD_BENCH=ON
cmake --build build/bench
for program in build/bench/bench/*_bench; do
  echo "== $(basename "$program")"
  "$program" "$@"
done
echo "== start-up (bench/startup.sh)"
bench/startup.sh -m samples/demo.ffb build/bench/vertigon
