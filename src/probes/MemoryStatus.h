// The memory status, read through one seam: the extended 64-bit reading where the system has
// it (Windows 2000 and later), else the old 32-bit one.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include "probes/PhysMemory.h"

// The extended record (64 bytes); its structure is not declared for the systems the program
// is built for.
struct TMemoryStatusEx {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  uint64_t ullTotalPhys;
  uint64_t ullAvailPhys;
  uint64_t ullTotalPageFile;
  uint64_t ullAvailPageFile;
  uint64_t ullTotalVirtual;
  uint64_t ullAvailVirtual;
  uint64_t ullAvailExtendedVirtual;
};

// The two system calls; tests put small or large machines in their place. StatusEx is null
// where the system does not have it.
struct TMemoryStatusApi {
  BOOL(WINAPI* StatusEx)(TMemoryStatusEx*);
  void(WINAPI* Status)(MEMORYSTATUS*);
};
TMemoryStatusApi& MemoryStatusApi();

// Fills the old record (zeroed, length set) through the seam.
void ReadMemoryStatus(MEMORYSTATUS& ms);
// Fills the extended record (zeroed, length set); false where there is none or it failed.
bool ReadMemoryStatusEx(TMemoryStatusEx& ms);
// Total and available physical memory: 64-bit figures where the system gives them, else the
// old figures taken as signed 32-bit.
TPhysMemory ReadPhysMemory();

// Allocates a block of size bytes from the system heap, touches every page of it (the system
// pages other programs out to make room), runs whileHeld (when set), and releases the block.
// False when the block cannot be had. A pointer, so that tests can put a recorder in its place.
using TTouchMemory = bool (*)(uint64_t size, const std::function<void()>& whileHeld);
extern TTouchMemory TouchMemoryBlock;

// The largest block this process could allocate now: the largest free range of its address
// space, less room for the heap's own bookkeeping. A pointer, so that tests can play a machine
// of another size.
using TLargestBlock = uint64_t (*)();
extern TLargestBlock LargestAllocatableBlock;
