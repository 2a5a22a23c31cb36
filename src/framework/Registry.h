// The registry accessor: a root, at most one open key, and typed reads and writes of its values.
// Reads of the wrong type or of a missing value that has no natural empty result throw Exception.
#pragma once
#include <windows.h>
#include <string>
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/Strings.h"

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry {
 public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key first.
  void SetRootKey(HKEY value);
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM value) { FAccess = value; }

  // "\A\B" is taken from the root; "A\B" from the open key (or the root when none is open).
  // On success the previous key is closed and CurrentPath() names the new one from the root.
  // On failure the previous key stays open.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  HKEY CurrentKey() const { return FCurrentKey.get(); }
  const std::string& CurrentPath() const { return FCurrentPath; }

  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);
  // False when the value is missing (type and size are then left alone).
  bool GetDataInfo(const std::string& name, DWORD& type, DWORD& size);
  int GetDataSize(const std::string& name);  // -1 when missing
  TRegDataType GetDataType(const std::string& name);

  // REG_SZ or REG_EXPAND_SZ (not expanded), up to the first NUL; "" when missing.
  std::string ReadString(const std::string& name);
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  // REG_DWORD of exactly four bytes.
  int ReadInteger(const std::string& name);
  void WriteInteger(const std::string& name, int value);
  bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
  void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  // REG_BINARY or REG_NONE that fits into bufSize bytes; returns the bytes read (0 when missing).
  int ReadBinaryData(const std::string& name, void* buffer, int bufSize);
  void WriteBinaryData(const std::string& name, const void* buffer, int bufSize);

  // Names of the open key's subkeys or values; the list is cleared first.
  void GetKeyNames(TStrings& strings);
  void GetValueNames(TStrings& strings);
  bool DeleteValue(const std::string& name);
  // Deletes the key with everything below it. Refuses the root itself.
  bool DeleteKey(const std::string& key);

 private:
  // The key that a path is opened from, and the path with its leading "\" removed.
  HKEY BaseKey(const std::string& key, std::string& rel, std::string& fullPath) const;
  void PutData(const std::string& name, DWORD type, const void* data, DWORD size);

  HKEY FRootKey = HKEY_CURRENT_USER;
  RegKeyHandle FCurrentKey;
  std::string FCurrentPath;
  REGSAM FAccess;
};
