#!/usr/bin/env bash
# Where the program's memory goes under Wine: heaps, bitmaps and handles after start-up, after
# "System info..." and the wizard, after the chart's ticks, and the growth over repeated opens
# (bench/win/MemoryBench.cpp). Runs in the benches' own prefix (build/bench-wineprefix).
#   bench/memory-bench.sh [ticks] [opens]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD:-$root/build}
cmake --build "$build/win" --target memory_bench >/dev/null
export VELMORA_WINEPREFIX=$root/build/bench-wineprefix
echo "== load average $(cut -d' ' -f1-3 /proc/loadavg)"
env -u DISPLAY "$root/tools/wine-run.sh" "$build/win/memory_bench.exe" "$@" 2>/dev/null
