#!/usr/bin/env bash
# Starts the program under Wine in the build's own prefix:
#   run.sh path/to/velmora.exe
# With a display it runs in the foreground until the program ends. Without one (a headless
# machine) it runs under Xvfb for a few seconds, writes a screenshot beside the build's "win"
# folder (build/screenshot.png for build/win/velmora.exe) and ends the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ $# -ne 1 ]; then
  echo "usage: $0 path/to/velmora.exe" >&2
  exit 2
fi
exe=$1
[ -f "$exe" ] || { echo "run: no such program: $exe (run 'make build' first)" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ]; then
  exec "$here/wine-run.sh" "$exe"
fi

build=$(cd "$(dirname "$exe")/.." && pwd)
shot=$build/screenshot.png
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
echo "run: no DISPLAY; running $exe under Xvfb for a few seconds" >&2
"$here/screenshots.sh" "$exe" "$tmp" >/dev/null
mv "$tmp/desktop.png" "$shot"
echo "run: screenshot written to $shot"
