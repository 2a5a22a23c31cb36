// Reads what a 32-bit Windows executable asks of the loader: its header fields and the
// functions it imports. Every offset is checked against the file's size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PeImport {
  std::string Dll;       // as the import table names it
  std::string Function;  // empty for an import by ordinal
  uint16_t Ordinal = 0;
};

struct PeInfo {
  uint16_t Machine = 0;
  uint16_t Characteristics = 0;
  uint16_t Magic = 0;
  uint16_t MajorOsVersion = 0, MinorOsVersion = 0;
  uint16_t MajorSubsystemVersion = 0, MinorSubsystemVersion = 0;
  uint16_t Subsystem = 0;
  std::vector<PeImport> Imports;
};

// Throws std::runtime_error naming what is wrong with a file that is not a well-formed PE32.
PeInfo ReadPe(const std::vector<uint8_t>& file);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
