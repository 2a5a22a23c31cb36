#include "app/OptForm.h"

VELMORA_CLASS_INFO(TForm1) {}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) { LoadDescription("OPTFORM"); }
