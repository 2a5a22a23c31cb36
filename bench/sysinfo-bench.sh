#!/usr/bin/env bash
# Prints what gathering the system information costs under Wine: every category but the clock
# measurement, each category's share, and the clock measurement's time and results over ten
# runs. The load average is printed alongside: wall times follow whatever else the machine does.
#   bench/sysinfo-bench.sh [winver ...]     (default: Wine's default version)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD:-$root/build}
cmake --build "$build/win" --target sysinfo_bench >/dev/null
modes=("$@")
[ ${#modes[@]} -gt 0 ] || modes=("")
for mode in "${modes[@]}"; do
  echo "== ${mode:-default version}; load average $(cut -d' ' -f1-3 /proc/loadavg)"
  args=()
  [ -z "$mode" ] || args=(--winver "$mode")
  "$root/tools/wine-run.sh" "${args[@]}" "$build/win/sysinfo_bench.exe" 2>/dev/null
done
