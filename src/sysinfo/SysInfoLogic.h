// Text from registry data and system memory, read within the length that was actually returned.
// Portable: the Windows side reads the bytes and hands them here.
#pragma once
#include <cstddef>
#include <string>

// The text up to the first zero byte, or all of it when there is none.
std::string TextToZero(const void* data, size_t size);
// The characters with every zero byte left out, ending at the first two zeros in a row: the
// strings of a multi-string list written one after the other, or wide-character text of 8-bit
// characters read as 8-bit text.
std::string SqueezeZeros(const void* data, size_t size);

// A process's image path as a file name the shell can open: the kernel's forms "\??\C:\..." and
// "\SystemRoot\..." (given for system processes) become drive paths; others stay as they are.
std::string DosImagePath(const std::string& path, const std::string& windowsDir);
