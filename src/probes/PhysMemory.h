// One reading of the physical memory, in bytes.
#pragma once
#include <cstdint>

struct TPhysMemory {
  // Where the system has only the old 32-bit memory status, these are its figures taken as
  // signed 32-bit (above 2 GB they read negative or capped); with the extended status they are
  // the true 64-bit figures and Wide is set.
  int64_t Total = 0;
  int64_t Avail = 0;
  bool Wide = false;
};
