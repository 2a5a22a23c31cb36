#include "instruments/MtSystem.h"

VELMORA_CLASS_INFO(TMtBitmapList) {
  b.Object("Bitmaps", &TMtBitmapList::BitmapsPtr);
  b.Event("OnChange", &TMtBitmapList::OnChange);
  b.Creatable();
}

TMtBitmapList::TMtBitmapList(TComponent* AOwner) : TMtSharedComponent(AOwner), FBitmaps(std::make_unique<TMtBitmaps>()) {
  FBitmaps->OnChange = [this](TObject*) {
    NotifyClients();
    Changed();
  };
}

TMtBitmapList::~TMtBitmapList() { FBitmaps->OnChange = nullptr; }

void TMtBitmapList::Changed() {
  if (OnChange) OnChange(this);
}
