#!/usr/bin/env bash
# Builds Vertigon in Debug with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test suite. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVERTIGON_SANITIZE=ON
cmake --build build/test

# The Khronos glTF validator the export tests run, installed once per build tree.
validator_version=$(node -p "require('./tests/export/package.json').dependencies['gltf-validator']")
if [ ! -d build/test/validator/node_modules/gltf-validator ]; then
  npm install --prefix build/test/validator --no-audit --no-fund --no-save "gltf-validator@$validator_version"
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export VERTIGON_REQUIRE_MIPS_TOOLS=1  # set up above; never skip the assembler-driven tests
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build/test --output-on-failure --parallel "$(nproc)"
