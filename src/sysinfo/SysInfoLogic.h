// Text from registry data and system memory, read within the length that was actually returned,
// and the rule for paths from outside before a file function is handed one.
// Portable: the Windows side reads the bytes and hands them here.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The text up to the first zero byte, or all of it when there is none.
std::string TextToZero(const void* data, size_t size);
// The characters with every zero byte left out, ending at the first two zeros in a row: the
// strings of a multi-string list written one after the other, or wide-character text of 8-bit
// characters read as 8-bit text.
std::string SqueezeZeros(const void* data, size_t size);
// Little-endian UTF-16 text up to its first zero character (all of it when there is none); a
// last odd byte is no character.
std::wstring Utf16ToZero(const void* data, size_t bytes);
// The strings one after the other, as a list of identifiers is shown.
std::string Concatenated(const std::vector<std::string>& strings);
// The strings of a multi-string list: each zero ends one, an empty one ends the list, and text
// after the last zero (a list that lost its terminator) is the last string.
template <class C>
std::vector<std::basic_string<C>> SplitStrings(const C* data, size_t count);

// A process's image path as a file name the shell can open: the kernel's forms "\??\C:\..." and
// "\SystemRoot\..." (given for system processes) become drive paths; others stay as they are.
std::string DosImagePath(const std::string& path, const std::string& windowsDir);
std::wstring DosImagePath(const std::wstring& path, const std::wstring& windowsDir);

// Whether a path that came from outside (the registry, the system) may be handed to a file
// function at all: a file name, a drive path ("C:\..."), a network path ("\\server\share\...")
// or their long forms ("\\?\C:\...", "\\?\UNC\server\share\..."), naming a file. Refused:
//  - a device name as any part of it (CON, PRN, AUX, NUL, COM0-9, LPT0-9 and COM/LPT with a
//    superscript 1-3, CONIN$, CONOUT$, CLOCK$), with or without a folder, an extension or
//    trailing blanks and dots;
//  - the device namespaces "\\.\", "\??\" and "\\?\" other than a drive or UNC path
//    ("\\?\GLOBALROOT\...", "\\?\Volume{...}\...", "\\?\pipe\...");
//  - the "pipe" and "mailslot" shares of a server, and the "*" server of mailslots;
//  - wildcards, control characters, stream names (":" after the drive) and paths ending in a
//    folder ("\", ".", "..").
// Whether the file exists and is a regular one is the system's to say.
bool IsDiskFilePath(std::string_view path);
bool IsDiskFilePath(std::wstring_view path);
// The form of an absolute path that the wide file functions take beyond MAX_PATH characters:
// "\\?\C:\..." or "\\?\UNC\server\...". Shorter paths, long forms and relative paths stay.
std::wstring LongPathForm(const std::wstring& path);
