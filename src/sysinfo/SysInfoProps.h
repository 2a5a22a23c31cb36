// What the system-information categories share: their base class, and their published values
// (a getter, a setter through which a stored snapshot loads, and the field, in one line each)
// and string lists (owned by the category).
#pragma once
#include <memory>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"

// A category of the system-information component. Each has GetInfo(), which gathers it, and
// Report(TStrings&), which appends its sections; the component's table calls both by the
// category's own type. They are not virtual: GetInfo needs Windows, while the classes and their
// reports are built natively as well.
class TSysInfoCategory : public TPersistent {
  VELMORA_CLASS(TSysInfoCategory, TPersistent)
};

#define KSI_VALUE(Type, Name)                      \
 public:                                           \
  const Type& Name() const { return F##Name; }     \
  void Set##Name(const Type& v) { F##Name = v; }   \
                                                   \
 private:                                          \
  Type F##Name{};

#define KSI_LIST(Name)                                                 \
 public:                                                               \
  TStrings* Name() const { return F##Name.get(); }                     \
                                                                       \
 private:                                                              \
  std::unique_ptr<TStrings> F##Name = std::make_unique<TStringList>();
