#include "instruments/MtRegister.h"
#include "instruments/MtControls.h"
#include "instruments/MtLcd.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtScope.h"
#include "instruments/MtSystem.h"
#include "instruments/MtThreads.h"
#include "instruments/MtTrayGauge.h"

void RegisterInstrumentClasses() {
  InitMtControls();
  RegisterComponentClass(TMtTimer::StaticClassInfo());
  RegisterComponentClass(TMtBitmapList::StaticClassInfo());
  RegisterComponentClass(TMtScope::StaticClassInfo());
  RegisterComponentClass(TMtNum::StaticClassInfo());
  RegisterComponentClass(TMtProgressBar::StaticClassInfo());
  RegisterComponentClass(TMtTrayGauge::StaticClassInfo());
}
