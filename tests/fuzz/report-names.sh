#!/usr/bin/env bash
# Fuzzes how names from outside (registry, devices, printers, environment) are written into the
# report: read back as an INI reader reads it, no input forges a section or a key, loses an entry
# or puts a value under another key. Native, libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14). Not part of the test suite.
#   tests/fuzz/report-names.sh [runs]     (default 1000000 inputs)
set -euo pipefail
source "$(dirname "$0")/common.sh"
fuzz_build report-names tests/fuzz/ReportNamesFuzz.cpp src/sysinfo/ReportNames.cpp src/sysinfo/ReportText.cpp \
  src/framework/Strings.cpp src/framework/Classes.cpp src/framework/TypeInfo.cpp src/framework/Exception.cpp \
  src/framework/Events.cpp
mkdir -p "$out/report-names-corpus"
# Seeds: the names of the hostile registry, in each place and code page.
seed() { printf "$2" >"$out/report-names-corpus/$1"; }
seed keys '\000\010[Forged]\003cmd\005Count\003999\012Key=Forged\003cmd\000\000\005Setup\001a\005Setup\001b'
seed titles '\001\007Machine\001x\016Generic volume\001y\016Generic volume\001z\005Disk]\000'
seed env '\002\003=C:\012C:\\Windows\004PATH\003a=b\004NOEQ\000\004path\001x'
seed dbcs '\004\003\201\100x\001v\003x\201\135\001w\002\201\133\001u'
"$out/report-names" -runs="$runs" -max_len=512 -timeout=10 -print_final_stats=1 "$out/report-names-corpus"
