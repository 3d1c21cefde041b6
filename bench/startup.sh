#!/usr/bin/env bash
# The viewer's start-up: the milliseconds from starting `vertigon MODEL` to its first frame on
# the screen, as the program itself reports them (--report-startup), over several runs on a
# private Xvfb display. Prints each run, then the median and quartiles of each viewer.
# Usage: bench/startup.sh [-m MODEL] [-n RUNS] VIEWER [VIEWER...]
# Given several viewers (two builds to compare), it runs them in turn, round by round: a
# virtual machine's speed drifts by tens of milliseconds within minutes, and separate series
# of runs would measure the drift along with the builds.
set -euo pipefail
model=$(dirname "$0")/../samples/demo.ffb
runs=9
while getopts "m:n:" option; do
  case $option in
    m) model=$OPTARG ;;
    n) runs=$OPTARG ;;
    *) echo "usage: $0 [-m MODEL] [-n RUNS] VIEWER [VIEWER...]" >&2; exit 64 ;;
  esac
done
shift $((OPTIND - 1))
(($# > 0)) || { echo "usage: $0 [-m MODEL] [-n RUNS] VIEWER [VIEWER...]" >&2; exit 64; }
viewers=("$@")

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1

# One run: prints "WALL CPU" from the viewer's own report.
run_once() {
  local viewer=$1 line="" text
  coproc viewer_run { exec env DISPLAY="$display" "$viewer" --report-startup "$model" 2>&1 >/dev/null; }
  while IFS= read -r -t 30 text <&"${viewer_run[0]}"; do
    if [[ $text == *"first frame on the screen"* ]]; then line=$text; break; fi
  done
  kill "$viewer_run_PID" 2>/dev/null || true
  wait "$viewer_run_PID" 2>/dev/null || true
  [[ -n $line ]] || return 1
  # "... screen W ms after start-up (C ms of processor time)"
  sed -E 's/.*screen ([0-9.]+) ms.*\(([0-9.]+) ms of processor.*/\1 \2/' <<<"$line"
}

declare -A walls cpus
for ((run = 1; run <= runs; ++run)); do
  for ((v = 0; v < ${#viewers[@]}; ++v)); do
    result=$(run_once "${viewers[v]}") || { echo "${viewers[v]}: no first frame reported" >&2; exit 1; }
    read -r wall cpu <<<"$result"
    echo "${viewers[v]} run $run: $wall ms to the first frame, $cpu ms of processor time"
    walls[$v]+="$wall "
    cpus[$v]+="$cpu "
  done
done

# "median M (quartiles Q1-Q3)" of the numbers given.
summary() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
    END { printf "median %s (quartiles %s-%s)", v[int((NR + 1) / 2)], v[int((NR + 3) / 4)], v[int((3 * NR + 3) / 4)] }'
}
for ((v = 0; v < ${#viewers[@]}; ++v)); do
  # shellcheck disable=SC2086  # the lists are space-separated numbers
  echo "${viewers[v]}, $runs runs: $(summary ${walls[$v]}) ms to the first frame, $(summary ${cpus[$v]}) ms of processor time"
done
