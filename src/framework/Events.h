// Where failures that escape an event handler go. The application installs its handler at
// start-up; until then (and in tests) they are dropped so that the program goes on.
#pragma once
#include <exception>
#include <functional>

class TObject;

using TExceptionSink = std::function<void(TObject* Sender, const std::exception& E)>;
void SetExceptionSink(TExceptionSink sink);

// Runs f; anything escaping it goes to the sink (as Exception when it is no std::exception)
// instead of unwinding into the message loop. Nothing leaves CallGuarded, not even from the sink.
void CallGuarded(TObject* Sender, const std::function<void()>& f);
