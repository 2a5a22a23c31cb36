#include "framework/Description.h"
#include <cctype>
#include "framework/Classes.h"
#include "framework/Exception.h"
#include "framework/Strings.h"

namespace desc {
namespace {

class Parser {
 public:
  Parser(std::string_view t, const std::string& n) : FText(t), FName(n) {}

  Object ParseRoot() {
    Skip();
    Object o = ParseObject();
    Skip();
    if (FPos < FText.size()) Fail("text after the last 'end'");
    return o;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) { throw Exception(Format("%s(%d): %s", FName.c_str(), FLine, what.c_str())); }

  void Skip() {
    for (;;) {
      while (FPos < FText.size() && std::isspace(static_cast<unsigned char>(FText[FPos]))) {
        if (FText[FPos] == '\n') ++FLine;
        ++FPos;
      }
      if (FPos + 1 < FText.size() && FText[FPos] == '/' && FText[FPos + 1] == '/') {
        while (FPos < FText.size() && FText[FPos] != '\n') ++FPos;
        continue;
      }
      return;
    }
  }
  bool At(char c) {
    Skip();
    return FPos < FText.size() && FText[FPos] == c;
  }
  void Expect(char c) {
    if (!At(c)) Fail(std::string("'") + c + "' expected");
    ++FPos;
  }
  static bool IdentChar(char c, bool first) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || (!first && (std::isdigit(static_cast<unsigned char>(c)) || c == '.'));
  }
  std::string Ident() {
    Skip();
    size_t s = FPos;
    if (FPos >= FText.size() || !IdentChar(FText[FPos], true)) Fail("name expected");
    while (FPos < FText.size() && IdentChar(FText[FPos], false)) ++FPos;
    return std::string(FText.substr(s, FPos - s));
  }
  bool PeekWord(std::string_view w) {
    Skip();
    if (FText.substr(FPos, w.size()) != w) return false;
    size_t e = FPos + w.size();
    return e >= FText.size() || !IdentChar(FText[e], false);
  }

  Object ParseObject() {
    Object o;
    o.line = FLine;
    if (!PeekWord("object")) Fail("'object' expected");
    Ident();
    o.name = Ident();
    Expect(':');
    o.className = Ident();
    for (;;) {
      Skip();
      if (FPos >= FText.size()) Fail("'end' expected");
      if (PeekWord("end")) {
        Ident();
        return o;
      }
      if (PeekWord("object")) {
        o.children.push_back(ParseObject());
        continue;
      }
      o.props.push_back(ParseProp());
    }
  }

  Prop ParseProp() {
    Prop p;
    p.line = FLine;
    p.name = Ident();
    Expect('=');
    p.value = ParseValue();
    return p;
  }

  // A string: 'quoted' parts and #code characters, possibly joined with + over several lines.
  std::string ParseString() {
    std::string s;
    for (bool first = true;; first = false) {
      // Parts join only when nothing stands between them; '+' joins across line breaks.
      if (first) Skip();
      if (FPos < FText.size() && FText[FPos] == '\'') {
        ++FPos;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\n') Fail("unterminated string");
          char c = FText[FPos++];
          if (c == '\'') {
            if (FPos < FText.size() && FText[FPos] == '\'') {
              s += '\'';
              ++FPos;
              continue;
            }
            break;
          }
          s += c;
        }
      } else if (FPos < FText.size() && FText[FPos] == '#') {
        ++FPos;
        size_t st = FPos;
        while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos]))) ++FPos;
        if (st == FPos) Fail("character code expected after '#'");
        if (FPos - st > 3 || std::stoi(std::string(FText.substr(st, FPos - st))) > 255) Fail("character code out of range");
        int code = std::stoi(std::string(FText.substr(st, FPos - st)));
        s += static_cast<char>(code);
      } else {
        return s;
      }
      if (FPos < FText.size() && (FText[FPos] == '\'' || FText[FPos] == '#')) continue;
      size_t save = FPos;
      int saveLine = FLine;
      if (At('+')) {
        ++FPos;
        Skip();
        if (FPos >= FText.size() || (FText[FPos] != '\'' && FText[FPos] != '#')) Fail("string expected after '+'");
      } else {
        FPos = save;
        FLine = saveLine;
        return s;
      }
    }
  }

  Value ParseValue() {
    Value v;
    Skip();
    if (FPos >= FText.size()) Fail("value expected");
    char c = FText[FPos];
    if (c == '\'' || c == '#') {
      v.kind = Value::Str;
      v.s = ParseString();
    } else if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
      v.kind = Value::Int;
      bool neg = false;
      if (c == '-') {
        neg = true;
        ++FPos;
      }
      size_t st = FPos;
      int base = 10;
      if (FPos < FText.size() && FText[FPos] == '$') {
        base = 16;
        st = ++FPos;
      }
      while (FPos < FText.size() && std::isxdigit(static_cast<unsigned char>(FText[FPos]))) {
        if (base == 10 && !std::isdigit(static_cast<unsigned char>(FText[FPos]))) break;
        ++FPos;
      }
      if (st == FPos) Fail("number expected");
      if (FPos < FText.size() && (IdentChar(FText[FPos], false) && FText[FPos] != '.')) Fail("malformed number");
      if (FPos - st > (base == 16 ? 16u : 18u)) Fail("number out of range");
      uint64_t u = std::stoull(std::string(FText.substr(st, FPos - st)), nullptr, base);
      // Negated as unsigned: -$8000000000000000 is the smallest 64-bit value, whose signed
      // negation is undefined.
      if (neg) u = 0 - u;
      v.i = static_cast<int64_t>(u);
    } else if (c == '[') {
      v.kind = Value::Set;
      ++FPos;
      if (!At(']')) {
        for (;;) {
          v.set.push_back(Ident());
          if (At(']')) break;
          Expect(',');
        }
      }
      Expect(']');
    } else if (c == '(') {
      v.kind = Value::List;
      ++FPos;
      while (!At(')')) {
        Skip();
        if (FPos >= FText.size()) Fail("')' expected");
        if (FText[FPos] != '\'' && FText[FPos] != '#') Fail("string expected in list");
        v.list.push_back(ParseString());
      }
      Expect(')');
    } else if (c == '<') {
      v.kind = Value::Collection;
      ++FPos;
      while (!At('>')) {
        if (!PeekWord("item")) Fail("'item' expected");
        Ident();
        Item it;
        while (!PeekWord("end")) {
          Skip();
          if (FPos >= FText.size()) Fail("'end' expected");
          it.props.push_back(ParseProp());
        }
        Ident();
        v.items.push_back(std::move(it));
      }
      Expect('>');
    } else if (IdentChar(c, true)) {
      v.kind = Value::Ident;
      v.s = Ident();
    } else {
      Fail(std::string("unexpected '") + c + "'");
    }
    return v;
  }

  std::string_view FText;
  const std::string& FName;
  size_t FPos = 0;
  int FLine = 1;
};

}  // namespace

Object Parse(std::string_view text, const std::string& name) { return Parser(text, name).ParseRoot(); }

}  // namespace desc

namespace {

struct Fixup {
  TObject* target;
  const PropInfo* prop;
  std::string name;
  int line;
};

class Reader {
 public:
  Reader(TComponent* root, const std::string& name) : FRoot(root), FName(name) {}

  void Read(const desc::Object& o) {
    if (!SameText(o.className, FRoot->ClassName()))
      Fail(o.line, "the description is of " + o.className + ", not of " + FRoot->ClassName());
    FRoot->BeginLoading();
    FCreated.push_back(FRoot);
    Guard(o.line, [&] { FRoot->SetName(o.name); });
    Apply(*FRoot, o.props);
    for (const auto& c : o.children) ReadChild(FRoot, c);
    if (std::string missing = FRoot->UnfilledField(); !missing.empty()) Fail(o.line, "component " + missing + " is missing");
    for (const Fixup& f : FFixups) Resolve(f);
    for (TComponent* c : FCreated) c->Loaded();
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& what) {
    throw Exception(Format("%s(%d): %s", FName.c_str(), line, what.c_str()));
  }
  template <class F>
  void Guard(int line, F f) {
    try {
      f();
    } catch (const Exception& e) {
      Fail(line, e.Message());
    }
  }

  void ReadChild(TComponent* parent, const desc::Object& o) {
    const TClassInfo* cls = FindClass(o.className);
    if (!cls || !cls->Create) Fail(o.line, "unknown class " + o.className);
    // A component's own failure (a system it cannot start) leaves as it is, not as a
    // description error.
    TComponent* c = cls->Create(FRoot);
    Guard(o.line, [&] {
      c->BeginLoading();
      FCreated.push_back(c);
      c->SetName(o.name);
      if (!FRoot->FillField(c)) throw Exception(o.name + " is not of the class the window expects");
      parent->ReadChild(c);
    });
    Apply(*c, o.props);
    for (const auto& ch : o.children) ReadChild(c, ch);
  }

  void Apply(TObject& obj, const std::vector<desc::Prop>& props) {
    for (const auto& p : props) ApplyProp(obj, p);
  }

  void ApplyProp(TObject& obj, const desc::Prop& p) {
    // Walk the dotted path through owned sub-objects: Font.Height, Bevel.OuterStyle.
    TObject* target = &obj;
    std::string path = p.name;
    size_t dot;
    while ((dot = path.find('.')) != std::string::npos) {
      std::string head = path.substr(0, dot), rest = path.substr(dot + 1);
      const PropInfo* sub = target->ClassInfo().FindProp(head);
      if (!sub) Fail(p.line, "unknown property " + head + " of " + target->ClassName());
      if (sub->Kind == PropKind::Strings && SameText(rest, "Strings")) {
        path = head;
        break;
      }
      if (sub->Kind != PropKind::Object) Fail(p.line, "property " + head + " has no sub-properties");
      target = sub->GetObj(*target);
      if (!target) Fail(p.line, "property " + head + " is empty");
      path = rest;
    }
    const PropInfo* pi = target->ClassInfo().FindProp(path);
    if (!pi) Fail(p.line, "unknown property " + path + " of " + target->ClassName());
    Guard(p.line, [&] { SetValue(*target, *pi, p); });
  }

  void SetValue(TObject& obj, const PropInfo& pi, const desc::Prop& p) {
    const desc::Value& v = p.value;
    auto bad = [&] { return Exception("invalid value for " + pi.Name); };
    switch (pi.Kind) {
      case PropKind::Integer:
        if (v.kind == desc::Value::Int) {
          pi.SetOrd(obj, v.i);
        } else if (v.kind == desc::Value::Ident) {
          int64_t x;
          if (!pi.Idents || !pi.Idents->ToInt(v.s, x)) throw Exception("invalid value " + v.s + " for " + pi.Name);
          pi.SetOrd(obj, x);
        } else {
          throw bad();
        }
        return;
      case PropKind::Boolean:
      case PropKind::Enum:
        if (v.kind != desc::Value::Ident) throw bad();
        SetPropText(obj, pi, v.s);
        return;
      case PropKind::Set: {
        if (v.kind != desc::Value::Set) throw bad();
        std::string t = "[";
        for (size_t i = 0; i < v.set.size(); ++i) t += (i ? "," : "") + v.set[i];
        SetPropText(obj, pi, t + "]");
        return;
      }
      case PropKind::String:
        if (v.kind != desc::Value::Str) throw bad();
        pi.SetStr(obj, v.s);
        return;
      case PropKind::Reference:
      case PropKind::Event:
        if (v.kind != desc::Value::Ident) throw bad();
        FFixups.push_back({&obj, &pi, v.s, p.line});
        return;
      case PropKind::Strings: {
        if (v.kind != desc::Value::List) throw bad();
        auto* s = static_cast<TStrings*>(pi.GetObj(obj));
        s->BeginUpdate();
        s->Clear();
        for (const auto& line : v.list) s->Add(line);
        s->EndUpdate();
        return;
      }
      case PropKind::Collection: {
        if (v.kind != desc::Value::Collection) throw bad();
        auto* c = static_cast<TCollection*>(pi.GetObj(obj));
        c->Clear();
        for (const auto& it : v.items) {
          TCollectionItem* item = c->Add();
          for (const auto& ip : it.props) ApplyProp(*item, ip);
        }
        return;
      }
      case PropKind::Object:
        throw Exception("property " + pi.Name + " is set through its sub-properties");
    }
  }

  void Resolve(const Fixup& f) {
    if (f.prop->Kind == PropKind::Reference) {
      TComponent* c = SameText(f.name, FRoot->Name()) ? FRoot : FRoot->FindComponent(f.name);
      if (!c) Fail(f.line, "unknown component " + f.name);
      if (!c->ClassInfo().InheritsFrom(&f.prop->RefClass()))
        Fail(f.line, f.name + " is not a " + f.prop->RefClass().Name);
      Guard(f.line, [&] { f.prop->SetObj(*f.target, c); });
    } else {
      const std::any* h = FRoot->FindHandler(f.name);
      if (!h) Fail(f.line, "unknown handler " + f.name);
      if (!f.prop->SetEvent(*f.target, *h)) Fail(f.line, "handler " + f.name + " does not fit " + f.prop->Name);
    }
  }

  TComponent* FRoot;
  const std::string& FName;
  std::vector<TComponent*> FCreated;
  std::vector<Fixup> FFixups;
};

}  // namespace

void ReadDescription(TComponent* root, std::string_view text, const std::string& name) {
  desc::Object o = desc::Parse(text, name);
  Reader(root, name).Read(o);
}
