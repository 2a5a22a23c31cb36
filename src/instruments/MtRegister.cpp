#include "instruments/MtRegister.h"
#include "instruments/MtButtons.h"
#include "instruments/MtControls.h"
#include "instruments/MtLabel.h"
#include "instruments/MtLcd.h"
#include "instruments/MtLeds.h"
#include "instruments/MtLights.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtScale.h"
#include "instruments/MtScope.h"
#include "instruments/MtSystem.h"
#include "instruments/MtThreads.h"
#include "instruments/MtTrackBar.h"
#include "instruments/MtTrayGauge.h"

void RegisterInstrumentClasses() {
  InitMtControls();
  RegisterComponentClass(TMtLights::StaticClassInfo());
  RegisterComponentClass(TMtUserLed::StaticClassInfo());
  RegisterComponentClass(TMtShadowButton::StaticClassInfo());
  RegisterComponentClass(TMtLabel::StaticClassInfo());
  RegisterComponentClass(TMtScale::StaticClassInfo());
  RegisterComponentClass(TMtTrackBar::StaticClassInfo());
  RegisterComponentClass(TMtTimer::StaticClassInfo());
  RegisterComponentClass(TMtBitmapList::StaticClassInfo());
  RegisterComponentClass(TMtScope::StaticClassInfo());
  RegisterComponentClass(TMtNum::StaticClassInfo());
  RegisterComponentClass(TMtProgressBar::StaticClassInfo());
  RegisterComponentClass(TMtTrayGauge::StaticClassInfo());
}
