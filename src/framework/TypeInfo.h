// Run-time class and property tables: the window descriptions and the stored settings set
// properties by name through them, always via the class's real setters.
#pragma once
#include <any>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

class TObject;
class TComponent;
struct TClassInfo;

// Names of an enumeration's values, in ordinal order (also the element names of a set of it).
struct TEnumInfo {
  const char* TypeName;
  std::vector<std::string> Names;
  // Ordinal of a name (case-insensitive), or -1.
  int Find(std::string_view name) const;
};

// Named integer constants accepted in place of a number (colours, cursors).
struct TIdentMap {
  std::vector<std::pair<std::string, int64_t>> Items;
  bool ToInt(std::string_view name, int64_t& value) const;  // case-insensitive
  bool ToIdent(int64_t value, std::string& name) const;
};

enum class PropKind {
  Integer,     // with optional idents (colours, cursors)
  Boolean,
  Enum,
  Set,         // bit i set = element with ordinal i
  String,
  Reference,   // another component of the window, by name
  Object,      // an owned sub-object whose own properties are set by dotted name (Font.Height)
  Strings,     // an owned string list
  Collection,  // an owned collection of items
  Event,       // a handler of the window, bound by name
};

// What the property tables call: a plain function and the bytes of a member pointer it calls
// through. Unlike std::function it keeps no manager and no run-time type per accessor, and the
// functions are shared by every property whose member has the same type (see ClassBuilder).
template <class Sig>
class TAccessor;
template <class R, class... A>
class TAccessor<R(A...)> {
 public:
  using Call = R (*)(const void* member, A...);
  TAccessor() = default;
  template <class M>
  TAccessor(Call call, M member) : FCall(call) {
    static_assert(sizeof(M) <= sizeof(FData) && std::is_trivially_copyable_v<M>);
    std::memcpy(FData, &member, sizeof member);
  }
  explicit operator bool() const { return FCall != nullptr; }
  R operator()(A... args) const { return FCall(FData, std::forward<A>(args)...); }

 private:
  Call FCall = nullptr;
  // A member-function pointer is two words.
  alignas(void*) unsigned char FData[2 * sizeof(void*)] = {};
};

struct PropInfo {
  std::string Name;
  PropKind Kind = PropKind::Integer;
  const TEnumInfo* Enum = nullptr;       // Enum, Set
  const TIdentMap* Idents = nullptr;     // Integer
  // Reference: the class the target must inherit from (a function: a class may refer to itself).
  const TClassInfo& (*RefClass)() = nullptr;
  const std::type_info* EventType = nullptr;
  TAccessor<int64_t(TObject&)> GetOrd;  // Integer, Boolean, Enum, Set
  TAccessor<void(TObject&, int64_t)> SetOrd;
  TAccessor<std::string(TObject&)> GetStr;
  TAccessor<void(TObject&, const std::string&)> SetStr;
  TAccessor<TObject*(TObject&)> GetObj;  // Reference, Object, Strings, Collection
  TAccessor<void(TObject&, TObject*)> SetObj;  // Reference
  TAccessor<bool(TObject&, const std::any&)> SetEvent;  // false: the handler does not fit
};

struct TClassInfo {
  const char* Name;
  const TClassInfo* Parent;
  std::vector<PropInfo> Props;
  // Creates an instance owned by the given component; null for classes a description cannot name.
  TComponent* (*Create)(TComponent* owner) = nullptr;

  const PropInfo* FindProp(std::string_view name) const;  // case-insensitive, walks the parents
  bool InheritsFrom(const TClassInfo* other) const;
};

// The classes a window description may name.
void RegisterComponentClass(const TClassInfo& info);
const TClassInfo* FindClass(std::string_view name);

// Reads and writes a property as text, by the same tables: numbers in decimal (or their ident),
// Booleans "True"/"False", enumerations by value name, sets as "[a,b]".
std::string GetPropText(TObject& obj, const PropInfo& p);
// Throws Exception when the text does not fit the property.
void SetPropText(TObject& obj, const PropInfo& p, const std::string& text);

// The same by path from a window: "Component.Property" (or a property of the window itself, or a
// dotted sub-property such as "Panel1.Font.Height"). Throws Exception naming what is missing.
std::string GetPropPathText(TComponent& root, const std::string& path);
void SetPropPathText(TComponent& root, const std::string& path, const std::string& text);
// The object and property a path names, or {nullptr, nullptr} when there is none.
std::pair<TObject*, const PropInfo*> FindPropPath(TComponent& root, const std::string& path);

int CompareText(std::string_view a, std::string_view b);  // case-insensitive, ASCII
inline bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

namespace typeinfo_detail {
// A member pointer of a class seen as one of TObject, the base of every class with a table: the
// accessors below then exist once per member type, not once per class and property.
template <class M>
struct OfObject;
template <class R, class C, class... A>
struct OfObject<R (C::*)(A...)> {
  using type = R (TObject::*)(A...);
};
template <class R, class C, class... A>
struct OfObject<R (C::*)(A...) const> {
  using type = R (TObject::*)(A...) const;
};
template <class F, class C>
struct OfObject<F C::*> {
  using type = F TObject::*;
};
template <class M>
typename OfObject<M>::type ToObject(M m) {
  return static_cast<typename OfObject<M>::type>(m);
}
template <class M>
M Member(const void* data) {
  M m;
  std::memcpy(&m, data, sizeof m);
  return m;
}
// The argument type of a setter.
template <class M>
struct SetterArg;
template <class R, class A>
struct SetterArg<R (TObject::*)(A)> {
  using type = std::remove_cvref_t<A>;
};

template <class M>
int64_t GetOrd(const void* d, TObject& o) {
  return static_cast<int64_t>((o.*Member<M>(d))());
}
template <class M>
int64_t GetBool(const void* d, TObject& o) {
  return (o.*Member<M>(d))() ? 1 : 0;
}
template <class M>
void SetOrd(const void* d, TObject& o, int64_t v) {
  (o.*Member<M>(d))(static_cast<typename SetterArg<M>::type>(v));
}
template <class M>
void SetBool(const void* d, TObject& o, int64_t v) {
  (o.*Member<M>(d))(v != 0);
}
template <class M>
std::string GetStr(const void* d, TObject& o) {
  return std::string((o.*Member<M>(d))());
}
template <class M>
void SetStr(const void* d, TObject& o, const std::string& v) {
  (o.*Member<M>(d))(v);
}
template <class M>
TObject* GetObj(const void* d, TObject& o) {
  return (o.*Member<M>(d))();
}
template <class M>
void SetObj(const void* d, TObject& o, TObject* v) {
  (o.*Member<M>(d))(static_cast<typename SetterArg<M>::type>(v));
}
template <class F>
bool SetEvent(const void* d, TObject& o, const std::any& h) {
  const F* f = std::any_cast<F>(&h);
  if (!f) return false;
  o.*Member<F TObject::*>(d) = *f;
  return true;
}
}  // namespace typeinfo_detail

// Appends a property of that name and kind to a table and returns it for its accessors. Out of
// line: every property of every class is added by this one function.
PropInfo& AddProp(TClassInfo& info, const char* name, PropKind kind);

// Builds one class's property table with member-function pointers of that class.
template <class C>
class ClassBuilder {
 public:
  explicit ClassBuilder(TClassInfo& info) : FInfo(info) {}

  template <class G, class S>
  void Int(const char* name, G get, S set, const TIdentMap* idents = nullptr) {
    PropInfo& p = AddProp(FInfo, name, PropKind::Integer);
    p.Idents = idents;
    Ord(p, get, set);
  }
  template <class G, class S>
  void Bool(const char* name, G get, S set) {
    PropInfo& p = AddProp(FInfo, name, PropKind::Boolean);
    auto g = typeinfo_detail::ToObject(get);
    auto s = typeinfo_detail::ToObject(set);
    p.GetOrd = {&typeinfo_detail::GetBool<decltype(g)>, g};
    p.SetOrd = {&typeinfo_detail::SetBool<decltype(s)>, s};
  }
  template <class G, class S>
  void Enum(const char* name, G get, S set, const TEnumInfo& e) {
    PropInfo& p = AddProp(FInfo, name, PropKind::Enum);
    p.Enum = &e;
    Ord(p, get, set);
  }
  template <class G, class S>
  void Set(const char* name, G get, S set, const TEnumInfo& e) {
    PropInfo& p = AddProp(FInfo, name, PropKind::Set);
    p.Enum = &e;
    Ord(p, get, set);
  }
  template <class G, class S>
  void Str(const char* name, G get, S set) {
    PropInfo& p = AddProp(FInfo, name, PropKind::String);
    auto g = typeinfo_detail::ToObject(get);
    auto s = typeinfo_detail::ToObject(set);
    p.GetStr = {&typeinfo_detail::GetStr<decltype(g)>, g};
    p.SetStr = {&typeinfo_detail::SetStr<decltype(s)>, s};
  }
  template <class R, class G, class S>
  void Ref(const char* name, G get, S set) {
    PropInfo& p = AddProp(FInfo, name, PropKind::Reference);
    p.RefClass = &R::StaticClassInfo;
    auto g = typeinfo_detail::ToObject(get);
    auto s = typeinfo_detail::ToObject(set);
    p.GetObj = {&typeinfo_detail::GetObj<decltype(g)>, g};
    p.SetObj = {&typeinfo_detail::SetObj<decltype(s)>, s};
  }
  template <class G>
  void Object(const char* name, G get) {
    Owned(AddProp(FInfo, name, PropKind::Object), get);
  }
  template <class G>
  void Strings(const char* name, G get) {
    Owned(AddProp(FInfo, name, PropKind::Strings), get);
  }
  template <class G>
  void Collection(const char* name, G get) {
    Owned(AddProp(FInfo, name, PropKind::Collection), get);
  }
  // An event field of type std::function<Sig>; bound to a handler registered with that type.
  template <class F>
  void Event(const char* name, F C::*field) {
    PropInfo& p = AddProp(FInfo, name, PropKind::Event);
    p.EventType = &typeid(F);
    p.SetEvent = {&typeinfo_detail::SetEvent<F>, typeinfo_detail::ToObject(field)};
  }
  // The same for an event field that a base class declares.
  template <class F, class B>
    requires(std::is_base_of_v<B, C> && !std::is_same_v<B, C>)
  void Event(const char* name, F B::*field) {
    Event(name, static_cast<F C::*>(field));
  }
  // Creatable by name from a description.
  void Creatable() {
    FInfo.Create = [](TComponent* owner) -> TComponent* { return new C(owner); };
  }

 private:
  template <class G, class S>
  static void Ord(PropInfo& p, G get, S set) {
    auto g = typeinfo_detail::ToObject(get);
    auto s = typeinfo_detail::ToObject(set);
    p.GetOrd = {&typeinfo_detail::GetOrd<decltype(g)>, g};
    p.SetOrd = {&typeinfo_detail::SetOrd<decltype(s)>, s};
  }
  template <class G>
  static void Owned(PropInfo& p, G get) {
    auto g = typeinfo_detail::ToObject(get);
    p.GetObj = {&typeinfo_detail::GetObj<decltype(g)>, g};
  }
  TClassInfo& FInfo;
};

// Declares a class's table access inside the class body.
#define VELMORA_CLASS(Self, Base)                                              \
 public:                                                                       \
  using inherited = Base;                                                      \
  static const TClassInfo& StaticClassInfo();                                  \
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }   \
                                                                               \
 private:

// Defines the table in the source file: VELMORA_CLASS_INFO(TPanel) { b.Int(...); ... }
#define VELMORA_CLASS_INFO(Self)                                               \
  static void Self##_Describe(ClassBuilder<Self>& b);                          \
  const TClassInfo& Self::StaticClassInfo() {                                  \
    static TClassInfo info = [] {                                              \
      TClassInfo i{#Self, &inherited::StaticClassInfo(), {}};                  \
      ClassBuilder<Self> b(i);                                                 \
      Self##_Describe(b);                                                      \
      return i;                                                                \
    }();                                                                       \
    return info;                                                               \
  }                                                                            \
  static void Self##_Describe([[maybe_unused]] ClassBuilder<Self>& b)
