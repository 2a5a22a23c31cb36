// Owners for the system's handles: kernel objects, registry keys and file searches here, GDI and
// USER objects in GdiObjects.h. Each frees its handle when it goes, so a call that fails or
// throws while a handle is held cannot leak it.
#pragma once
#include <windows.h>
#include <atomic>

namespace handle_detail {
// Each kind counts the handles its owners hold, for leak figures: the system gives none under
// Wine.
struct CloseKernel {
  void operator()(HANDLE h) const { CloseHandle(h); }
  // CreateFile and the tool-help snapshot fail with this rather than null.
  static HANDLE Normal(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
  static inline std::atomic<long> held{0};
};
struct CloseRegKey {
  void operator()(HKEY h) const { RegCloseKey(h); }
  static inline std::atomic<long> held{0};
};
struct CloseFind {
  void operator()(HANDLE h) const { FindClose(h); }
  static HANDLE Normal(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
  static inline std::atomic<long> held{0};
};

// Move-only owner of one handle; null (or the kind's failure value) holds none.
template <class H, class Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : FHandle(Normal(h)) {
    if (FHandle) ++Free::held;
  }
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : FHandle(o.release()) {
    if (FHandle) ++Free::held;
  }
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  // Gives up ownership without freeing.
  H release() {
    H h = FHandle;
    if (h) --Free::held;
    FHandle = nullptr;
    return h;
  }
  void reset(H h = nullptr) {
    h = Normal(h);
    if (FHandle == h) return;
    if (FHandle) {
      Free()(FHandle);
      --Free::held;
    }
    if (h) ++Free::held;
    FHandle = h;
  }

 private:
  static H Normal(H h) {
    if constexpr (requires { Free::Normal(h); })
      return Free::Normal(h);
    else
      return h;
  }
  H FHandle = nullptr;
};
}  // namespace handle_detail

// A kernel object (file, process, thread, event, mutex, snapshot), closed with CloseHandle.
class KernelHandle : public handle_detail::UniqueHandle<HANDLE, handle_detail::CloseKernel> {
 public:
  using UniqueHandle::UniqueHandle;
  // Closes it now; false when the system reports a failure (for a file: its last data may not
  // have been written).
  bool Close() {
    HANDLE h = release();
    return !h || CloseHandle(h);
  }
};

// A registry key that was opened or created (never a predefined root), closed with RegCloseKey.
class RegKeyHandle : public handle_detail::UniqueHandle<HKEY, handle_detail::CloseRegKey> {
 public:
  using UniqueHandle::UniqueHandle;
};

// A file search of FindFirstFile, ended with FindClose.
class FindHandle : public handle_detail::UniqueHandle<HANDLE, handle_detail::CloseFind> {
 public:
  using UniqueHandle::UniqueHandle;
};

// How many handles of each kind the owners hold now.
inline long HeldKernelHandles() { return handle_detail::CloseKernel::held; }
inline long HeldRegistryKeys() { return handle_detail::CloseRegKey::held; }
inline long HeldFindHandles() { return handle_detail::CloseFind::held; }

// A critical section entered for one scope: left again however the scope ends, so a throw while
// it is held (an allocation, a copied handler) cannot leave every other thread waiting on it.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CRITICAL_SECTION& cs) : FSection(cs) { EnterCriticalSection(&FSection); }
  ~CriticalSectionLock() { LeaveCriticalSection(&FSection); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CRITICAL_SECTION& FSection;
};
