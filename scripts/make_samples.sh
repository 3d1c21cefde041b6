#!/usr/bin/env bash
# Regenerates every bundled sample in samples/ from the generators in samples/generate/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
for generator in build/release/make_*_sample; do
  [ -x "$generator" ] || continue
  echo "== $(basename "$generator")"
  "$generator" samples
done
