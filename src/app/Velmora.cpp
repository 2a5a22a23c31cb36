// Start-up: the system classification, the application object, the main window and the hidden
// wizard window, then the message loop.
#include <windows.h>
#include "app/MainUnit.h"
#include "app/OptForm.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/ExtCtrls.h"
#include "framework/FloatControl.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Threads.h"
#include "framework/Timer.h"
#include "instruments/MtRegister.h"
#include "flat/FlatButtons.h"
#include "shell/HtmlText.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSI_Overview.h"
#include "sysinfo/KSystemInfo.h"
#include "shell/AppComponents.h"
#include "shell/AppProps.h"
#include "shell/FormPlacement.h"
#include "shell/TrayIcon.h"
#include "shell/WindowFade.h"

static void RegisterClasses() {
  RegisterMenuClasses();
  RegisterStdControlClasses();
  RegisterCheckListClasses();
  RegisterComCtrlClasses();
  RegisterDialogClasses();
  RegisterExtControlClasses();
  RegisterTimerClasses();
  RegisterProbeClasses();
  RegisterInstrumentClasses();
  RegisterSysInfoClasses();
  RegisterOverviewClasses();
  RegisterFlatClasses();
  RegisterHtmlTextClasses();
  RegisterFadeClasses();
  RegisterTrayIconClasses();
  RegisterAppComponentClasses();
  RegisterPlacementClasses();
  RegisterAppPropsClasses();
  RegisterOptFormClasses();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetProgramFpuControl();
  InitProbes();
  RegisterClasses();
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
