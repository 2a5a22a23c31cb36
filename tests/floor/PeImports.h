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
  uint32_t ResourceRva = 0;
};

// Throws std::runtime_error naming what is wrong with a file that is not a well-formed PE32.
PeInfo ReadPe(const std::vector<uint8_t>& file);

// One resource of a type, in the order of the file's resource directory (named ones first,
// sorted, then numbered ones): its name (empty when numbered) or number, and the data of its
// first language.
struct PeResource {
  std::string Name;
  uint16_t Id = 0;
  std::vector<uint8_t> Data;
};
std::vector<PeResource> ReadPeResources(const std::vector<uint8_t>& file, uint16_t type);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
