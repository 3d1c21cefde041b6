#!/usr/bin/env bash
# Builds the display-free libraries (scene, ee, formats, export) and their test suites for 64-bit
# ARM Linux with Debian's cross compiler, then runs the tests under qemu-aarch64 (qemu-user): the
# emulator's portable float path on a processor without the x86 fast path. The emulator tests
# call the host's mipsel-linux-gnu-as and qemu-mipsel from inside qemu-user, which works.
# Warnings are errors. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --arm64

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build/aarch64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVERTIGON_GRAPHICS=OFF -DVERTIGON_WERROR=ON "${launcher[@]}"
cmake --build build/aarch64
(
  export VERTIGON_REQUIRE_MIPS_TOOLS=1  # never skip the assembler-driven tests
  ctest --test-dir build/aarch64 --output-on-failure --parallel "$(nproc)"
)
