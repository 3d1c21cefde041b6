#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang-14, AddressSanitizer + UBSan) in build/fuzz: the
# core library, the fixture writers and the targets, all instrumented.
#   scripts/fuzz.sh                  build only
#   scripts/fuzz.sh --smoke          build, then run every target 20 s on its corpus; fails on
#                                    any finding (crash, sanitizer report, leak, timeout, OOM)
#   scripts/fuzz.sh TARGET SECONDS [OPTION...]
#                                    build, then run one target that long (a campaign), with
#                                    more libFuzzer options (-runs=10000000 stops it sooner)
# New inputs go to build/fuzz/corpus/TARGET, findings to build/fuzz/findings/TARGET; the seeds
# in fuzz/corpus/TARGET are only read.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
build=build/fuzz
# -O1 with line tables only: quick to build, fast enough to fuzz, stack traces with lines;
# assertions stay on.
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DVERTIGON_FUZZ=ON -DVERTIGON_WERROR="${VERTIGON_WERROR:-OFF}" >/dev/null
cmake --build "$build" --target fuzz_targets

targets=()
for program in "$build"/fuzz/*_fuzz; do
  targets+=("$(basename "$program" _fuzz)")
done

# The dictionary of the format a target reads.
dictionary_of() {
  case "$1" in
    mdlx_loader) echo fuzz/dict/mdlx.dict ;;
    raw_loader) echo fuzz/dict/raw.dict ;;
    mdls_loader | mset_reader) echo fuzz/dict/mdls.dict ;;
    ffb_plain_loader | ffb_gzip_loader | ffa_animation | viewer_path | texture_writer) echo fuzz/dict/ffb.dict ;;
    program_image) echo fuzz/dict/elf.dict ;;
    emulator) echo fuzz/dict/r5900.dict ;;
  esac
}

# run_target TARGET SECONDS [libFuzzer options...]: exits non-zero on a finding.
run_target() {
  local target=$1 seconds=$2
  shift 2
  local work="$build/corpus/$target" findings="$build/findings/$target"
  mkdir -p "$work" "$findings" fuzz/corpus/"$target"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix="$findings/")
  local dict
  dict=$(dictionary_of "$target")
  if [ -n "$dict" ] && [ -f "$dict" ]; then options+=(-dict="$dict"); fi
  "$build/fuzz/${target}_fuzz" "${options[@]}" "$@" "$work" fuzz/corpus/"$target"
}

case "${1:-}" in
  "") ;;
  --smoke)
    mkdir -p "$build/logs"
    failed=()
    # Two at a time: one per core of the test machine.
    pids=()
    names=()
    for target in "${targets[@]}"; do
      run_target "$target" 20 >"$build/logs/$target.log" 2>&1 &
      pids+=($!)
      names+=("$target")
      if [ ${#pids[@]} -eq 2 ]; then
        for i in "${!pids[@]}"; do wait "${pids[$i]}" || failed+=("${names[$i]}"); done
        pids=()
        names=()
      fi
    done
    for i in "${!pids[@]}"; do wait "${pids[$i]}" || failed+=("${names[$i]}"); done
    for target in "${targets[@]}"; do
      printf '%-18s %s\n' "$target" "$(grep -E '^#[0-9]+' "$build/logs/$target.log" | tail -1)"
    done
    if [ ${#failed[@]} -ne 0 ]; then
      for target in "${failed[@]}"; do
        echo "== finding in $target (input under $build/findings/$target):"
        tail -40 "$build/logs/$target.log"
      done
      exit 1
    fi
    ;;
  *)
    [ $# -ge 2 ] || { echo "usage: scripts/fuzz.sh [--smoke | TARGET SECONDS [OPTION...]]" >&2; exit 2; }
    [ -x "$build/fuzz/$1_fuzz" ] || { echo "no fuzz target $1 (have: ${targets[*]})" >&2; exit 2; }
    run_target "$@"
    ;;
esac
