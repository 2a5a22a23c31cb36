# Sourced by the fuzz scripts: paths, the run count ($1, default a million) and the build of a
# libFuzzer target with AddressSanitizer and UndefinedBehaviorSanitizer (clang 14).
#   fuzz_build NAME SOURCE...   builds $out/NAME from sources relative to the repository
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-1000000}
out=$root/build/fuzz
fuzz_build() {
  local name=$1 cxx srcs=()
  shift
  cxx=$(command -v clang++-14 || command -v clang++ || true)
  [ -n "$cxx" ] || { echo "$name: clang++ 14 is needed (apt-get install clang-14)" >&2; exit 1; }
  for s in "$@"; do srcs+=("$root/$s"); done
  mkdir -p "$out"
  "$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I "$root/src" "${srcs[@]}" -o "$out/$name"
}
