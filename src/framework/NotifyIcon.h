// What the notification-area icons share: the shell's record, its entry point and the notice
// that the taskbar was created again.
#pragma once
#include <windows.h>

// The shell's icon record as Windows 95 and NT 4.0 know it (a 64-character tip, 88 bytes); the
// later shells take it by its size.
struct TNotifyIconData {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};

// Shell_NotifyIconA with that record.
BOOL WINAPI SystemShellNotify(DWORD message, TNotifyIconData* data);
// The message the shell sends every top-level window when the taskbar has been (re)created.
UINT TaskbarCreatedMessage();
