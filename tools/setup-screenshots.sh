#!/usr/bin/env bash
# Screenshots of the setup program under Xvfb at 1024x768, in the build's Wine prefix:
#   setup-screenshots.sh path/to/velmora-VERSION-setup.exe out-dir
# installs Velmora into Program Files, and writes out-dir/setup-1-welcome.png,
# setup-2-folder.png, setup-3-refused.png (the box a folder name too long gets),
# setup-4-finish.png, add-remove-programs.png (Wine's Add/Remove Programs with the entry and its
# icon), uninstall-1-confirm.png and uninstall-2-question.png (the settings question, answered No).
# The uninstaller then removes Velmora again; the settings are kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${VELMORA_SHOT_INNER:-}" ]; then
  if [ $# -ne 2 ]; then
    echo "usage: $0 path/to/velmora-VERSION-setup.exe out-dir" >&2
    exit 2
  fi
  [ -f "$1" ] || { echo "setup-screenshots: no such setup program: $1" >&2; exit 1; }
  setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  mkdir -p "$2"
  out=$(cd "$2" && pwd)
  exec env -u DISPLAY VELMORA_SHOT_INNER=1 "$here/with-wine.sh" "$0" "$setup" "$out"
fi

setup=$1 out=$2
timeout=60

# The id of the newest visible X window of that title (the uninstaller's ends with a blank) other
# than those given.
find_window() {
  local title=$1
  shift
  local id
  for id in $(xdotool search --onlyvisible --name "^${title} ?\$" 2>/dev/null | sort -rn); do
    case " $* " in *" $id "*) continue ;; esac
    echo "$id"
    return
  done
}

await_window() {
  local id=
  for _ in $(seq $((timeout * 2))); do
    id=$(find_window "$@")
    [ -n "$id" ] && break
    sleep 0.5
  done
  if [ -z "$id" ]; then
    echo "setup-screenshots: no window \"$1\" within ${timeout}s" >&2
    exit 1
  fi
  echo "$id"
}

# Saves what the screen shows of window $1 as $2, the window active.
shoot() {
  local info x y w h
  info=$(xwininfo -id "$1")
  x=$(printf '%s\n' "$info" | awk -F: '/Absolute upper-left X/ { gsub(/ /, "", $2); print $2 }')
  y=$(printf '%s\n' "$info" | awk -F: '/Absolute upper-left Y/ { gsub(/ /, "", $2); print $2 }')
  w=$(printf '%s\n' "$info" | awk -F: '/Width/ { gsub(/ /, "", $2); print $2 }')
  h=$(printf '%s\n' "$info" | awk -F: '/Height/ { gsub(/ /, "", $2); print $2 }')
  # A click on its lower left corner (beside the branding text) activates it; then the pointer
  # goes out of the way.
  xdotool mousemove $((x + 12)) $((y + h - 12)) sleep 0.3 click 1 sleep 0.3 mousemove 0 0
  sleep 0.5
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$2"
  echo "setup-screenshots: wrote $out/$2 (${w}x${h})"
}

# Keys to the window (its X focus first: windows come and go).
keys() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  sleep 0.2
  xdotool key --delay 150 "$@"
}

# Every program in one Wine desktop, "shell", the name for which Wine's explorer shows a taskbar.
run() { wine explorer /desktop=shell,1024x768 "$@" >/dev/null 2>&1 & }

cd "$(dirname "$setup")"
run "$(basename "$setup")"

wizard=$(await_window "Velmora Setup")
sleep 1.5
shoot "$wizard" setup-1-welcome.png
keys "$wizard" Return
sleep 1.5
shoot "$wizard" setup-2-folder.png

# A folder name too long for the files after it: refused with a box that fits the screen.
long="C:\\Program Files\\$(printf 'Velmora%.0s' $(seq 40))"
keys "$wizard" Home shift+End BackSpace
xdotool type --delay 2 "$long"
keys "$wizard" Return
box=$(await_window "Velmora Setup" "$wizard")
sleep 0.7
shoot "$box" setup-3-refused.png
keys "$box" Return
sleep 0.7
keys "$wizard" Home shift+End BackSpace
xdotool type --delay 20 'C:\Program Files\Velmora'
keys "$wizard" Return

# The files' page goes on to the finish page by itself.
sleep 5
shoot "$wizard" setup-4-finish.png
# Finish, with "Start Velmora" unticked: the uninstaller comes next.
keys "$wizard" space Return
sleep 2

run control.exe appwiz.cpl
arp=$(await_window "Add/Remove Programs")
sleep 2
shoot "$arp" add-remove-programs.png
xdotool windowclose "$arp" 2>/dev/null || keys "$arp" Escape
sleep 1

run "C:\\Program Files\\Velmora\\uninstall.exe"
page=$(await_window "Velmora Uninstall")
sleep 1.5
shoot "$page" uninstall-1-confirm.png
keys "$page" Return
question=$(await_window "Velmora Uninstall" "$page")
sleep 0.7
shoot "$question" uninstall-2-question.png
keys "$question" n
sleep 1.5
keys "$page" Return
sleep 1
# with-wine.sh ends what is left and its wineserver on the way out.
