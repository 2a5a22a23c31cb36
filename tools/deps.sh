#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when missing.
# Idempotent and quick when everything is already there.
set -euo pipefail

need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

# package -> a file or command that shows it is present
declare -A probe=(
  [cmake]=/usr/bin/cmake
  [make]=/usr/bin/make
  [g++]=/usr/bin/g++
  [g++-mingw-w64-i686-win32]=/usr/bin/i686-w64-mingw32-g++-win32
  [binutils-mingw-w64-i686]=/usr/bin/i686-w64-mingw32-windres
  [wine]=/usr/bin/wine
  [wine32:i386]=/usr/lib/wine/wine
  [xvfb]=/usr/bin/Xvfb
  [xauth]=/usr/bin/xauth
  [x11-utils]=/usr/bin/xwininfo
  [xdotool]=/usr/bin/xdotool
  [fonts-wine]=/usr/share/wine/fonts/tahoma.ttf
  [fonts-liberation]=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
  [fonts-dejavu-core]=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  [fp-utils]=/usr/bin/chmcmd
  [googletest]=/usr/src/googletest/CMakeLists.txt
  [imagemagick]=/usr/bin/convert-im6.q16
  [nsis]=/usr/bin/makensis
  [zip]=/usr/bin/zip
)

missing=()
for p in "${!probe[@]}"; do
  [ -e "${probe[$p]}" ] || missing+=("$p")
done

if [ "$need_i386" = 0 ] && [ ${#missing[@]} = 0 ]; then
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "deps: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [ "$need_i386" = 1 ]; then
  dpkg --add-architecture i386
fi
echo "deps: installing ${missing[*]}" >&2
apt-get update -qq || { echo "deps: apt-get update failed" >&2; exit 1; }
# One by one, so that a package that cannot be installed is named.
for p in "${missing[@]}"; do
  if ! apt-get install -y -qq --no-install-recommends "$p" >/tmp/velmora-deps.log 2>&1; then
    echo "deps: could not install package '$p' (see /tmp/velmora-deps.log)" >&2
    exit 1
  fi
done
