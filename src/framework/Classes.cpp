#include "framework/Classes.h"
#include <algorithm>
#include "framework/Exception.h"

const TClassInfo& TObject::StaticClassInfo() {
  static TClassInfo info{"TObject", nullptr, {}};
  return info;
}

VELMORA_CLASS_INFO(TPersistent) {}
VELMORA_CLASS_INFO(TComponent) { b.Int("Tag", &TComponent::Tag, &TComponent::SetTag); }
VELMORA_CLASS_INFO(TCollection) {}
VELMORA_CLASS_INFO(TCollectionItem) {}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FState |= csDestroying;
  // Tell those who refer to this component, then free what it owns, newest first.
  auto notifies = std::move(FFreeNotifies);
  FFreeNotifies.clear();
  for (TComponent* c : notifies) {
    c->RemoveFreeNotification(this);
    c->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    delete c;  // removes itself from FComponents
  }
}

void TComponent::SetName(const std::string& value) {
  if (value == FName) return;
  if (!value.empty() && FOwner) {
    TComponent* other = FOwner->FindComponent(value);
    if (other && other != this) throw Exception("A component named " + value + " already exists");
  }
  FName = value;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, name)) return c;
  return nullptr;
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& v = FOwner->FComponents;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TComponent::Loaded() { FState &= ~(csLoading | csReading); }

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this) == other->FFreeNotifies.end())
    other->FFreeNotifies.push_back(this);
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) == FFreeNotifies.end())
    FFreeNotifies.push_back(other);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  std::erase(FFreeNotifies, other);
  std::erase(other->FFreeNotifies, this);
}

void TComponent::ReadChild(TComponent*) {}

const std::any* TComponent::FindHandler(const std::string& name) const {
  for (auto& [k, v] : FHandlers)
    if (SameText(k, name)) return &v;
  return nullptr;
}

bool TComponent::FillField(TComponent* c) {
  for (auto& f : FFields)
    if (SameText(f.Name, c->Name())) {
      if (!c->ClassInfo().InheritsFrom(f.Class)) return false;
      f.Set(c);
      f.Filled = true;
    }
  return true;
}

std::string TComponent::UnfilledField() const {
  for (auto& f : FFields)
    if (!f.Filled) return f.Name;
  return std::string();
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  // The owner passes removals on to everything it owns, so siblings drop their references.
  if (Operation == TOperation::opRemove && AComponent) {
    std::erase(FFreeNotifies, AComponent);
    for (TComponent* c : FComponents)
      if (c != AComponent) c->Notification(AComponent, Operation);
  }
}

void TComponent::InsertComponent(TComponent* c) {
  c->FOwner = this;
  FComponents.push_back(c);
}

void TComponent::RemoveComponent(TComponent* c) {
  Notification(c, TOperation::opRemove);
  std::erase(FComponents, c);
  c->FOwner = nullptr;
}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = FFactory(this);
  FItems.push_back(item);
  Changed(item);
  return item;
}

void TCollection::Clear() {
  for (auto* i : FItems) delete i;
  FItems.clear();
}

void TCollection::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  TCollectionItem* item = FItems[index];
  FItems.erase(FItems.begin() + index);
  delete item;
}

void TCollection::Move(int curIndex, int newIndex) {
  if (curIndex < 0 || curIndex >= Count() || newIndex < 0 || newIndex >= Count() || curIndex == newIndex) return;
  TCollectionItem* item = FItems[curIndex];
  FItems.erase(FItems.begin() + curIndex);
  FItems.insert(FItems.begin() + newIndex, item);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  for (int i = 0; i < FCollection->Count(); ++i)
    if (FCollection->Items(i) == this) return i;
  return -1;
}
