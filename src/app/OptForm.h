// The optimization wizard's window; created hidden at start-up.
#pragma once
#include "framework/Forms.h"

class TForm1 : public TForm {
  VELMORA_CLASS(TForm1, TForm)

 public:
  explicit TForm1(TComponent* AOwner);
};
