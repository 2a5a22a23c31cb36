// Helpers of the Windows-side tests: message pumping while waiting for timers, threads and
// windows, a catcher of the failures that handlers report, and pictures of painted controls.
#pragma once
#include <windows.h>
#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "framework/Controls.h"
#include "framework/Dialogs.h"
#include "framework/Events.h"

// Runs this thread's message loop until pred holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return true;
}

inline void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; });
}

// Moves the real pointer there. Wine may still be catching up with an earlier move and put the
// pointer back: it is set, and messages handled, until it stays put.
inline void MovePointer(POINT p) {
  for (int i = 0, still = 0; i < 100 && still < 3; ++i) {
    SetCursorPos(p.x, p.y);
    PumpFor(15);
    POINT now;
    still = GetCursorPos(&now) && now.x == p.x && now.y == p.y ? still + 1 : 0;
  }
}

// Collects the message boxes shown while it lives ("caption: text") instead of showing them.
class ShownBoxes {
 public:
  ShownBoxes() {
    SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
      Shown.push_back(caption + ": " + text);
      return IDOK;
    });
  }
  ~ShownBoxes() { SetMessageBoxHook(nullptr); }
  ShownBoxes(const ShownBoxes&) = delete;
  ShownBoxes& operator=(const ShownBoxes&) = delete;
  std::vector<std::string> Shown;
};

// Collects what reaches the exception sink while it lives.
struct SinkCatcher {
  std::vector<std::string> messages;
  SinkCatcher() { SetExceptionSink([this](TObject*, const std::exception& e) { messages.push_back(e.what()); }); }
  ~SinkCatcher() { SetExceptionSink(nullptr); }
};

// Paints a graphic control (no parent needed) and returns its picture.
inline std::unique_ptr<TBitmap> Painted(TGraphicControl& c) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(c.Width(), c.Height());
  c.PaintOn(b->Canvas().Handle());
  return b;
}

// The pixels of one colour within a rectangle of a picture, and the box around them.
struct PixelCount {
  int Count = 0;
  RECT Box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};
inline PixelCount CountPixels(TBitmap& b, COLORREF c, RECT in) {
  PixelCount f;
  for (int y = in.top; y < in.bottom; ++y)
    for (int x = in.left; x < in.right; ++x)
      if (b.PixelRGB(x, y) == c) {
        ++f.Count;
        f.Box = RECT{std::min<LONG>(f.Box.left, x), std::min<LONG>(f.Box.top, y), std::max<LONG>(f.Box.right, x + 1),
                     std::max<LONG>(f.Box.bottom, y + 1)};
      }
  return f;
}
