#include "instruments/MtRegister.h"
#include "instruments/MtControls.h"
#include "instruments/MtSystem.h"
#include "instruments/MtThreads.h"

void RegisterInstrumentClasses() {
  InitMtControls();
  RegisterComponentClass(TMtTimer::StaticClassInfo());
  RegisterComponentClass(TMtBitmapList::StaticClassInfo());
}
