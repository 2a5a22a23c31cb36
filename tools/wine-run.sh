#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix, headless when there is no display.
#   wine-run.sh [--winver win98|nt40|win2k|winxp|win7|win10] program.exe [args...]
# With VELMORA_WINEARCH=win64 it runs in the build's 64-bit prefix instead.
# The Windows version is set for that program's file name only (Wine's AppDefaults key).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${VELMORA_WINE_READY:-}" ]; then
  exec "$here/with-wine.sh" "$0" "$@"
fi
source "$here/wine-env.sh"
# The 64-bit prefix is made on first use; the 32-bit one by with-wine.sh.
if [ "$WINEARCH" = win64 ]; then wine_ensure_prefix; fi

winver=
if [ "${1:-}" = "--winver" ]; then winver=$2; shift 2; fi
exe=$1; shift
name=$(basename "$exe")
key="HKCU\\Software\\Wine\\AppDefaults\\$name"
if [ -n "$winver" ]; then
  wine reg add "$key" /v Version /d "$winver" /f >/dev/null 2>&1
else
  wine reg delete "$key" /v Version /f >/dev/null 2>&1 || true
fi
cd "$(dirname "$exe")"
exec wine "$name" "$@"
