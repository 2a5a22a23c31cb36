#include "framework/UtilityWindow.h"
#include <exception>
#include "framework/Events.h"
#include "framework/Exception.h"

struct TUtilityWindow::State : std::enable_shared_from_this<State> {
  explicit State(Handler h) : handler(std::move(h)) {}
  Handler handler;
};

namespace {

const char kClassName[] = "TUtilityWindow";

LRESULT CALLBACK UtilityWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto* raw = reinterpret_cast<TUtilityWindow::State*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (!raw) return DefWindowProcA(h, msg, w, l);
  // Held for the call: the handler may destroy the TUtilityWindow that owns the state.
  std::shared_ptr<TUtilityWindow::State> keep = raw->shared_from_this();
  std::optional<LRESULT> result;
  try {
    result = keep->handler(h, msg, w, l);
  } catch (...) {
    // Hand it to the sink; anything the sink cannot take is dropped rather than unwound
    // through the system's dispatcher.
    try {
      CallGuarded(nullptr, [] { throw; });
    } catch (...) {
    }
  }
  return result ? *result : DefWindowProcA(h, msg, w, l);
}

bool RegisterUtilityClass() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = UtilityWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

TUtilityWindow::TUtilityWindow(Handler handler)
    : FState(std::make_shared<State>(std::move(handler))) {
  if (RegisterUtilityClass())
    FHandle = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!FHandle) throw Exception("Unable to create a utility window");
  SetWindowLongPtrA(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(FState.get()));
}

TUtilityWindow::~TUtilityWindow() {
  // Detach first so that the messages of the destruction no longer reach the handler.
  SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
  DestroyWindow(FHandle);
}
