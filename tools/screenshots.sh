#!/usr/bin/env bash
# Screenshots of the program under Xvfb at 1024x768, in the build's Wine prefix:
#   screenshots.sh path/to/velmora.exe out-dir
# writes out-dir/desktop.png (the whole screen), out-dir/main-window.png (the main window with
# its frame), out-dir/hint.png (the same with the pointer resting on "System info..." and its
# hint showing), out-dir/sysinfo-NN-page.png (each page of the system information dialog) and
# out-dir/wizard-N-page.png (each page of the optimization wizard). The program runs on a Wine virtual desktop with a taskbar, so that the window gets a
# caption drawn by Wine and the notification-area icons are visible; nothing else on the machine
# is captured.
#   VELMORA_SHOT_DELAY   seconds to wait after the window appears (default 4: fade-in, first
#                        readouts, a stretch of chart)
#   VELMORA_SHOT_TIMEOUT seconds to wait for the window (default 60)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The main window's caption carries the project's version, written in CMakeLists.txt only.
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$here/../CMakeLists.txt")
title="Velmora v$version"

if [ -z "${VELMORA_SHOT_INNER:-}" ]; then
  if [ $# -ne 2 ]; then
    echo "usage: $0 path/to/velmora.exe out-dir" >&2
    exit 2
  fi
  [ -f "$1" ] || { echo "screenshots: no such program: $1" >&2; exit 1; }
  exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  mkdir -p "$2"
  out=$(cd "$2" && pwd)
  # Never the caller's display: always a fresh Xvfb of the documented size.
  exec env -u DISPLAY VELMORA_SHOT_INNER=1 "$here/with-wine.sh" "$0" "$exe" "$out"
fi

exe=$1 out=$2
name=$(basename "$exe")
delay=${VELMORA_SHOT_DELAY:-4}
timeout=${VELMORA_SHOT_TIMEOUT:-60}

cd "$(dirname "$exe")"
# Wine's default version: the tests may have left another one set for this program file.
wine reg delete "HKCU\\Software\\Wine\\AppDefaults\\$name" /v Version /f >/dev/null 2>&1 || true
# "shell" is the desktop name for which Wine's explorer shows a taskbar with the tray.
wine explorer /desktop=shell,1024x768 "$name" >/dev/null 2>&1 &
desk_pid=$!

# X knows the window's title and the program's file name (its X class), not the Windows class;
# the title plus the file name is unique to the main window.
find_window() {
  xwininfo -root -tree 2>/dev/null |
    awk -v t="\"$title\": (\"$name\"" 'index($0, t) { print $1; exit }'
}

# The window of $title once it is there; the script ends when it does not come.
await_window() {
  local wid=
  for _ in $(seq $((timeout * 2))); do
    wid=$(find_window)
    [ -n "$wid" ] && break
    sleep 0.5
  done
  if [ -z "$wid" ]; then
    echo "screenshots: the window \"$title\" did not appear within ${timeout}s" >&2
    exit 1
  fi
  echo "$wid"
}

id=
for _ in $(seq $((timeout * 2))); do
  id=$(find_window)
  [ -n "$id" ] && break
  if ! kill -0 "$desk_pid" 2>/dev/null; then break; fi
  sleep 0.5
done
if [ -z "$id" ]; then
  echo "screenshots: the window \"$title\" of $name did not appear within ${timeout}s" >&2
  xwininfo -root -tree 2>/dev/null | grep -F '("' | sed 's/^/  /' >&2 || true
  exit 1
fi

sleep "$delay"

# Geometry after the delay: restoring a stored placement may have moved the window.
info=$(xwininfo -id "$id")
field() { printf '%s\n' "$info" | awk -F: -v k="$1" '$1 ~ k { gsub(/ /, "", $2); print $2; exit }'; }
x=$(field "Absolute upper-left X") y=$(field "Absolute upper-left Y")
w=$(field "Width") h=$(field "Height") state=$(field "Map State")
mx=$x my=$y
if [ "$state" != IsViewable ]; then
  echo "screenshots: the window \"$title\" is not visible (state $state; minimised into the tray?)" >&2
  exit 1
fi

import -window root "$out/desktop.png"
# Clip to the screen in case the window hangs over an edge.
convert "$out/desktop.png" -crop "${w}x${h}+${x}+${y}" +repage "$out/main-window.png"

# The pointer on "System info..." (client 230,8, 89 x 65; the classic frame puts the client 3
# pixels in and 22 down) until the hint has come, after its half-second pause.
xdotool mousemove $((x + 3 + 230 + 60)) $((y + 22 + 8 + 48))
sleep 1.5
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/hint.png"
xdotool mousemove 0 0
echo "screenshots: wrote $out/desktop.png, $out/main-window.png and $out/hint.png (${w}x${h} at ${x},${y})"

# The system information dialog: "System info..." pressed, then every page in turn (Ctrl+Tab).
xdotool mousemove $((x + 3 + 230 + 44)) $((y + 22 + 8 + 32)) click 1
xdotool mousemove 0 0
title="Velmora Advanced System Profiler"
sid=$(await_window)
sleep 2
info=$(xwininfo -id "$sid")
x=$(field "Absolute upper-left X") y=$(field "Absolute upper-left Y") w=$(field "Width") h=$(field "Height")
n=0
for page in machine os cpu memory display apm media network devices printers engines drives timezone processes \
            startup software; do
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/sysinfo-$(printf %02d $n)-$page.png"
  if [ "$page" = cpu ]; then
    # The CPU page's second sub-page: Tab into its tab strip, Right, and back the same way.
    xdotool key Tab Right
    sleep 0.7
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/sysinfo-$(printf %02d $n)-$page-features.png"
    xdotool key Left shift+Tab
    sleep 0.3
  fi
  xdotool key ctrl+Tab
  sleep 0.7
  n=$((n + 1))
done
echo "screenshots: wrote $out/sysinfo-*.png, $n pages of the system information dialog"

# The optimization wizard: "Optimize it!" pressed (client 326,8 of the main window), then each
# page in turn with Next (client 242,330 of the wizard, 75 x 23).
xdotool key Escape
sleep 0.5
xdotool mousemove $((mx + 3 + 326 + 44)) $((my + 22 + 8 + 32)) click 1
xdotool mousemove 0 0
title="Velmora Optimization Wizard"
wid=$(await_window)
sleep 1
info=$(xwininfo -id "$wid")
x=$(field "Absolute upper-left X") y=$(field "Absolute upper-left Y") w=$(field "Width") h=$(field "Height")
n=1
for page in welcome memory-and-connection agent complete; do
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/wizard-$n-$page.png"
  xdotool mousemove $((x + 3 + 242 + 37)) $((y + 22 + 330 + 11)) click 1
  xdotool mousemove 0 0
  sleep 0.7
  n=$((n + 1))
done
echo "screenshots: wrote $out/wizard-*.png, $((n - 1)) pages of the optimization wizard"
# with-wine.sh ends the program and its wineserver on the way out.
