#!/usr/bin/env bash
# Fuzzes the reading of registry data and of paths from outside (the path rule, UTF-16 and
# multi-string text, environment blocks) natively with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14). Not part of the test suite.
#   tests/fuzz/registry-text.sh [runs]     (default 1000000 inputs)
set -euo pipefail
source "$(dirname "$0")/common.sh"
fuzz_build registry-text tests/fuzz/RegistryTextFuzz.cpp src/sysinfo/SysInfoLogic.cpp \
  src/sysinfo/OsLogic.cpp src/sysinfo/ReportText.cpp src/framework/Strings.cpp \
  src/framework/Exception.cpp src/framework/Classes.cpp src/framework/TypeInfo.cpp \
  src/framework/Events.cpp
mkdir -p "$out/registry-text-corpus"
# Seeds: paths the rule must let through and paths it must refuse, and a multi-string.
printf 'C:\\WINDOWS\\system32\\odbc32.dll' >"$out/registry-text-corpus/file"
printf '\\\\?\\GLOBALROOT\\Device\\Serial0' >"$out/registry-text-corpus/device"
printf 'NUL .tar.gz' >"$out/registry-text-corpus/nul"
printf '\\\\server\\pipe\\sql' >"$out/registry-text-corpus/pipe"
printf 'PCI\\A\0B\0\0' >"$out/registry-text-corpus/multi"
"$out/registry-text" -runs="$runs" -max_len=512 -print_final_stats=1 "$out/registry-text-corpus"
