// Published values of the system-information categories: a getter, a setter through which a
// stored snapshot loads, and the field, in one line each.
#pragma once
#include <string>

#define KSI_VALUE(Type, Name)                      \
 public:                                           \
  const Type& Name() const { return F##Name; }     \
  void Set##Name(const Type& v) { F##Name = v; }   \
                                                   \
 private:                                          \
  Type F##Name{};
