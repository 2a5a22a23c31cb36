#!/usr/bin/env bash
# Prints build and test figures for the committed state of a repository (default: this one):
#   full make test        wall seconds of `make test` in a fresh clone (a cold build tree; the
#                         Debian packages are taken as already installed)
#   incremental rebuild   wall seconds of rebuilding after touching one source file, plus the
#                         native unit tests, in that same clone
#   velmora.exe           size in bytes and the DLLs it imports
# The clone, its build tree and its Wine prefix are deleted at the end. Wall times depend on
# whatever else the machine is doing: the load average is printed alongside.
#   build-and-test-times.sh [repository] [source file to touch]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=${1:-$(cd "$here/.." && pwd)}
touched=${2:-src/app/MainLogic.cpp}
jobs=${JOBS:-2}

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-times.XXXXXX")
clone=$work/velmora
cleanup() {
  # The prefix's wineserver, if a test left one behind, belongs to this run: end it before the
  # prefix goes.
  if [ -d "$clone/build/wineprefix" ]; then
    WINEPREFIX=$clone/build/wineprefix wineserver -k 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

load() { cut -d' ' -f1-3 /proc/loadavg; }

# Runs "$@" in the clone with its output in a log; prints the wall seconds. On failure the
# figure is still printed, marked, with the end of the log on stderr.
timed() {
  local label=$1 fmt=$2 log=$work/$3
  shift 3
  local t status=0
  local TIMEFORMAT=%R
  # The substitution's subshell keeps the cd; time reports to its stderr, the command to the log.
  t=$(cd "$clone" && { time "$@" >"$log" 2>&1; } 2>&1) || status=$?
  if [ "$status" = 0 ]; then
    printf "%s: $fmt s\n" "$label" "$t"
  else
    printf "%s: $fmt s (FAILED, exit %d)\n" "$label" "$t" "$status"
    echo "--- end of the log of '$*' ---" >&2
    tail -n 30 "$log" >&2
  fi
  return "$status"
}

echo "machine: $(nproc) cores, load average $(load) before the run"
git clone -q "$repo" "$clone"
echo "commit: $(git -C "$clone" log -1 --format='%h %s')"

status=0
timed "full make test" %.0f make-test.log make test || status=1
# What the figure covers: how much was compiled (native and cross) and the tests' outcome.
echo "  compiled: $(grep -c 'Building \(CXX\|C\|RC\) object' "$work/make-test.log" || true) source files"
grep -E 'tests passed|tests failed' "$work/make-test.log" | sed 's/^/  ctest: /' || true

[ -f "$clone/$touched" ] || { echo "no such source file: $touched" >&2; exit 1; }
touch "$clone/$touched"
timed "incremental rebuild after touching $touched + unit tests" %.1f incremental.log \
  sh -c "cmake --build build -j$jobs && build/tests/unit/unit_tests --gtest_brief=1" || status=1
echo "  compiled: $(grep -c 'Building \(CXX\|C\|RC\) object' "$work/incremental.log" || true) source files"

exe=$clone/build/win/velmora.exe
if [ -f "$exe" ]; then
  echo "velmora.exe size: $(stat -c %s "$exe") bytes"
  dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }')
  echo "velmora.exe imports: $(echo "$dlls" | paste -sd' ' -) ($(echo "$dlls" | wc -l) DLLs)"
else
  echo "velmora.exe: not built" >&2
  status=1
fi
echo "load average after the run: $(load)"
exit "$status"
