// A list of message hooks on a window that components join and leave in any order, so that
// nobody replaces a window procedure it does not own.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <vector>

class TObject;

// Returns true when it handled the message: then `result` is the answer and no later hook nor
// the window's own handling sees it.
using TMessageHook = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;

class TMessageHooks {
 public:
  // The newest hook sees a message first. Joining again with the same key replaces that hook in
  // its place.
  void Add(const void* key, TMessageHook hook);
  void Remove(const void* key);
  bool Empty() const { return FHooks.empty(); }
  // Offers the message to the hooks; true when one handled it. A failing hook is reported
  // through the exception sink with sender as the sender and counts as not handled.
  bool Call(TObject* sender, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

 private:
  struct Entry {
    const void* Key;
    TMessageHook Hook;
    bool Left = false;
  };
  std::vector<std::shared_ptr<Entry>> FHooks;
};
