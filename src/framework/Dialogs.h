// Message boxes, with a hook that tests set so that no box ever waits for a click.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

// Note: <windows.h> renames MessageBox to MessageBoxA; this overload is renamed with it, so
// callers just write MessageBox(text, caption, flags) as long as that macro is left alone.
// Returns the button pressed (IDOK, IDYES, ...), or 0 when the box could not be shown.
int MessageBox(const std::string& text, const std::string& caption, UINT flags,
               HWND owner = nullptr);
// An error box without owner: MB_OK | MB_ICONERROR.
void ShowErrorBox(const std::string& text, const std::string& caption);

// While set, boxes go to the hook instead of the screen and its result is returned.
using TMessageBoxHook =
    std::function<int(const std::string& text, const std::string& caption, UINT flags)>;
void SetMessageBoxHook(TMessageBoxHook hook);
