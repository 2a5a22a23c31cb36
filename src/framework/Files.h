// Whole files read into memory and written from it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The file's bytes. Throws Exception "Cannot open file ..." when it cannot be opened and "Cannot
// read file ..." when it cannot be read or holds more than maxSize bytes.
std::vector<uint8_t> ReadWholeFile(const std::string& name, size_t maxSize);
// Creates (or empties) the file and writes the bytes; throws Exception "Cannot create file ..."
// or "Cannot write file ...".
void WriteWholeFile(const std::string& name, const std::vector<uint8_t>& data);
