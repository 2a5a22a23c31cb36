// The accelerator of a caption: the letter after a single "&" ("&&" stands for a plain "&").
// Every control that answers Alt and a letter goes by this one rule. No Windows calls.
#pragma once
#include <string>

// The accelerator letter, lower-cased, or 0 when the caption has none.
char AccelChar(const std::string& caption);
// Whether key (either case) is the caption's accelerator.
bool IsAccel(char key, const std::string& caption);
