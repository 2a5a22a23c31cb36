#!/usr/bin/env bash
# Fuzzes the bitmap list's stream reader natively with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14). Not part of the test suite.
#   tests/fuzz/bitmap-stream.sh [runs]     (default 1000000 inputs)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-1000000}
out=$root/build/fuzz
cxx=$(command -v clang++-14 || command -v clang++ || true)
[ -n "$cxx" ] || { echo "bitmap-stream: clang++ 14 is needed (apt-get install clang-14)" >&2; exit 1; }
mkdir -p "$out/corpus"
"$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I "$root/src" "$root/tests/fuzz/BitmapStreamFuzz.cpp" "$root/src/instruments/MtBitmapStream.cpp" \
  -o "$out/bitmap-stream"
# Seeds: an empty list and one with a small file, so that the fuzzer starts from sound streams.
printf 'bT5\0\0\0\0\0' > "$out/corpus/empty"
{
  printf 'bT5\0\1\0\0\0'
  printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x20\0'
  head -c 24 /dev/zero
  printf '\0\0\xff\0'
} > "$out/corpus/one"
"$out/bitmap-stream" -runs="$runs" -max_len=4096 -print_final_stats=1 "$out/corpus"
