// Run-time class and property tables: the window descriptions and the stored settings set
// properties by name through them, always via the class's real setters.
#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <new>
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

// What the property tables call: a plain function and the bytes of what it needs (a member
// pointer). Unlike std::function it keeps no manager and no run-time type per accessor, which
// for some seven hundred properties is a good part of the program's size.
template <class Sig>
class TAccessor;
template <class R, class... A>
class TAccessor<R(A...)> {
 public:
  TAccessor() = default;
  template <class F>
  TAccessor(F f) {  // NOLINT: made from the builder's lambdas
    static_assert(sizeof(F) <= sizeof(FData) && alignof(F) <= alignof(void*) &&
                  std::is_trivially_copyable_v<F> && std::is_trivially_destructible_v<F>);
    ::new (static_cast<void*>(FData)) F(f);
    FCall = [](const void* data, A... args) -> R {
      return (*std::launder(static_cast<const F*>(data)))(std::forward<A>(args)...);
    };
  }
  explicit operator bool() const { return FCall != nullptr; }
  R operator()(A... args) const { return FCall(FData, std::forward<A>(args)...); }

 private:
  R (*FCall)(const void*, A...) = nullptr;
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

// Builds one class's property table with member-function pointers of that class.
template <class C>
class ClassBuilder {
 public:
  explicit ClassBuilder(TClassInfo& info) : FInfo(info) {}

  template <class G, class S>
  void Int(const char* name, G get, S set, const TIdentMap* idents = nullptr) {
    PropInfo p = Base(name, PropKind::Integer);
    p.Idents = idents;
    p.GetOrd = [get](TObject& o) { return static_cast<int64_t>((Self(o).*get)()); };
    p.SetOrd = [set](TObject& o, int64_t v) { CallSet(Self(o), set, v); };
    Add(std::move(p));
  }
  template <class G, class S>
  void Bool(const char* name, G get, S set) {
    PropInfo p = Base(name, PropKind::Boolean);
    p.GetOrd = [get](TObject& o) { return static_cast<int64_t>((Self(o).*get)() ? 1 : 0); };
    p.SetOrd = [set](TObject& o, int64_t v) { (Self(o).*set)(v != 0); };
    Add(std::move(p));
  }
  template <class G, class S>
  void Enum(const char* name, G get, S set, const TEnumInfo& e) {
    PropInfo p = Base(name, PropKind::Enum);
    p.Enum = &e;
    p.GetOrd = [get](TObject& o) { return static_cast<int64_t>((Self(o).*get)()); };
    p.SetOrd = [set](TObject& o, int64_t v) { CallSet(Self(o), set, v); };
    Add(std::move(p));
  }
  template <class G, class S>
  void Set(const char* name, G get, S set, const TEnumInfo& e) {
    PropInfo p = Base(name, PropKind::Set);
    p.Enum = &e;
    p.GetOrd = [get](TObject& o) { return static_cast<int64_t>((Self(o).*get)()); };
    p.SetOrd = [set](TObject& o, int64_t v) { CallSet(Self(o), set, v); };
    Add(std::move(p));
  }
  template <class G, class S>
  void Str(const char* name, G get, S set) {
    PropInfo p = Base(name, PropKind::String);
    p.GetStr = [get](TObject& o) { return std::string((Self(o).*get)()); };
    p.SetStr = [set](TObject& o, const std::string& v) { (Self(o).*set)(v); };
    Add(std::move(p));
  }
  template <class R, class G, class S>
  void Ref(const char* name, G get, S set) {
    PropInfo p = Base(name, PropKind::Reference);
    p.RefClass = &R::StaticClassInfo;
    p.GetObj = [get](TObject& o) -> TObject* { return (Self(o).*get)(); };
    p.SetObj = [set](TObject& o, TObject* v) { (Self(o).*set)(static_cast<R*>(v)); };
    Add(std::move(p));
  }
  template <class G>
  void Object(const char* name, G get) {
    PropInfo p = Base(name, PropKind::Object);
    p.GetObj = [get](TObject& o) -> TObject* { return (Self(o).*get)(); };
    Add(std::move(p));
  }
  template <class G>
  void Strings(const char* name, G get) {
    PropInfo p = Base(name, PropKind::Strings);
    p.GetObj = [get](TObject& o) -> TObject* { return (Self(o).*get)(); };
    Add(std::move(p));
  }
  template <class G>
  void Collection(const char* name, G get) {
    PropInfo p = Base(name, PropKind::Collection);
    p.GetObj = [get](TObject& o) -> TObject* { return (Self(o).*get)(); };
    Add(std::move(p));
  }
  // An event field of type std::function<Sig>; bound to a handler registered with that type.
  template <class F>
  void Event(const char* name, F C::*field) {
    PropInfo p = Base(name, PropKind::Event);
    p.EventType = &typeid(F);
    p.SetEvent = [field](TObject& o, const std::any& h) {
      const F* f = std::any_cast<F>(&h);
      if (!f) return false;
      Self(o).*field = *f;
      return true;
    };
    Add(std::move(p));
  }
  // Creatable by name from a description.
  void Creatable() {
    FInfo.Create = [](TComponent* owner) -> TComponent* { return new C(owner); };
  }

 private:
  static C& Self(TObject& o) { return static_cast<C&>(o); }
  template <class S>
  static void CallSet(C& c, S set, int64_t v) {
    using Arg = typename SetterArg<S>::type;
    (c.*set)(static_cast<Arg>(v));
  }
  template <class S>
  struct SetterArg;
  template <class R, class K, class A>
  struct SetterArg<R (K::*)(A)> {
    using type = std::remove_cvref_t<A>;
  };
  PropInfo Base(const char* name, PropKind k) {
    PropInfo p;
    p.Name = name;
    p.Kind = k;
    return p;
  }
  void Add(PropInfo p) { FInfo.Props.push_back(std::move(p)); }
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
