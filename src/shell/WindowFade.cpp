#include "shell/WindowFade.h"
#include <algorithm>
#include "framework/Exception.h"

VELMORA_CLASS_INFO(TWindowFade) {
  b.Int("Transparency", &TWindowFade::Transparency, &TWindowFade::SetTransparency);
  b.Int("FadeTime", &TWindowFade::FadeTime, &TWindowFade::SetFadeTime);
  b.Creatable();
}

void RegisterFadeClasses() { RegisterComponentClass(TWindowFade::StaticClassInfo()); }

int FadeAlpha(int Percent) {
  // Beyond 100 the product no longer fits the alpha byte.
  if (Percent < 0) Percent = 0;
  if (Percent > 100) Percent = 100;
  return Percent * 255 / 100;
}

TWindowFade::TWindowFade(TComponent* AOwner) : TComponent(AOwner) {
  // A window that exists already takes the look now; one not made yet is not made for it
  // (a half-read window would be there for others to find): the fade-in sets the look anyway.
  if (auto* f = dynamic_cast<TForm*>(AOwner); f && f->HandleAllocated()) ApplyTransparency(10);
}

TForm& TWindowFade::Form() const {
  auto* f = dynamic_cast<TForm*>(Owner());
  if (!f) throw Exception("Invalid class typecast");
  return *f;
}

void TWindowFade::Pause() const {
  // A negative pause would be a wait of weeks.
  int ms = FadeTime();
  Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0);
}

void TWindowFade::ApplyTransparency(int Value) {
  TForm& f = Form();
  SetTransparency(Value);
  SetOpacity(f.Handle(), 100 - Transparency());
}

void TWindowFade::FadeInTo(int Target) {
  TForm& f = Form();
  ApplyTransparency(100);
  f.Show();
  // Called from OnShow the window is not on the screen yet: put it there so the fade is seen.
  HWND h = f.Handle();
  if (!IsWindowVisible(h)) {
    ShowWindow(h, SW_SHOW);
    SetForegroundWindow(h);
  }
  if (Target <= 100) {
    for (int b = 100; b >= std::max(Target, 0); --b) {
      SetOpacity(h, 100 - b);
      f.Repaint();
      UpdateWindow(h);
      Pause();
    }
  }
  SetTransparency(Target);
}

void TWindowFade::FadeOutAll() {
  TForm& f = Form();
  if (Transparency() > 100) return;
  HWND h = f.Handle();
  for (int t = Transparency(); t <= 100; ++t) {
    SetTransparency(t);
    SetOpacity(h, 100 - t);
    Pause();
  }
}

void TWindowFade::SetOpacity(HWND Window, int Percent) {
  // Layered windows are used on Windows 2000 only.
  DWORD v = GetVersion();
  if ((v & 0xFF) != 5 || ((v >> 8) & 0xFF) != 0) return;
  HMODULE user = LoadLibraryA("USER32");
  if (!user) return;
  using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  auto fn = reinterpret_cast<SetLayeredFn>(reinterpret_cast<void*>(GetProcAddress(user, "SetLayeredWindowAttributes")));
  if (fn && Window) {
    const LONG wsExLayered = 0x80000;
    const DWORD lwaAlpha = 2;
    SetWindowLongA(Window, GWL_EXSTYLE, GetWindowLongA(Window, GWL_EXSTYLE) | wsExLayered);
    fn(Window, 0, static_cast<BYTE>(FadeAlpha(Percent)), lwaAlpha);
  }
  FreeLibrary(user);
}
