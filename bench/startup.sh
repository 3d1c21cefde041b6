#!/usr/bin/env bash
# The viewer's start-up: the milliseconds from starting `vertigon MODEL` to its first frame on
# the screen, as the program itself reports them (--report-startup), over several runs on a
# private Xvfb display. Prints each run and the medians.
# Usage: bench/startup.sh VIEWER [MODEL] [RUNS]
set -euo pipefail
viewer=$1
model=${2:-$(dirname "$0")/../samples/demo.ffb}
runs=${3:-9}

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1

walls=()
cpus=()
for ((run = 1; run <= runs; ++run)); do
  line=""
  coproc viewer_run { DISPLAY=$display "$viewer" --report-startup "$model" 2>&1 >/dev/null; }
  while IFS= read -r -t 30 text <&"${viewer_run[0]}"; do
    if [[ $text == *"first frame on the screen"* ]]; then line=$text; break; fi
  done
  kill "$viewer_run_PID" 2>/dev/null || true
  wait "$viewer_run_PID" 2>/dev/null || true
  [[ -n $line ]] || { echo "run $run: no first frame reported" >&2; exit 1; }
  # "... screen W ms after start-up (C ms of processor time)"
  wall=$(sed -E 's/.*screen ([0-9.]+) ms.*/\1/' <<<"$line")
  cpu=$(sed -E 's/.*\(([0-9.]+) ms of processor.*/\1/' <<<"$line")
  echo "run $run: $wall ms to the first frame, $cpu ms of processor time"
  walls+=("$wall")
  cpus+=("$cpu")
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "median of $runs runs: $(median "${walls[@]}") ms to the first frame, $(median "${cpus[@]}") ms of processor time"
