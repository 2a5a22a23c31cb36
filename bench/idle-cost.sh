#!/usr/bin/env bash
# Idle cost of the running program against a bare program that does the same periodic work (a
# 366 x 71 chart drawn off-screen and copied every 300 ms, a 16 x 16 tray icon replaced every
# 300 ms, the memory status and the tooltip every second; bench/win/IdleBare.cpp). Both run in
# turn under the same Wine, in a prefix of their own (build/bench-wineprefix, made on first use),
# and for each the CPU seconds of its process and of the wineserver over the measured stretch are
# printed (the desktop process that draws the tray, as information).
#   bench/idle-cost.sh [seconds]        (default 60; build first with `make build`)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
secs=${1:-60}
win=$root/build/win
[ -f "$win/velmora.exe" ] && [ -f "$win/idle_bare.exe" ] || { echo "idle-cost: run make build first" >&2; exit 1; }

if [ -z "${VELMORA_WINE_READY:-}" ]; then
  # A prefix of its own: no test run shares its wineserver.
  export VELMORA_WINEPREFIX=$root/build/bench-wineprefix
  exec env -u DISPLAY "$root/tools/with-wine.sh" "$0" "$@"
fi

hz=$(getconf CLK_TCK)
# CPU seconds (user + system) of a process so far.
cpu() { awk -v hz="$hz" '{ print ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# The processes of this prefix whose command line holds a name.
pids_of() {
  local p
  for p in /proc/[0-9]*; do
    [ -r "$p/environ" ] || continue
    tr "\0" "\n" 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    tr "\0" " " 2>/dev/null <"$p/cmdline" | grep -q "$1" && echo "${p#/proc/}"
  done
  return 0
}
server=$(pids_of wineserver | head -n 1)
[ -n "$server" ] || { echo "idle-cost: no wineserver for $WINEPREFIX" >&2; exit 1; }

# Runs one program, lets it settle, measures `secs` seconds; prints "<program> <server> <desktop>".
measure() {
  local exe=$1 name pid desk p0 s0 d0
  name=$(basename "$exe")
  (cd "$(dirname "$exe")" && exec wine "$name" "${@:2}" >/dev/null 2>&1) &
  local launcher=$!
  pid=
  for _ in $(seq 100); do
    pid=$(pids_of "$name" | head -n 1)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "idle-cost: $name did not start" >&2; exit 1; }
  desk=$(pids_of explorer.exe | head -n 1)
  sleep 8  # start-up and the fade-in are not idle
  p0=$(cpu "$pid"); s0=$(cpu "$server"); d0=$(cpu "${desk:-0}")
  sleep "$secs"
  awk -v a="$(cpu "$pid")" -v b="$p0" -v c="$(cpu "$server")" -v d="$s0" -v e="$(cpu "${desk:-0}")" -v f="$d0" \
    'BEGIN { print a - b, c - d, e - f }'
  # Ends only what it started: the program by its own pid.
  kill "$pid" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  sleep 2
}

read -r vp vs vd < <(measure "$win/velmora.exe")
read -r bp bs bd < <(measure "$win/idle_bare.exe" $((secs + 30)))
awk -v vp="$vp" -v vs="$vs" -v vd="$vd" -v bp="$bp" -v bs="$bs" -v bd="$bd" -v secs="$secs" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
  printf "%-12s %10s %12s %10s %12s\n", "over " secs " s", "process", "wineserver", "sum", "(desktop)"
  printf "%-12s %10.2f %12.2f %10.2f %12.2f\n", "velmora", vp, vs, vp + vs, vd
  printf "%-12s %10.2f %12.2f %10.2f %12.2f\n", "bare", bp, bs, bp + bs, bd
  printf "velmora / bare: %.2f (load average %s)\n", (vp + vs) / (bp + bs), load
}'
