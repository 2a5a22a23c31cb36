#include "framework/Events.h"

static TExceptionSink& Sink() {
  static TExceptionSink s;
  return s;
}

void SetExceptionSink(TExceptionSink sink) { Sink() = std::move(sink); }

void CallGuarded(TObject* Sender, const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    if (Sink()) Sink()(Sender, e);
  }
}
