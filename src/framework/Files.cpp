#include "framework/Files.h"
#include <windows.h>
#include "framework/Exception.h"

std::vector<uint8_t> ReadWholeFile(const std::string& name, size_t maxSize) {
  HANDLE f = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw Exception("Cannot open file \"" + name + "\"");
  DWORD size = GetFileSize(f, nullptr);
  std::vector<uint8_t> data;
  bool ok = size != INVALID_FILE_SIZE && size <= maxSize;
  if (ok) {
    data.resize(size);
    DWORD read = 0;
    ok = size == 0 || (ReadFile(f, data.data(), size, &read, nullptr) && read == size);
  }
  CloseHandle(f);
  if (!ok) throw Exception("Cannot read file \"" + name + "\"");
  return data;
}

void WriteWholeFile(const std::string& name, const std::vector<uint8_t>& data) {
  HANDLE f = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw Exception("Cannot create file \"" + name + "\"");
  DWORD written = 0;
  bool ok = WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) && written == data.size();
  CloseHandle(f);
  if (!ok) throw Exception("Cannot write file \"" + name + "\"");
}
