// Shared instrument components: the bitmap list (and, beside it, the notification-area icons).
#pragma once
#include <memory>
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

// A set of bitmaps that several controls use; every change tells them through their links.
class TMtBitmapList : public TMtSharedComponent {
  VELMORA_CLASS(TMtBitmapList, TMtSharedComponent)

 public:
  explicit TMtBitmapList(TComponent* AOwner);
  ~TMtBitmapList() override;
  TMtBitmaps& Bitmaps() { return *FBitmaps; }
  TMtBitmaps* BitmapsPtr() { return FBitmaps.get(); }
  void SetBitmaps(const TMtBitmaps* value) { FBitmaps->Assign(value); }
  // Null outside 0..Count-1.
  TBitmap* GetBitmap(int Index) const { return FBitmaps->Bitmaps(Index); }
  TNotifyEvent OnChange;

 protected:
  // After the links have been told: raises OnChange.
  virtual void Changed();

 private:
  std::unique_ptr<TMtBitmaps> FBitmaps;
};
