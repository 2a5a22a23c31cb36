#!/usr/bin/env bash
# Fuzzes the link text's reading and layout with libFuzzer under the address and
# undefined-behaviour sanitizers (clang 14). Not part of the test suite.
#   tests/fuzz/fuzz-html.sh [runs]     default 1000000 inputs
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-1000000}
out=${FUZZ_OUT:-$root/build/fuzz}
mkdir -p "$out/html-corpus"
clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I "$root/src" "$here/HtmlLayoutFuzz.cpp" "$root/src/shell/HtmlLayout.cpp" -o "$out/html-fuzz"
# A few seeds in the shape of real texts.
seed() { printf '%s' "$2" > "$out/html-corpus/$1"; }
seed link $'\x80\x03Have you tried the power of <a href="http://www.velmora.com/compare.html"><b>Velmora Pro</b></a>?'
seed list $'\x40\x40<ul><li>one<li><font color=#FF00 size=12 face="Arial">two</font><ul><li>x</ul></ul><hr>'
seed misc $'\x20\x60<p align="center" bgcolor=clYellow>a &lt;b&gt; &amp;&nbsp;<#c></p><img src="idx:-1" align="middle"><sup>2</sup><sub>x</sub><r a=90>r</r><ind x=40><blink>b</blink><body bgcolor=clred>'
cd "$out"
"$out/html-fuzz" -runs="$runs" -max_len=4096 -timeout=10 -print_final_stats=1 "$out/html-corpus" 2>&1 | tail -n 20
