#!/usr/bin/env bash
# Fuzzes the bitmap decoder (file and header checks, run-length expansion) natively with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer (clang 14). Not part of the suite.
#   tests/fuzz/bitmap-decoder.sh [runs]     (default 1000000 inputs)
set -euo pipefail
source "$(dirname "$0")/common.sh"
fuzz_build bitmap-decoder tests/fuzz/BitmapDecoderFuzz.cpp src/framework/DibFormat.cpp src/framework/Exception.cpp
mkdir -p "$out/decoder-corpus"
# Seeds: small sound files, 8-bit and 4-bit run-length and a plain 24-bit one.
bmp() {  # bmp WIDTH HEIGHT BPP COMPRESSION PIXEL-BYTES(printf escapes) COUNT
  local off=70 n=$6
  printf 'BM'; printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(((off+n)&255)) $(((off+n)>>8&255)) 0 0)"
  printf '\0\0\0\0\x46\0\0\0\x28\0\0\0'
  printf "$(printf '\\x%02x' "$1")\0\0\0$(printf '\\x%02x' "$2")\0\0\0\1\0$(printf '\\x%02x' "$3")\0"
  printf "$(printf '\\x%02x' "$4")\0\0\0$(printf '\\x%02x' "$n")\0\0\0"
  printf '\0\0\0\0\0\0\0\0\4\0\0\0\0\0\0\0'
  printf '\0\0\0\0\xff\0\0\0\0\xff\0\0\0\0\xff\0'
  printf "$5"
}
bmp 6 2 8 1 '\2\1\0\3\2\3\2\0\310\3\0\0\0\2\1\0\1\2\0\1' 20 > "$out/decoder-corpus/rle8"
bmp 7 1 4 2 '\3\x12\0\3\x34\x50\0\1' 8 > "$out/decoder-corpus/rle4"
bmp 2 1 24 0 '\1\2\3\4\5\6\0\0' 8 > "$out/decoder-corpus/rgb"
"$out/bitmap-decoder" -runs="$runs" -max_len=8192 -print_final_stats=1 "$out/decoder-corpus"
