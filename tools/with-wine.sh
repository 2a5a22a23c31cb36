#!/usr/bin/env bash
# Runs a command with the build's Wine prefix ready, a display (Xvfb when none is set) and one
# persistent wineserver, so that each Windows program starts fast; tears both down afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
_wine_xvfb_pid=
wine_env_ready
wineserver -p
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$_wine_xvfb_pid" ] && kill "$_wine_xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export VELMORA_WINE_READY=1
"$@"
