#include "framework/Events.h"
#include "framework/Exception.h"

static TExceptionSink& Sink() {
  static TExceptionSink s;
  return s;
}

void SetExceptionSink(TExceptionSink sink) { Sink() = std::move(sink); }

static void Report(TObject* Sender, const std::exception& e) {
  // The sink runs at a callback boundary too: nothing may leave it.
  try {
    if (Sink()) Sink()(Sender, e);
  } catch (...) {
  }
}

void CallGuarded(TObject* Sender, const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    Report(Sender, e);
  } catch (...) {
    // Not of the general error class, but it must not unwind into the system either.
    Report(Sender, Exception("Unknown failure in an event handler"));
  }
}
