#include "probes/MemoryStatus.h"
#include <cstring>

namespace {
TMemoryStatusApi LookUpApi() {
  TMemoryStatusApi api{};
  if (HMODULE k = GetModuleHandleA("kernel32.dll"))
    api.StatusEx = reinterpret_cast<BOOL(WINAPI*)(TMemoryStatusEx*)>(
        reinterpret_cast<void*>(GetProcAddress(k, "GlobalMemoryStatusEx")));
  api.Status = &GlobalMemoryStatus;
  return api;
}
}  // namespace

TMemoryStatusApi& MemoryStatusApi() {
  static TMemoryStatusApi api = LookUpApi();
  return api;
}

void ReadMemoryStatus(MEMORYSTATUS& ms) {
  std::memset(&ms, 0, sizeof ms);
  ms.dwLength = sizeof ms;
  if (MemoryStatusApi().Status) MemoryStatusApi().Status(&ms);
}

bool ReadMemoryStatusEx(TMemoryStatusEx& ms) {
  std::memset(&ms, 0, sizeof ms);
  ms.dwLength = sizeof ms;
  return MemoryStatusApi().StatusEx && MemoryStatusApi().StatusEx(&ms);
}

TPhysMemory ReadPhysMemory() {
  TPhysMemory m;
  TMemoryStatusEx ex;
  if (ReadMemoryStatusEx(ex)) {
    const uint64_t top = static_cast<uint64_t>(INT64_MAX);
    m.Total = static_cast<int64_t>(ex.ullTotalPhys < top ? ex.ullTotalPhys : top);
    m.Avail = static_cast<int64_t>(ex.ullAvailPhys < top ? ex.ullAvailPhys : top);
    m.Wide = true;
    return m;
  }
  MEMORYSTATUS ms;
  ReadMemoryStatus(ms);
  m.Total = static_cast<int32_t>(ms.dwTotalPhys);
  m.Avail = static_cast<int32_t>(ms.dwAvailPhys);
  return m;
}

namespace {
bool SystemTouchMemory(uint64_t size, const std::function<void()>& whileHeld) {
  if (size == 0 || size > SIZE_MAX) return false;
  // The system heap, not malloc: the compiler may drop a malloc'd block nobody reads.
  HANDLE heap = GetProcessHeap();
  void* block = HeapAlloc(heap, 0, static_cast<SIZE_T>(size));
  if (!block) return false;
  struct Release {
    HANDLE heap;
    void* block;
    ~Release() { HeapFree(heap, 0, block); }
  } release{heap, block};
  std::memset(block, 0, static_cast<size_t>(size));
  if (whileHeld) whileHeld();
  return true;
}
}  // namespace

TTouchMemory TouchMemoryBlock = SystemTouchMemory;

namespace {
uint64_t SystemLargestBlock() {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  uintptr_t p = reinterpret_cast<uintptr_t>(si.lpMinimumApplicationAddress);
  const uintptr_t end = reinterpret_cast<uintptr_t>(si.lpMaximumApplicationAddress);
  uint64_t largest = 0;
  MEMORY_BASIC_INFORMATION mbi;
  while (p < end && VirtualQuery(reinterpret_cast<void*>(p), &mbi, sizeof mbi) == sizeof mbi) {
    if (mbi.State == MEM_FREE && mbi.RegionSize > largest) largest = mbi.RegionSize;
    uintptr_t next = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= p) break;
    p = next;
  }
  const uint64_t bookkeeping = 1u << 20;
  return largest > bookkeeping ? largest - bookkeeping : 0;
}
}  // namespace

TLargestBlock LargestAllocatableBlock = SystemLargestBlock;
