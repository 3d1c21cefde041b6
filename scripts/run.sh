#!/usr/bin/env bash
# Builds Vertigon in Release and shows a model: the one given, or the bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_BUILD_TESTS=OFF >&2
cmake --build build/release >&2

model="${1:-}"
if [ -z "$model" ]; then
  for candidate in samples/*; do
    case "$candidate" in *.ffb|*.mdlx|*.raw|*.FFB|*.MDLX|*.RAW) model="$candidate"; break ;; esac
  done
fi
if [ -z "$model" ]; then
  echo "No model given and no bundled sample yet." >&2
  exec build/release/vertigon-cli --help
fi
exec build/release/vertigon-cli info "$model"
