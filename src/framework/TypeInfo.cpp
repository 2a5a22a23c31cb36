#include "framework/TypeInfo.h"
#include <cctype>
#include <cstdlib>
#include <map>
#include "framework/Classes.h"
#include "framework/Exception.h"

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i]));
    int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int TEnumInfo::Find(std::string_view name) const {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], name)) return static_cast<int>(i);
  return -1;
}

bool TIdentMap::ToInt(std::string_view name, int64_t& value) const {
  for (auto& [n, v] : Items)
    if (SameText(n, name)) {
      value = v;
      return true;
    }
  return false;
}

bool TIdentMap::ToIdent(int64_t value, std::string& name) const {
  for (auto& [n, v] : Items)
    if (v == value) {
      name = n;
      return true;
    }
  return false;
}

const PropInfo* TClassInfo::FindProp(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const PropInfo& p : c->Props)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c == other) return true;
  return false;
}

static std::map<std::string, const TClassInfo*, std::less<>>& ClassRegistry() {
  static std::map<std::string, const TClassInfo*, std::less<>> r;
  return r;
}

static std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

PropInfo& AddProp(TClassInfo& info, const char* name, PropKind kind) {
  PropInfo& p = info.Props.emplace_back();
  p.Name = name;
  p.Kind = kind;
  return p;
}

void RegisterComponentClass(const TClassInfo& info) { ClassRegistry()[Lower(info.Name)] = &info; }

const TClassInfo* FindClass(std::string_view name) {
  auto& r = ClassRegistry();
  auto it = r.find(Lower(name));
  return it == r.end() ? nullptr : it->second;
}

// Parses a whole decimal or "$hex" number; false when the text is not one.
static bool ParseInt(const std::string& t, int64_t& v) {
  if (t.empty()) return false;
  const char* s = t.c_str();
  char* end = nullptr;
  if (s[0] == '$') {
    v = static_cast<int64_t>(std::strtoull(s + 1, &end, 16));
    return end != s + 1 && *end == 0;
  }
  v = std::strtoll(s, &end, 10);
  return end != s && *end == 0;
}

std::string GetPropText(TObject& obj, const PropInfo& p) {
  switch (p.Kind) {
    case PropKind::Integer: {
      int64_t v = p.GetOrd(obj);
      std::string name;
      if (p.Idents && p.Idents->ToIdent(v, name)) return name;
      return std::to_string(v);
    }
    case PropKind::Boolean:
      return p.GetOrd(obj) ? "True" : "False";
    case PropKind::Enum: {
      int64_t v = p.GetOrd(obj);
      if (v >= 0 && v < static_cast<int64_t>(p.Enum->Names.size())) return p.Enum->Names[v];
      return std::to_string(v);
    }
    case PropKind::Set: {
      uint64_t v = static_cast<uint64_t>(p.GetOrd(obj));
      std::string s = "[";
      for (size_t i = 0; i < p.Enum->Names.size(); ++i)
        if (v & (uint64_t{1} << i)) {
          if (s.size() > 1) s += ",";
          s += p.Enum->Names[i];
        }
      return s + "]";
    }
    case PropKind::String:
      return p.GetStr(obj);
    case PropKind::Reference: {
      auto* c = dynamic_cast<TComponent*>(p.GetObj(obj));
      return c ? c->Name() : std::string();
    }
    default:
      throw Exception("Property " + p.Name + " cannot be written as text");
  }
}

void SetPropText(TObject& obj, const PropInfo& p, const std::string& text) {
  auto bad = [&] { return Exception("Invalid property value '" + text + "' for " + p.Name); };
  switch (p.Kind) {
    case PropKind::Integer: {
      int64_t v;
      if (!(p.Idents && p.Idents->ToInt(text, v)) && !ParseInt(text, v)) throw bad();
      p.SetOrd(obj, v);
      return;
    }
    case PropKind::Boolean:
      if (SameText(text, "True"))
        p.SetOrd(obj, 1);
      else if (SameText(text, "False"))
        p.SetOrd(obj, 0);
      else
        throw bad();
      return;
    case PropKind::Enum: {
      int i = p.Enum->Find(text);
      if (i < 0) throw bad();
      p.SetOrd(obj, i);
      return;
    }
    case PropKind::Set: {
      if (text.size() < 2 || text.front() != '[' || text.back() != ']') throw bad();
      uint64_t v = 0;
      std::string inner = text.substr(1, text.size() - 2);
      size_t i = 0;
      while (i <= inner.size()) {
        size_t e = inner.find(',', i);
        if (e == std::string::npos) e = inner.size();
        std::string el = inner.substr(i, e - i);
        while (!el.empty() && std::isspace(static_cast<unsigned char>(el.front()))) el.erase(0, 1);
        while (!el.empty() && std::isspace(static_cast<unsigned char>(el.back()))) el.pop_back();
        if (!el.empty()) {
          int o = p.Enum->Find(el);
          if (o < 0) throw bad();
          v |= uint64_t{1} << o;
        }
        i = e + 1;
      }
      p.SetOrd(obj, static_cast<int64_t>(v));
      return;
    }
    case PropKind::String:
      p.SetStr(obj, text);
      return;
    default:
      throw Exception("Property " + p.Name + " cannot be read from text");
  }
}

std::pair<TObject*, const PropInfo*> FindPropPath(TComponent& root, const std::string& path) {
  TObject* obj = &root;
  std::string rest = path;
  size_t dot = rest.find('.');
  if (dot != std::string::npos) {
    if (TComponent* c = root.FindComponent(rest.substr(0, dot))) {
      obj = c;
      rest = rest.substr(dot + 1);
    }
  }
  while ((dot = rest.find('.')) != std::string::npos) {
    const PropInfo* sub = obj->ClassInfo().FindProp(rest.substr(0, dot));
    if (!sub || sub->Kind != PropKind::Object || !sub->GetObj(*obj)) return {nullptr, nullptr};
    obj = sub->GetObj(*obj);
    rest = rest.substr(dot + 1);
  }
  const PropInfo* p = obj->ClassInfo().FindProp(rest);
  if (!p) return {nullptr, nullptr};
  return {obj, p};
}

namespace {
std::pair<TObject*, const PropInfo*> ResolvePath(TComponent& root, const std::string& path) {
  auto found = FindPropPath(root, path);
  if (!found.second) throw Exception("Property " + path + " not found");
  return found;
}
}  // namespace

std::string GetPropPathText(TComponent& root, const std::string& path) {
  auto [obj, p] = ResolvePath(root, path);
  return GetPropText(*obj, *p);
}

void SetPropPathText(TComponent& root, const std::string& path, const std::string& text) {
  auto [obj, p] = ResolvePath(root, path);
  SetPropText(*obj, *p, text);
}
