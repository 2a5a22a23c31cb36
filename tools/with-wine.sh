#!/usr/bin/env bash
# Runs a command with the build's Wine prefix ready, a display (Xvfb when none is set) and one
# persistent wineserver, so that each Windows program starts fast; tears both down afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
_wine_xvfb_pid=
_own_server=0
cleanup() {
  # Only what this run started: another run may share the prefix's wineserver.
  if [ "$_own_server" = 1 ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$_wine_xvfb_pid" ]; then kill "$_wine_xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
wine_env_ready
# Exit status 2: a server is already running for this prefix, which serves just as well.
if wineserver -p; then _own_server=1; fi
export VELMORA_WINE_READY=1
"$@"
