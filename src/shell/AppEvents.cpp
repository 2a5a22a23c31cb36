#include "shell/AppEvents.h"
#include <algorithm>
#include <vector>
#include "framework/Events.h"

VELMORA_CLASS_INFO(TCustomApplicationEvents) {
  using E = TCustomApplicationEvents;
  b.Event("OnActivate", &E::OnActivate);
  b.Event("OnDeactivate", &E::OnDeactivate);
  b.Event("OnException", &E::OnException);
  b.Event("OnHint", &E::OnHint);
  b.Event("OnIdle", &E::OnIdle);
  b.Event("OnMessage", &E::OnMessage);
  b.Event("OnMinimize", &E::OnMinimize);
  b.Event("OnRestore", &E::OnRestore);
  b.Event("OnShowHint", &E::OnShowHint);
}

// Takes the application's events while at least one component is registered, and gives the
// application its own handlers back when the last one goes.
class TMultiCaster {
 public:
  void Add(TCustomApplicationEvents* e) {
    if (FList.empty()) Install();
    FList.push_back(e);
  }

  void Remove(TCustomApplicationEvents* e) {
    std::erase(FList, e);
    if (FList.empty()) Uninstall();
  }

  int Count() const { return static_cast<int>(FList.size()); }

  void CancelDispatch() {
    if (FCancel) *FCancel = true;
  }

 private:
  // Offers the event to each component, newest first; one that leaves meanwhile is skipped.
  // True when the event went through them all (no gate shut, no component cancelled it): then
  // the handler the application had before the chain was installed receives it last.
  template <class F>
  bool Dispatch(F call) {
    for (TCustomApplicationEvents* e : FList)
      if (!e->PassesEvents()) return false;
    bool cancel = false;
    bool* outer = FCancel;
    FCancel = &cancel;
    std::vector<TCustomApplicationEvents*> list = FList;
    for (auto it = list.rbegin(); it != list.rend() && !cancel; ++it) {
      TCustomApplicationEvents* e = *it;
      if (std::find(FList.begin(), FList.end(), e) == FList.end()) continue;
      CallGuarded(e, [&] { call(*e); });
    }
    FCancel = outer;
    return !cancel;
  }

  void Install() {
    FApp = Application;
    if (!FApp) return;
    TApplication& a = *FApp;
    FSaved = Saved{a.OnActivate, a.OnDeactivate, a.OnMinimize, a.OnRestore, a.OnHint, a.OnException, a.OnIdle, a.OnMessage, a.OnShowHint};
    auto notify = [this](TNotifyEvent TCustomApplicationEvents::*field, TNotifyEvent Saved::*previous) {
      return [this, field, previous](TObject* s) {
        bool through = Dispatch([&](TCustomApplicationEvents& e) {
          if (e.*field) (e.*field)(s);
        });
        if (through && FSaved.*previous) (FSaved.*previous)(s);
      };
    };
    a.OnActivate = notify(&TCustomApplicationEvents::OnActivate, &Saved::Activate);
    a.OnDeactivate = notify(&TCustomApplicationEvents::OnDeactivate, &Saved::Deactivate);
    a.OnMinimize = notify(&TCustomApplicationEvents::OnMinimize, &Saved::Minimize);
    a.OnRestore = notify(&TCustomApplicationEvents::OnRestore, &Saved::Restore);
    a.OnHint = notify(&TCustomApplicationEvents::OnHint, &Saved::Hint);
    a.OnException = [this](TObject* s, const std::exception& ex) {
      bool through = Dispatch([&](TCustomApplicationEvents& e) {
        if (e.OnException) e.OnException(s, ex);
      });
      if (through && FSaved.Exception) FSaved.Exception(s, ex);
    };
    a.OnIdle = [this](TObject* s, bool& done) {
      bool through = Dispatch([&](TCustomApplicationEvents& e) {
        if (e.OnIdle) e.OnIdle(s, done);
      });
      if (through && FSaved.Idle) FSaved.Idle(s, done);
    };
    a.OnMessage = [this](MSG& m, bool& handled) {
      bool through = Dispatch([&](TCustomApplicationEvents& e) {
        if (e.OnMessage) e.OnMessage(m, handled);
      });
      if (through && !handled && FSaved.Message) FSaved.Message(m, handled);
    };
    // The flat hint installs its show-hint handler before the main window's application events
    // come: it keeps working behind them.
    a.OnShowHint = [this](std::string& hint, bool& canShow, THintInfo& info) {
      bool through = Dispatch([&](TCustomApplicationEvents& e) {
        if (e.OnShowHint) e.OnShowHint(hint, canShow, info);
      });
      if (through && FSaved.ShowHint) FSaved.ShowHint(hint, canShow, info);
    };
  }

  void Uninstall() {
    // The application may have gone first (it frees its forms, and their components, itself).
    if (!FApp || FApp != Application) return;
    TApplication& a = *FApp;
    a.OnActivate = FSaved.Activate;
    a.OnDeactivate = FSaved.Deactivate;
    a.OnMinimize = FSaved.Minimize;
    a.OnRestore = FSaved.Restore;
    a.OnHint = FSaved.Hint;
    a.OnException = FSaved.Exception;
    a.OnIdle = FSaved.Idle;
    a.OnMessage = FSaved.Message;
    a.OnShowHint = FSaved.ShowHint;
    FSaved = Saved{};
    FApp = nullptr;
  }

  struct Saved {
    TNotifyEvent Activate, Deactivate, Minimize, Restore, Hint;
    TExceptionEvent Exception;
    TIdleEvent Idle;
    TMessageEvent Message;
    TShowHintEvent ShowHint;
  };
  std::vector<TCustomApplicationEvents*> FList;
  TApplication* FApp = nullptr;
  Saved FSaved;
  bool* FCancel = nullptr;
};

namespace {
TMultiCaster& MultiCaster() {
  static TMultiCaster m;
  return m;
}
}  // namespace

TCustomApplicationEvents::TCustomApplicationEvents(TComponent* AOwner) : TComponent(AOwner) { MultiCaster().Add(this); }

TCustomApplicationEvents::~TCustomApplicationEvents() { MultiCaster().Remove(this); }

void TCustomApplicationEvents::CancelDispatch() { MultiCaster().CancelDispatch(); }

int ApplicationEventsCount() { return MultiCaster().Count(); }
