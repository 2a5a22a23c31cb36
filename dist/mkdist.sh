#!/bin/sh
# Makes the setup program and the portable zip from the built program and its help file.
#   mkdist.sh SRCDIR VERSION EXE CHM STAGE OUTDIR MAKENSIS ZIP
# Every file gets one time stamp, SOURCE_DATE_EPOCH or else the last commit's time, so that the
# same sources give the same zip (and the installer installs files with that date).
set -eu
src=$1 version=$2 exe=$3 chm=$4 stage=$5 out=$6 makensis=$7 zip=$8

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

setup="$out/velmora-$version-setup.exe"
archive="$out/velmora-$version.zip"
rm -f "$setup" "$archive"
"$makensis" -V2 -NOCD -DVERSION="$version" -DSTAGE="$stage" -DSRCDIR="$src" -DOUTFILE="$setup" \
  "$src/dist/velmora.nsi"
# Zip keeps local times: one zone for every builder. -X leaves out owner and extra time fields.
(cd "$stage" && TZ=UTC "$zip" -q -X -D "$archive" velmora.exe velmo.chm README.txt)
