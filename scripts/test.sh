#!/usr/bin/env bash
# The project's test command, in stages, each timed:
#   1. Debug with Clang, AddressSanitizer and UndefinedBehaviorSanitizer, every default target
#      and every GoogleTest suite (the stage to run alone while developing:
#      VERTIGON_TEST_STAGES=1 scripts/test.sh);
#   2. Release with GCC, every default target including the tests (what a packager builds);
# so both compilers build everything, GCC at -O3, where its flow-based warnings appear.
#   3. the fuzz targets built with Clang (core library and fixture writers included), each run
#      20 s on its corpus; any finding fails (scripts/fuzz.sh --smoke);
#   4. the browser edition: the WebAssembly build with Emscripten, the module's tests in node and
#      the page's in headless Chromium (scripts/web_test.sh);
#   5. the display-free libraries and their tests built for 64-bit ARM and run under
#      qemu-aarch64 (scripts/cross-check.sh). Not in the default stages: a cold build takes
#      longer than all the others together (VERTIGON_TEST_STAGES="1 2 3 4 5" runs it).
# Warnings are errors in every stage. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

stages="${VERTIGON_TEST_STAGES:-1 2 3 4}"
export VERTIGON_WERROR=ON

stage_started=$SECONDS
stage_done() { echo "== stage $1 took $((SECONDS - stage_started)) s"; stage_started=$SECONDS; }

scripts/setup.sh

if [[ " $stages " == *" 1 "* ]]; then
  cmake -S . -B build/test -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=Debug -DVERTIGON_SANITIZE=ON -DVERTIGON_WERROR=ON
  cmake --build build/test
  # The Khronos glTF validator the export tests run, installed once per build tree.
  validator_version=$(node -p "require('./tests/export/package.json').dependencies['gltf-validator']")
  if [ ! -d build/test/validator/node_modules/gltf-validator ]; then
    npm install --prefix build/test/validator --no-audit --no-fund --no-save "gltf-validator@$validator_version"
  fi
  (
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export VERTIGON_REQUIRE_MIPS_TOOLS=1  # set up above; never skip the assembler-driven tests
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # A second try only for a test that failed once: LeakSanitizer's exit-time tracer can crash
    # while llvmpipe's threads wind down, and the window tests wait on a loaded X server. A test
    # that fails twice fails the run.
    ctest --test-dir build/test --output-on-failure --parallel "$(nproc)" --repeat until-pass:2
  )
  stage_done "1 (Clang sanitizer build and GoogleTest)"
fi

if [[ " $stages " == *" 2 "* ]]; then
  cmake -S . -B build/release-check -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERTIGON_WERROR=ON
  cmake --build build/release-check
  stage_done "2 (GCC Release build of every default target)"
fi

if [[ " $stages " == *" 3 "* ]]; then
  scripts/fuzz.sh --smoke
  stage_done "3 (Clang fuzz targets and their smoke run)"
fi

if [[ " $stages " == *" 4 "* ]]; then
  scripts/web_test.sh
  stage_done "4 (WebAssembly build, module tests in node, page tests in headless Chromium)"
fi

if [[ " $stages " == *" 5 "* ]]; then
  scripts/cross-check.sh
  stage_done "5 (64-bit ARM build and its tests under qemu-aarch64)"
fi
