#include "framework/MessageHooks.h"
#include "framework/Events.h"

void TMessageHooks::Add(const void* key, TMessageHook hook) {
  for (auto& e : FHooks)
    if (e->Key == key) {
      // Replaced as a new entry: a dispatch running now keeps the old one alive.
      e->Left = true;
      e = std::make_shared<Entry>(Entry{key, std::move(hook)});
      return;
    }
  FHooks.insert(FHooks.begin(), std::make_shared<Entry>(Entry{key, std::move(hook)}));
}

void TMessageHooks::Remove(const void* key) {
  for (auto it = FHooks.begin(); it != FHooks.end(); ++it)
    if ((*it)->Key == key) {
      (*it)->Left = true;
      FHooks.erase(it);
      return;
    }
}

bool TMessageHooks::Call(TObject* sender, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (FHooks.empty()) return false;
  // A hook may join or leave (itself or others) while it runs: walk a copy, which also keeps a
  // leaving hook alive until its call returns, and skip those that left meanwhile.
  auto hooks = FHooks;
  for (auto& e : hooks) {
    if (e->Left) continue;
    bool handled = false;
    CallGuarded(sender, [&] { handled = e->Hook(msg, wp, lp, result); });
    if (handled) return true;
  }
  return false;
}
