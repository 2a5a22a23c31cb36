# Sourced: the Wine prefix of this build tree, a display, and one long-lived wineserver.
# The prefix lives in build/wineprefix, never in $HOME.
_wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${VELMORA_WINEPREFIX:-$_wine_root/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: they cannot be fetched here.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

# A display: the caller's, or one Xvfb shared by the whole run (see with-display).
wine_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    _wine_xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; return 0; fi
    kill "$_wine_xvfb_pid" 2>/dev/null || true
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

# Creates the prefix once (fonts, substitutes), serialised across parallel test runs.
wine_ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      # Stand-ins for the fonts the windows name; MS Sans Serif and Tahoma come with Wine.
      local k='HKCU\Software\Wine\Fonts\Replacements'
      wine reg add "$k" /v Verdana /d "DejaVu Sans" /f >/dev/null 2>&1
      wine reg add "$k" /v Arial /d "Liberation Sans" /f >/dev/null 2>&1
      wine reg add "$k" /v "Courier New" /d "Liberation Mono" /f >/dev/null 2>&1
      wine reg add "$k" /v "Times New Roman" /d "Liberation Serif" /f >/dev/null 2>&1
      # No crash dialog: a crashed test must end, not wait for a click.
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.velmora-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

wine_env_ready() {
  wine_ensure_display
  wine_ensure_prefix
}
