#!/usr/bin/env bash
# Fuzzes the bitmap list's stream reader natively with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14). Not part of the test suite.
#   tests/fuzz/bitmap-stream.sh [runs]     (default 1000000 inputs)
set -euo pipefail
source "$(dirname "$0")/common.sh"
fuzz_build bitmap-stream tests/fuzz/BitmapStreamFuzz.cpp src/instruments/MtBitmapStream.cpp \
  src/framework/DibFormat.cpp src/framework/Exception.cpp
mkdir -p "$out/corpus"
# Seeds: an empty list and one with a small file, so that the fuzzer starts from sound streams.
printf 'bT5\0\0\0\0\0' > "$out/corpus/empty"
{
  printf 'bT5\0\1\0\0\0'
  printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x20\0'
  head -c 24 /dev/zero
  printf '\0\0\xff\0'
} > "$out/corpus/one"
"$out/bitmap-stream" -runs="$runs" -max_len=4096 -print_final_stats=1 "$out/corpus"
