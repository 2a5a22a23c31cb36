// Application events as components: each TCustomApplicationEvents receives the application's
// events through one multicaster, newest component first, until one cancels the dispatch.
#pragma once
#include "framework/Forms.h"

class TCustomApplicationEvents : public TComponent {
  VELMORA_CLASS(TCustomApplicationEvents, TComponent)

 public:
  explicit TCustomApplicationEvents(TComponent* AOwner);
  ~TCustomApplicationEvents() override;

  // Called from a handler: the event goes no further down the list.
  void CancelDispatch();

  TNotifyEvent OnActivate, OnDeactivate, OnMinimize, OnRestore, OnHint;
  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TShowHintEvent OnShowHint;

 protected:
  // While any registered component says no, no component receives any event.
  virtual bool PassesEvents() const { return true; }
  friend class TMultiCaster;
};

// How many components are registered now.
int ApplicationEventsCount();
