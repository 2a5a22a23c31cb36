// Message hooks of the application window: components join and leave in any order.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Exception.h"
#include "framework/Forms.h"

namespace {
const UINT kMsg = WM_USER + 321;

struct HookHarness {
  HookHarness() {
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
  }
  ~HookHarness() { delete app; }
  LRESULT Send(WPARAM wp = 0) { return SendMessageA(app->Handle(), kMsg, wp, 0); }
  // A hook that records its name and passes the message on.
  TMessageHook Recorder(const std::string& name) {
    return [this, name](UINT msg, WPARAM, LPARAM, LRESULT&) {
      if (msg == kMsg) seen += name;
      return false;
    };
  }
  TApplication* app;
  std::string seen;
  std::vector<std::string> errors;
};
}  // namespace

TEST(ApplicationHooks, NewestFirstUntilOneHandlesAndLeavingInAnyOrder) {
  HookHarness h;
  int a, b, c;
  h.app->HookMainWindow(&a, h.Recorder("a"));
  h.app->HookMainWindow(&b, h.Recorder("b"));
  h.app->HookMainWindow(&c, [&](UINT msg, WPARAM wp, LPARAM, LRESULT& r) {
    if (msg != kMsg) return false;
    h.seen += "c";
    r = 77;
    return wp == 1;
  });
  EXPECT_EQ(h.Send(), 0);
  EXPECT_EQ(h.seen, "cba");
  h.seen.clear();
  EXPECT_EQ(h.Send(1), 77);  // handled: nobody after it sees the message
  EXPECT_EQ(h.seen, "c");
  // Out of order: the middle one leaves first, then the oldest; unknown keys are ignored.
  h.app->UnhookMainWindow(&b);
  h.app->UnhookMainWindow(&h);
  h.seen.clear();
  h.Send();
  EXPECT_EQ(h.seen, "ca");
  h.app->UnhookMainWindow(&a);
  h.app->UnhookMainWindow(&c);
  h.seen.clear();
  h.Send();
  EXPECT_EQ(h.seen, "");
  // The default handling still runs for the window's own messages.
  SetWindowTextA(h.app->Handle(), "Hooked");
  char buf[32];
  GetWindowTextA(h.app->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "Hooked");
  // Joining again with a key replaces its hook in place.
  h.app->HookMainWindow(&a, h.Recorder("a"));
  h.app->HookMainWindow(&b, h.Recorder("b"));
  h.app->HookMainWindow(&a, h.Recorder("A"));
  h.seen.clear();
  h.Send();
  EXPECT_EQ(h.seen, "bA");
}

TEST(ApplicationHooks, JoiningAndLeavingDuringDispatchIsSafe) {
  HookHarness h;
  int self, later, joiner, victim;
  // A hook that leaves while it runs (its own closure must outlive the call), one that removes
  // a hook not yet called, and one that joins a new hook, which sees only the next message.
  std::string captured = "self";
  h.app->HookMainWindow(&victim, h.Recorder("v"));
  h.app->HookMainWindow(&joiner, [&](UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != kMsg) return false;
    h.seen += "j";
    h.app->HookMainWindow(&later, h.Recorder("l"));
    return false;
  });
  h.app->HookMainWindow(&self, [&h, &self, &victim, captured](UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != kMsg) return false;
    h.app->UnhookMainWindow(&self);
    h.app->UnhookMainWindow(&victim);
    h.seen += captured;  // the closure is still whole after leaving
    return false;
  });
  h.Send();
  EXPECT_EQ(h.seen, "selfj");
  h.seen.clear();
  h.Send();
  EXPECT_EQ(h.seen, "lj");
  // A hook that fails passes the message on; the failure goes to the application.
  int boom;
  h.app->HookMainWindow(&boom, [](UINT msg, WPARAM, LPARAM, LRESULT&) -> bool {
    if (msg == kMsg) throw Exception("hook failed");
    return false;
  });
  h.seen.clear();
  h.Send();
  EXPECT_EQ(h.seen, "lj");
  EXPECT_EQ(h.errors, std::vector<std::string>{"hook failed"});
}
