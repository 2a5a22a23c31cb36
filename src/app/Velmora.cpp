// Start-up: the system classification, the application object, the main window and the hidden
// wizard window, then the message loop.
#include <windows.h>
#include <cstdlib>
#include "app/AppClasses.h"
#include "app/MainUnit.h"
#include "app/OptForm.h"
#include "framework/FloatControl.h"
#include "framework/Threads.h"
#include "probes/KSI_CPUUsage.h"

// The runtime's own handler of an exception nobody caught writes the exception's demangled type
// to a console that a windowed program does not have, and brings the whole demangler along.
// Ending at once is what it does after that anyway.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetProgramFpuControl();
  InitProbes();
  RegisterAppClasses();
  auto* app = new TApplication(nullptr);
  app->Initialize();
  InitThreadSync();
  app->SetTitle("Velmora");
  app->SetHelpFile("velmo.chm");
  int code = 0;
  try {
    app->AddForm(new TMainForm(app));
    new TForm1(app);
    app->Run();
  } catch (const std::exception& e) {
    // The main window could not be created: say why instead of vanishing.
    MessageBoxA(nullptr, e.what(), "Velmora", MB_OK | MB_ICONERROR);
    code = 1;
  }
  delete app;
  return code;
}
