#!/bin/sh
# Makes the setup program and the portable zip from the built program and its help file.
#   mkdist.sh SRCDIR VERSION WEBSITE EXE CHM STAGE OUTDIR MAKENSIS ZIP
# Every file gets one time stamp, SOURCE_DATE_EPOCH or else the last commit's time, so that the
# same sources give the same zip (and the installer installs files with that date).
set -eu
src=$1 version=$2 website=$3 exe=$4 chm=$5 stage=$6 out=$7 makensis=$8 zip=$9

# The plug-ins the setup's pages may load (the Modern UI's welcome and finish pages): makensis
# sees only these, in an NSIS folder of the build's own, and the import-floor test reads them
# all there.
plugins="nsDialogs.dll System.dll"

epoch=${SOURCE_DATE_EPOCH:-}
if [ -z "$epoch" ]; then
  epoch=$(git -C "$src" log -1 --format=%ct 2>/dev/null || true)
fi
if [ -z "$epoch" ]; then
  epoch=$(date -r "$exe" +%s)
fi

rm -rf "$stage"
mkdir -p "$stage" "$out"
cp "$exe" "$stage/velmora.exe"
cp "$chm" "$stage/velmo.chm"
# Notepad of every Windows version wants CR LF.
sed -e 's/\r$//' -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$src/dist/README.txt" > "$stage/README.txt"
chmod 644 "$stage"/*
touch -d "@$epoch" "$stage"/*

system_nsis=$("$makensis" -HDRINFO | tr ',' '\n' | sed -n 's/^NSISDIR=//p')
nsis=$(dirname "$stage")/nsis
rm -rf "$nsis"
mkdir -p "$nsis/Plugins/x86-ansi" "$nsis/Plugins/x86-unicode"
for d in Include Contrib Stubs; do ln -s "$system_nsis/$d" "$nsis/$d"; done
for p in $plugins; do cp "$system_nsis/Plugins/x86-ansi/$p" "$nsis/Plugins/x86-ansi/"; done

setup="$out/velmora-$version-setup.exe"
archive="$out/velmora-$version.zip"
rm -f "$setup" "$archive"
NSISDIR=$nsis "$makensis" -V2 -NOCD -DVERSION="$version" -DWEBSITE="$website" -DSTAGE="$stage" \
  -DEXE_SIZE="$(wc -c < "$stage/velmora.exe")" -DCHM_SIZE="$(wc -c < "$stage/velmo.chm")" \
  -DSRCDIR="$src" -DOUTFILE="$setup" "$src/dist/velmora.nsi"
# Zip keeps local times: one zone for every builder. -X leaves out owner and extra time fields.
(cd "$stage" && TZ=UTC "$zip" -q -X -D "$archive" velmora.exe velmo.chm README.txt)
