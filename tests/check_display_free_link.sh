#!/usr/bin/env bash
# Fails when a program needs a graphics or windowing library (OpenGL, EGL, libepoxy, GLES, X11,
# GTK, wxWidgets) or does not start:
#   check_display_free_link.sh PROGRAM                      passes when PROGRAM needs none
#   check_display_free_link.sh --expect-graphics PROGRAM    passes only when the check finds one
#                                                           (the check itself can fail)
set -euo pipefail

graphics='^lib(epoxy|EGL|GL|GLX|OpenGL|GLES|GLESv2|X11|xcb|gtk|gdk|wx_)'

needed() { readelf --dynamic "$1" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p'; }

check() {
  local program=$1 libraries
  libraries=$(needed "$program")
  [ -n "$libraries" ] || { echo "$program: no needed libraries read"; return 2; }
  if grep -E "$graphics" <<<"$libraries"; then
    echo "$program needs the graphics libraries above"
    return 1
  fi
  "$program" --version >/dev/null || { echo "$program does not start"; return 2; }
}

if [ "${1:-}" = "--expect-graphics" ]; then
  status=0
  check "$2" >/dev/null || status=$?
  [ "$status" -eq 1 ] || { echo "the check found no graphics library in $2"; exit 1; }
  exit 0
fi

check "$1"
