#!/usr/bin/env bash
# Builds Vertigon in Release and shows a model: the one given, or the bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_BUILD_TESTS=OFF >&2
cmake --build build/release >&2

model="${1:-samples/demo.ffb}"
exec build/release/vertigon-cli info "$model"
