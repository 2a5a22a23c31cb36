// A hidden window that hands every message to a function. Timers, threads, tray icons and the
// application receive their messages through one. It is a plain hidden popup without a parent:
// message-only windows do not exist on Windows 95 and NT 4.0.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <optional>

class TUtilityWindow {
 public:
  // Return a value to answer the message; std::nullopt passes it on to DefWindowProc.
  // An exception escaping the handler goes to the exception sink (Events.h), never into Windows.
  // The handler may destroy its own TUtilityWindow; it stays callable until it returns.
  using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

  // Throws Exception when the window cannot be created.
  explicit TUtilityWindow(Handler handler);
  // Must run on the thread that created the window (DestroyWindow works only there).
  ~TUtilityWindow();
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;

  HWND Handle() const { return FHandle; }

  struct State;

 private:
  std::shared_ptr<State> FState;
  HWND FHandle = nullptr;
};
