// Libraries that only the system information dialog, the wizard and the file dialogs need are
// loaded when one of their functions is first called, not when the program starts: a tray
// utility that runs all day should not carry them. The calls themselves are written as usual;
// the program answers their import slots and resolves each function on its first call.
// A library or function the system lacks makes the call fail with the function's own failure
// value (null, FALSE, 0, an error code) instead of stopping the program from loading.
#pragma once
#include <span>

struct TLazyImport {
  const char* Library;  // its file name
  const char* Function;
};

// Every function answered this way, with the library it comes from.
std::span<const TLazyImport> LazyImports();
