#!/usr/bin/env bash
# Fuzzes the link text's HTML reading and layout natively with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14). Not part of the test suite.
#   tests/fuzz/html-layout.sh [runs]     (default 1000000 inputs)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-1000000}
out=$root/build/fuzz
cxx=$(command -v clang++-14 || command -v clang++ || true)
[ -n "$cxx" ] || { echo "html-layout: clang++ 14 is needed (apt-get install clang-14)" >&2; exit 1; }
mkdir -p "$out/html-corpus"
"$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I "$root/src" "$root/tests/fuzz/HtmlLayoutFuzz.cpp" "$root/src/shell/HtmlLayout.cpp" -o "$out/html-layout"
# Seeds in the shape of real texts (the first two bytes choose the area's size).
seed() { printf '%s' "$2" > "$out/html-corpus/$1"; }
seed link $'\x80\x03Have you tried the power of <a href="http://www.velmora.com/compare.html"><b>Velmora Pro</b></a>?'
seed list $'\x40\x40<ul><li>one<li><font color=#FF00 size=12 face="Arial">two</font><ul><li>x</ul></ul><hr>'
seed misc $'\x20\x60<p align="center" bgcolor=clYellow>a &lt;b&gt; &amp;&nbsp;<#c></p><img src="idx:-1" align="middle"><sup>2</sup><sub>x</sub><r a=90>r</r><ind x=40><blink>b</blink><body bgcolor=clred>'
"$out/html-layout" -runs="$runs" -max_len=4096 -timeout=10 -print_final_stats=1 "$out/html-corpus"
