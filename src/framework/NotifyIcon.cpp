#include "framework/NotifyIcon.h"
#include <shellapi.h>

static_assert(sizeof(TNotifyIconData) == 88, "the record as Windows 95 and NT 4.0 know it");

BOOL WINAPI SystemShellNotify(DWORD message, TNotifyIconData* data) {
  return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(data));
}

UINT TaskbarCreatedMessage() {
  static const UINT msg = RegisterWindowMessageA("TaskbarCreated");
  return msg;
}
