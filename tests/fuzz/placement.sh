#!/usr/bin/env bash
# Fuzzes the parsing of stored window placement and stored property text natively with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer (clang 14). Not part of the suite.
#   tests/fuzz/placement.sh [runs]     (default 1000000 inputs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-1000000}
out=$root/build/fuzz
cxx=$(command -v clang++-14 || command -v clang++ || true)
[ -n "$cxx" ] || { echo "placement: clang++ 14 is needed (apt-get install clang-14)" >&2; exit 1; }
mkdir -p "$out/placement-corpus"
src="$root/src"
"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I "$src" \
  "$here/PlacementFuzz.cpp" "$src/shell/PlacementLogic.cpp" "$src/shell/FormProps.cpp" \
  "$src/framework/TypeInfo.cpp" "$src/framework/Classes.cpp" "$src/framework/Strings.cpp" \
  "$src/framework/Exception.cpp" "$src/framework/Events.cpp" -o "$out/placement"
# Seeds: what the program writes, and what it must survive.
printf '296,266,727,502' >"$out/placement-corpus/normpos"
printf -- '-1,-1,-1,-1' >"$out/placement-corpus/minmax"
printf 'True' >"$out/placement-corpus/bool"
printf ' 2147483648 , -2147483649,,x' >"$out/placement-corpus/overflow"
"$out/placement" -runs="$runs" -max_len=256 -print_final_stats=1 "$out/placement-corpus"
