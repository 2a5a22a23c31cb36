#!/usr/bin/env bash
# What the running program costs against a bare program that does the same periodic work (a
# 366 x 71 chart drawn off-screen and copied every 300 ms, a 16 x 16 tray icon replaced every
# 300 ms, the memory status and the tooltip every second; bench/win/IdleBare.cpp). Both run in
# turn, for a number of rounds, under the same Wine, in a prefix of their own
# (build/bench-wineprefix, made on first use). For each start it measures:
#   - start to first painted main window: from just before the process is created until its
#     main window shows with it and every window inside it painted, watched from outside
#     (bench/win/FirstPaint.cpp);
#   - idle CPU: the CPU seconds of the process and of the wineserver over the measured stretch,
#     after 8 s of settling (the desktop process that draws the tray, as information);
#   - peak resident memory: the process's high-water mark (VmHWM) at the end of the stretch.
# It prints each start, then the four goals as ratios against the bare program (means over the
# rounds; the CPU as the ratio of the sums) and the executable's size.
#   bench/idle-cost.sh [seconds] [rounds]       (default 20 and 2; build first with `make build`)
# The measuring recipe of the figures in the issue: bench/idle-cost.sh 40 3. VELMORA_EXE names
# another build of the program to measure (an older one, for before-and-after figures).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
secs=${1:-20}
rounds=${2:-2}
win=$root/build/win
exe=${VELMORA_EXE:-$win/velmora.exe}
for f in "$exe" "$win/idle_bare.exe" "$win/first_paint.exe"; do
  [ -f "$f" ] || { echo "idle-cost: run make build first (no $f)" >&2; exit 1; }
done
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

if [ -z "${VELMORA_WINE_READY:-}" ]; then
  # A prefix of its own: no test run shares its wineserver.
  export VELMORA_WINEPREFIX=$root/build/bench-wineprefix
  exec env -u DISPLAY "$root/tools/with-wine.sh" "$0" "$@"
fi

hz=$(getconf CLK_TCK)
# CPU seconds (user + system) of a process so far.
cpu() { awk -v hz="$hz" '{ print ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Peak resident memory of a process, in kB.
hwm() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
# The processes of this prefix whose command line is that of a Windows program of this name
# (Wine gives a process the Windows command line).
pids_of() {
  local p
  for p in /proc/[0-9]*; do
    [ -r "$p/environ" ] || continue
    tr "\0" "\n" 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    tr "\0" " " 2>/dev/null <"$p/cmdline" | grep -qE "^([^ ]*[\\\\/])?$1( |$)" && echo "${p#/proc/}"
  done
  return 0
}
server=$(pids_of wineserver | head -n 1)
[ -n "$server" ] || server=$(pgrep -n -u "$(id -u)" -f "wineserver.* -p" || true)
[ -n "$server" ] || { echo "idle-cost: no wineserver for $WINEPREFIX" >&2; exit 1; }

# Starts one program and measures it (a failure ends the whole run); prints "<first paint ms> <cpu> <server cpu> <desktop cpu>
# <peak kB>".
measure() {
  local line=$1 cls=$2 name pid desk paint p0 s0 d0 peak
  name=${line%% *}
  name=${name##*[\\/]}
  # Into a file: the program inherits the output and keeps a pipe open as long as it runs.
  (cd "$win" && wine first_paint.exe "$line" "$cls" 30 >"$paintlog" 2>/dev/null) || true
  paint=$(awk '/^first paint/ { print $3 }' "$paintlog")
  [ -n "$paint" ] || { echo "idle-cost: $name did not paint its window" >&2; exit 1; }
  pid=
  for _ in $(seq 50); do
    pid=$(pids_of "$name" | head -n 1)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "idle-cost: $name is not running" >&2; exit 1; }
  desk=$(pids_of explorer.exe | head -n 1)
  sleep 8  # start-up and the fade-in are not idle
  p0=$(cpu "$pid"); s0=$(cpu "$server"); d0=$(cpu "${desk:-0}")
  sleep "$secs"
  peak=$(hwm "$pid")
  awk -v m="$paint" -v a="$(cpu "$pid")" -v b="$p0" -v c="$(cpu "$server")" -v d="$s0" \
    -v e="$(cpu "${desk:-0}")" -v f="$d0" -v k="$peak" 'BEGIN { print m, a - b, c - d, e - f, k }'
  # Ends only what it started: the program by its own pid.
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    [ -d "/proc/$pid" ] || break
    sleep 0.1
  done
  sleep 1
}

results=$(mktemp)
paintlog=$(mktemp)
trap 'rm -f "$results" "$paintlog"' EXIT
for r in $(seq "$rounds"); do
  # Alternating which goes first evens out what the machine does meanwhile.
  order="velmora bare"
  [ $((r % 2)) -eq 0 ] && order="bare velmora"
  for who in $order; do
    if [ "$who" = velmora ]; then
      figures=$(measure "$(winepath -w "$exe")" TMainForm) || exit 1
    else
      figures=$(measure "idle_bare.exe $((secs + 40))" IdleBare) || exit 1
    fi
    echo "$who $r $figures" >>"$results"
  done
done

awk -v secs="$secs" -v size="$(stat -c %s "$exe")" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" '
  { n[$1]++; paint[$1] += $3; proc[$1] += $4; srv[$1] += $5; desk[$1] += $6; peak[$1] += $7
    row[NR] = $0 }
  function verdict(ok) { return ok ? "within" : "OVER" }
  BEGIN {
    printf "%-8s %5s %14s %12s %12s %12s %14s\n", "", "round", "first paint ms", "process s", "wineserver s",
           "(desktop s)", "peak resident"
  }
  END {
    for (i = 1; i <= NR; i++) {
      split(row[i], f, " ")
      printf "%-8s %5d %14.0f %12.2f %12.2f %12.2f %11.1f MB\n", f[1], f[2], f[3], f[4], f[5], f[6], f[7] / 1024
    }
    vm = peak["velmora"] / n["velmora"] / 1024; bm = peak["bare"] / n["bare"] / 1024
    vp = paint["velmora"] / n["velmora"]; bp = paint["bare"] / n["bare"]
    vc = proc["velmora"] + srv["velmora"]; bc = proc["bare"] + srv["bare"]
    printf "\nvelmora / bare, %d rounds of %d s (load average %s):\n", n["velmora"], secs, load
    printf "  peak resident memory  %5.1f MB / %5.1f MB = %.2f   goal <= 1.3: %s\n", vm, bm, vm / bm, verdict(vm / bm <= 1.3)
    printf "  executable            %d bytes           goal <= 1572864: %s\n", size, verdict(size <= 1572864)
    printf "  idle CPU              %5.2f s / %5.2f s   = %.2f   goal <= 1.2: %s\n", vc, bc, vc / bc, verdict(vc / bc <= 1.2)
    printf "  first painted window  %5.0f ms / %5.0f ms = %.2f   goal <= 2: %s\n", vp, bp, vp / bp, verdict(vp / bp <= 2)
  }' "$results"
