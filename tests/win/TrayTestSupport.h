// What the tray icons' tests share: a stand-in for the shell, and an application with a main
// form for the icons to live on.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <vector>
#include "framework/Forms.h"
#include "framework/NotifyIcon.h"

// Stands in for the shell while it lives: records what the tray icons hand it, and can refuse
// (as before the taskbar exists, or after it went away).

struct ShellRecorder {
  struct Call {
    DWORD message;
    TNotifyIconData data;
  };
  static inline std::vector<Call> calls;
  static inline BOOL answer = TRUE;

  ShellRecorder() {
    calls.clear();
    answer = TRUE;
    TNotifyIcon::ShellNotify = &Record;
  }
  ~ShellRecorder() { TNotifyIcon::ShellNotify = saved; }
  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;

  static std::vector<DWORD> Messages() {
    std::vector<DWORD> out;
    for (const Call& c : calls) out.push_back(c.message);
    return out;
  }
  static int Count(DWORD message) {
    int n = 0;
    for (const Call& c : calls) n += c.message == message;
    return n;
  }

 private:
  static BOOL WINAPI Record(DWORD message, TNotifyIconData* data) {
    calls.push_back({message, *data});
    return answer;
  }
  TNotifyIcon::TShellNotify saved = TNotifyIcon::ShellNotify;
};

// The application and its main form (not shown), with the shell replaced; freed with everything
// on them.
class TrayTest : public ::testing::Test {
 protected:
  TrayTest() {
    app = new TApplication(nullptr);
    app->Initialize();
    form = new TForm(app);
    form->SetBounds(50, 50, 200, 100);
    app->AddForm(form);
  }
  ~TrayTest() override {
    delete app;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  ShellRecorder shell;
  TApplication* app = nullptr;
  TForm* form = nullptr;
};
