# Sourced: the Wine prefix of this build tree, a display, and one long-lived wineserver.
# The prefix lives in build/wineprefix, never in $HOME.
_wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# VELMORA_WINEARCH=win64 selects a 64-bit prefix of its own (build/wineprefix64), where the
# 32-bit programs run under WoW64 and the registry has a 64-bit and a 32-bit view.
if [ "${VELMORA_WINEARCH:-win32}" = win64 ]; then
  export WINEPREFIX=${VELMORA_WINEPREFIX64:-$_wine_root/build/wineprefix64}
  export WINEARCH=win64
else
  export WINEPREFIX=${VELMORA_WINEPREFIX:-$_wine_root/build/wineprefix}
  export WINEARCH=win32
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: they cannot be fetched here.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

# A display: the caller's, or an Xvfb of our own. Xvfb picks a free display number itself
# (-displayfd), so parallel runs cannot take the same one.
wine_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local fifo n
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  _wine_xvfb_pid=$!
  n=$(timeout 20 head -n 1 "$fifo" || true)
  rm -f "$fifo"
  if [ -z "$n" ]; then
    kill "$_wine_xvfb_pid" 2>/dev/null || true
    _wine_xvfb_pid=
    echo "wine-env: could not start Xvfb" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

# Creates the prefix once (fonts, substitutes), serialised across parallel test runs.
wine_ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.velmora-ready-3" ]; then
      rm -rf "$WINEPREFIX"
      if [ "$WINEARCH" = win64 ]; then
        # Only the 64-bit loader makes a 64-bit prefix; Debian keeps it off the PATH.
        "$(command -v wine64 || echo /usr/lib/wine/wine64)" wineboot -i >/dev/null 2>&1 || true
      else
        wineboot -i >/dev/null 2>&1 || true
      fi
      wineserver -w
      # Wine's own fonts (MS Sans Serif, Tahoma, Marlett for the caption buttons) are not found
      # where Debian installs them; the prefix's Fonts folder always is.
      cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      # Stand-ins for the fonts the windows name; MS Sans Serif and Tahoma come with Wine.
      local k='HKCU\Software\Wine\Fonts\Replacements'
      wine reg add "$k" /v Verdana /d "DejaVu Sans" /f >/dev/null 2>&1
      wine reg add "$k" /v Arial /d "Liberation Sans" /f >/dev/null 2>&1
      wine reg add "$k" /v "Courier New" /d "Liberation Mono" /f >/dev/null 2>&1
      wine reg add "$k" /v "Times New Roman" /d "Liberation Serif" /f >/dev/null 2>&1
      # One virtual desktop: without a window manager Wine waits on every top-level window
      # shown or hidden; inside its own desktop it does not, and windows get their frames.
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
      # The classic colour scheme the program was drawn for.
      local c
      for c in "ActiveBorder=192 192 192" "ActiveTitle=0 0 128" "AppWorkSpace=128 128 128" \
               "Background=0 128 128" "ButtonDkShadow=0 0 0" "ButtonFace=192 192 192" \
               "ButtonHilight=255 255 255" "ButtonLight=223 223 223" "ButtonShadow=128 128 128" \
               "ButtonText=0 0 0" "GradientActiveTitle=16 132 208" "GradientInactiveTitle=181 181 181" \
               "GrayText=128 128 128" "Hilight=0 0 128" "HilightText=255 255 255" \
               "InactiveBorder=192 192 192" "InactiveTitle=128 128 128" "InactiveTitleText=192 192 192" \
               "InfoText=0 0 0" "InfoWindow=255 255 225" "Menu=192 192 192" "MenuText=0 0 0" \
               "Scrollbar=192 192 192" "TitleText=255 255 255" "Window=255 255 255" \
               "WindowFrame=0 0 0" "WindowText=0 0 0"; do
        wine reg add 'HKCU\Control Panel\Colors' /v "${c%%=*}" /d "${c#*=}" /f >/dev/null 2>&1
      done
      # No crash dialog: a crashed test must end, not wait for a click.
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.velmora-ready-3"
    fi
  ) 9>"$WINEPREFIX.lock"
}

wine_env_ready() {
  wine_ensure_display
  wine_ensure_prefix
}
