#include "app/AppClasses.h"
#include "app/OptForm.h"
#include "flat/FlatButtons.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Timer.h"
#include "instruments/MtRegister.h"
#include "probes/KSI_CPUUsage.h"
#include "shell/AppComponents.h"
#include "shell/AppProps.h"
#include "shell/FormPlacement.h"
#include "shell/HtmlText.h"
#include "shell/TrayIcon.h"
#include "shell/WindowFade.h"
#include "sysinfo/KSI_Overview.h"
#include "sysinfo/KSystemInfo.h"

void RegisterAppClasses() {
  static bool done = false;
  if (done) return;
  done = true;
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
