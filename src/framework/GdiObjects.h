// Owners for GDI and USER handles: each frees its handle when it goes, so no path through the
// drawing code can leak one (Windows 9x has a small, shared GDI heap). The owners of kernel
// handles and registry keys are in Handles.h.
#pragma once
#include <windows.h>
#include <atomic>
#include <utility>
#include "framework/Colors.h"
#include "framework/Handles.h"

// The COLORREF of a colour; system colours through GetSysColor.
COLORREF ColorToRGB(TColor c);
// Replaces GetSysColor for ColorToRGB (tests use it to change "system" colours); null puts
// GetSysColor back. Returns the previous source.
using SystemColorSource = uint32_t (*)(int index);
SystemColorSource SetSystemColorSource(SystemColorSource source);

namespace gdi_detail {
// Each kind counts the handles its owners hold, for leak figures: the system gives none under
// Wine.
struct DeleteGdi {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
  static inline std::atomic<long> held{0};
};
struct DestroyIconHandle {
  void operator()(HICON h) const { DestroyIcon(h); }
  static inline std::atomic<long> held{0};
};
struct DeleteDCHandle {
  void operator()(HDC h) const { DeleteDC(h); }
  static inline std::atomic<long> held{0};
};
template <class H, class Free>
using UniqueHandle = handle_detail::UniqueHandle<H, Free>;
}  // namespace gdi_detail

// A pen, brush, font, bitmap or region, freed with DeleteObject. The handle must not be selected
// into a device context when the owner lets it go.
template <class H>
class GdiObject : public gdi_detail::UniqueHandle<H, gdi_detail::DeleteGdi> {
 public:
  using gdi_detail::UniqueHandle<H, gdi_detail::DeleteGdi>::UniqueHandle;
};
using PenHandle = GdiObject<HPEN>;
using BrushHandle = GdiObject<HBRUSH>;
using FontHandle = GdiObject<HFONT>;
using BitmapHandle = GdiObject<HBITMAP>;
using RegionHandle = GdiObject<HRGN>;

// An icon or cursor made by CreateIconIndirect, LoadImage (without LR_SHARED) or CopyIcon.
class IconHandle : public gdi_detail::UniqueHandle<HICON, gdi_detail::DestroyIconHandle> {
 public:
  using UniqueHandle::UniqueHandle;
};

// A memory device context (CreateCompatibleDC), freed with DeleteDC.
class MemoryDC : public gdi_detail::UniqueHandle<HDC, gdi_detail::DeleteDCHandle> {
 public:
  using UniqueHandle::UniqueHandle;
  // A context compatible with the screen.
  static MemoryDC Create() { return MemoryDC(CreateCompatibleDC(nullptr)); }
};

// How many handles of each kind the owners hold now.
inline long HeldGdiObjects() { return gdi_detail::DeleteGdi::held; }
inline long HeldIcons() { return gdi_detail::DestroyIconHandle::held; }
inline long HeldMemoryDCs() { return gdi_detail::DeleteDCHandle::held; }

// Selects an object into a context for one scope and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(dc && obj ? SelectObject(dc, obj) : nullptr) {}
  ~SelectedObject() {
    if (FOld) SelectObject(FDC, FOld);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FOld;
};
