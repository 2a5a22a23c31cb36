// Registry data and paths from outside, as the categories read them: every input is read within
// its length, and the path rule says the same of a path in its 8-bit and its wide form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "sysinfo/OsLogic.h"
#include "sysinfo/SysInfoLogic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  (void)TextToZero(data, size);
  (void)SqueezeZeros(data, size);
  (void)SplitStrings(bytes, size);
  const std::wstring utf16 = Utf16ToZero(data, size);
  (void)SplitStrings(utf16.data(), utf16.size());

  const std::string path(bytes, size);
  std::wstring wide;
  bool ascii = true;
  for (char c : path) {
    wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  }
  const bool narrowPasses = IsDiskFilePath(path);
  if (ascii && narrowPasses != IsDiskFilePath(wide)) std::abort();
  (void)IsDiskFilePath(utf16);
  (void)LongPathForm(wide);
  (void)DosImagePath(path, std::string("C:\\WINDOWS"));
  (void)DosImagePath(utf16, std::wstring(L"C:\\WINDOWS"));

  // An environment block ends with two zeros however it is filled.
  std::vector<char> block(bytes, bytes + size);
  block.push_back(0);
  block.push_back(0);
  (void)ParseEnvironmentBlock(block.data());
  return 0;
}
