#!/usr/bin/env bash
# Fails when a source of one room includes a header of a room it may not depend on:
#   check_room_includes.sh ROOT          checks the tree at ROOT
#   check_room_includes.sh --plant ROOT  copies ROOT's rooms, plants an include of formats/ in
#                                        scene/, then one of render/ in cli/, and passes only if
#                                        the check fails on each
set -euo pipefail

# The rooms each room may include besides itself (image/ is shared by the drawing and writing rooms).
# cli/draw/ is a room inside cli/: the tool's drawing commands; the rest of cli/ draws nothing.
declare -A allowed=(
  [scene]=""
  [ee]=""
  [image]=""
  [formats]="scene ee image"
  [render]="scene image"
  [export]="scene image"
  [cli]="scene ee formats export image"
  [cli/draw]="scene ee formats render export image cli"
  [app]="scene ee formats render export image"
  [web]="scene ee formats render export image app cli"
)
rooms="scene ee image formats render export cli app web"

check() {
  local root=$1 bad=0
  for room in ${!allowed[@]}; do
    [ -d "$root/$room" ] || continue
    local permitted=" ${room%%/*} ${allowed[$room]} " inner=()
    # A room inside this one is checked by its own rules.
    for other in ${!allowed[@]}; do
      [[ "$other" == "$room/"* ]] && inner+=(--exclude-dir="${other##*/}")
    done
    while IFS=: read -r file line text; do
      local target
      target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
      case " $rooms " in *" $target "*) ;; *) continue ;; esac
      if [[ "$permitted" != *" $target "* ]]; then
        echo "${file#"$root"/}:$line: $room/ may not include $target/: $text"
        bad=1
      fi
    done < <(grep -rnE "${inner[@]}" --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include "[a-z_]+/' "$root/$room" || true)
  done
  return $bad
}

if [ "${1:-}" = "--plant" ]; then
  root=$2
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  for room in $rooms; do
    [ -d "$root/$room" ] && cp -r "$root/$room" "$scratch/"
  done
  check "$scratch" >/dev/null || { echo "a clean copy failed the check"; exit 1; }
  echo '#include "formats/registry.h"' >> "$scratch/scene/math.h"
  if check "$scratch"; then
    echo "the planted include in scene/ was not found"
    exit 1
  fi
  cp "$root/scene/math.h" "$scratch/scene/math.h"
  echo '#include "render/renderer.h"' >> "$scratch/cli/commands.h"
  if check "$scratch"; then
    echo "the planted include in cli/ was not found"
    exit 1
  fi
  exit 0
fi

check "$1"
