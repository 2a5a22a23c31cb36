#include "framework/Files.h"
#include <windows.h>
#include "framework/Exception.h"
#include "framework/Handles.h"

std::vector<uint8_t> ReadWholeFile(const std::string& name, size_t maxSize) {
  KernelHandle f(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) throw Exception("Cannot open file \"" + name + "\"");
  DWORD size = GetFileSize(f.get(), nullptr);
  std::vector<uint8_t> data;
  bool ok = size != INVALID_FILE_SIZE && size <= maxSize;
  if (ok) {
    data.resize(size);
    DWORD read = 0;
    ok = size == 0 || (ReadFile(f.get(), data.data(), size, &read, nullptr) && read == size);
  }
  if (!ok) throw Exception("Cannot read file \"" + name + "\"");
  return data;
}

void WriteWholeFile(const std::string& name, const std::vector<uint8_t>& data) {
  KernelHandle f(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) throw Exception("Cannot create file \"" + name + "\"");
  DWORD written = 0;
  bool ok = WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) && written == data.size();
  if (!ok) throw Exception("Cannot write file \"" + name + "\"");
}
