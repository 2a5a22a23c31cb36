#!/usr/bin/env bash
# Prints what the system information dialog costs under Wine (creation, filling, saving), with
# the load average alongside: wall times follow whatever else the machine does.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD:-$root/build}
cmake --build "$build/win" --target overview_bench >/dev/null
echo "== load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$root/tools/wine-run.sh" "$build/win/overview_bench.exe" 2>/dev/null
