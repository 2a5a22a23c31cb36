// The component model: objects with class tables, owned components with names, the loading
// state, and notification of components that refer to one being destroyed.
#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "framework/TypeInfo.h"

class TObject {
 public:
  virtual ~TObject() = default;
  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  const char* ClassName() const { return ClassInfo().Name; }
  bool InheritsFrom(const TClassInfo& c) const { return ClassInfo().InheritsFrom(&c); }
};

// Objects whose properties a description or stored settings can set (fonts, bevels, palettes).
class TPersistent : public TObject {
  VELMORA_CLASS(TPersistent, TObject)
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum TComponentStateFlag : unsigned { csLoading = 1, csDestroying = 2, csReading = 4 };
enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  VELMORA_CLASS(TComponent, TPersistent)

 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& value);
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int i) const { return FComponents[i]; }
  TComponent* FindComponent(const std::string& name) const;  // among the owned, case-insensitive
  int ComponentIndex() const;
  // Frees the owned components, newest first (a window does it while it is still whole).
  void DestroyComponents();

  // A number for the program's own use (which of several buttons sharing a handler was pressed).
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t v) { FTag = v; }

  unsigned ComponentState() const { return FState; }
  bool Loading() const { return (FState & csLoading) != 0; }
  bool Destroying() const { return (FState & csDestroying) != 0; }
  void BeginLoading() { FState |= csLoading; }
  // Ends the loading state and applies what the description set.
  virtual void Loaded();

  // Asks to be told (Notification with opRemove) when other is destroyed.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Adds a component that a description nests inside this one (controls, menu items).
  virtual void ReadChild(TComponent* child);

  // Handlers of this component (a window) that descriptions bind to events by name.
  template <class F>
  void RegisterHandler(const std::string& name, F handler) {
    FHandlers[name] = std::any(std::move(handler));
  }
  const std::any* FindHandler(const std::string& name) const;

  // Fields of this component (a window) that the description fills with the component of that
  // name when it creates it.
  template <class T>
  void BindField(const std::string& name, T*& field) {
    FFields.push_back({name, &T::StaticClassInfo(), [&field](TComponent* c) { field = static_cast<T*>(c); }});
  }
  // Fills a bound field with c; false when c's class does not fit the field.
  bool FillField(TComponent* c);
  // The name of a bound field that no component filled, or empty.
  std::string UnfilledField() const;

 protected:
  // Another component is being added to or removed from the owner, or one this component asked
  // about is being destroyed: clear references to it here.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  void MarkDestroying() { FState |= csDestroying; }
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

 private:
  TComponent* FOwner = nullptr;
  std::string FName;
  unsigned FState = 0;
  intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::map<std::string, std::any> FHandlers;
  struct FieldSlot {
    std::string Name;
    const TClassInfo* Class;
    std::function<void(TComponent*)> Set;
    bool Filled = false;
  };
  std::vector<FieldSlot> FFields;
};

// Owned list of items of one class, set from a description as <item ... end> blocks.
class TCollectionItem;
class TCollection : public TPersistent {
  VELMORA_CLASS(TCollection, TPersistent)

 public:
  using Factory = std::function<TCollectionItem*(TCollection*)>;
  TCollection(TPersistent* owner, Factory factory) : FOwner(owner), FFactory(std::move(factory)) {}
  ~TCollection() override;
  TCollectionItem* Add();
  void Clear();
  // Frees the item at index; an index outside the list does nothing.
  void Delete(int index);
  // Moves the item at curIndex to newIndex; indexes outside the list do nothing.
  void Move(int curIndex, int newIndex);
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int i) const { return FItems[i]; }
  TPersistent* Owner() const { return FOwner; }
  // Called when an item's properties change; owners repaint.
  std::function<void(TCollectionItem*)> OnUpdate;
  void Changed(TCollectionItem* item) {
    if (OnUpdate) OnUpdate(item);
  }

 private:
  TPersistent* FOwner;
  Factory FFactory;
  std::vector<TCollectionItem*> FItems;
};

class TCollectionItem : public TPersistent {
  VELMORA_CLASS(TCollectionItem, TPersistent)

 public:
  explicit TCollectionItem(TCollection* c) : FCollection(c) {}
  TCollection* Collection() const { return FCollection; }
  int Index() const;

 protected:
  void Changed() {
    if (FCollection) FCollection->Changed(this);
  }

 private:
  TCollection* FCollection;
};
