#!/usr/bin/env bash
# Fuzzes the reading of recorded CPUID answers and the processor identification that decodes
# them, natively with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer (clang 14).
# Not part of the test suite.
#   tests/fuzz/cpuid-dump.sh [runs]     (default 1000000 inputs)
set -euo pipefail
source "$(dirname "$0")/common.sh"
fuzz_build cpuid-dump tests/fuzz/CpuDumpFuzz.cpp src/sysinfo/CpuDump.cpp src/sysinfo/CpuLogic.cpp \
  src/sysinfo/CpuIsa.cpp src/sysinfo/CpuTopology.cpp src/sysinfo/CpuNames.cpp \
  src/sysinfo/CpuReport.cpp src/sysinfo/ReportText.cpp src/framework/Classes.cpp \
  src/framework/Strings.cpp src/framework/TypeInfo.cpp src/framework/Exception.cpp \
  src/framework/Events.cpp
mkdir -p "$out/cpuid-corpus"
# Seeds: one processor of each way of reporting caches, cut from the shared collection when it
# is there, and a small one of our own.
shared=$root/../shared/cpuid/processors.txt
if [ -f "$shared" ]; then
  awk -v dir="$out/cpuid-corpus" '/^CPU /{f=dir "/" $2} f{print > f} /^END/{close(f); f=""}' "$shared"
fi
printf 'CPU s\nMHZ 100\nLEAF 0 0 4 756E6547 6C65746E 49656E69\nLEAF 1 0 F29 0 0 10\nLEAF 2 0 665B5001 0 0 007B7040\nLEAF 4 0 121 1C0003F 3F 0\nEND\n' \
  > "$out/cpuid-corpus/small"
"$out/cpuid-dump" -runs="$runs" -max_len=4096 -timeout=10 -print_final_stats=1 "$out/cpuid-corpus"
