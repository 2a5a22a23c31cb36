// Helpers of the Windows-side tests: message pumping while waiting for timers, threads and
// windows, and a catcher of the failures that handlers report.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
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

// Collects what reaches the exception sink while it lives.
struct SinkCatcher {
  std::vector<std::string> messages;
  SinkCatcher() { SetExceptionSink([this](TObject*, const std::exception& e) { messages.push_back(e.what()); }); }
  ~SinkCatcher() { SetExceptionSink(nullptr); }
};
