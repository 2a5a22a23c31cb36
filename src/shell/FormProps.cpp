#include "shell/FormProps.h"
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "shell/PlacementLogic.h"

namespace formprops {

namespace {

std::string_view Trim(std::string_view s) {
  const char* ws = " \t\r\n";
  size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

bool Stored(const PropInfo& p) {
  return p.Kind == PropKind::Integer || p.Kind == PropKind::Boolean || p.Kind == PropKind::Enum ||
         p.Kind == PropKind::String;
}

// The property an entry names, when it is one that is stored.
std::pair<TObject*, const PropInfo*> Resolve(TComponent& root, const std::string& entry, std::string& valueName) {
  valueName = ValueName(entry);
  if (valueName.empty()) return {nullptr, nullptr};
  auto found = FindPropPath(root, entry);
  if (!found.second || !Stored(*found.second)) return {nullptr, nullptr};
  return found;
}

}  // namespace

std::string ValueName(std::string_view entry) {
  size_t dot = entry.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == entry.size()) return {};
  std::string name(entry);
  name[dot] = '_';
  return name;
}

void StoreProperties(TComponent& root, const TStrings& entries, TPropStore& store) {
  for (int i = 0; i < entries.Count(); ++i) {
    std::string name;
    auto [obj, p] = Resolve(root, entries[i], name);
    if (!p) continue;
    std::string text;
    switch (p->Kind) {
      case PropKind::Integer: text = std::to_string(p->GetOrd(*obj)); break;
      case PropKind::String: text = p->GetStr(*obj); break;
      default: text = GetPropText(*obj, *p); break;  // the value's name: "True", "alClient"
    }
    store.WriteString(name, std::string(Trim(text)));
  }
}

void LoadProperties(TComponent& root, const TStrings& entries, TPropStore& store) {
  for (int i = 0; i < entries.Count(); ++i) {
    std::string name;
    auto [obj, p] = Resolve(root, entries[i], name);
    if (!p) continue;
    std::optional<std::string> stored = store.ReadString(name);
    if (!stored) continue;
    std::string_view text = Trim(*stored);
    switch (p->Kind) {
      case PropKind::Integer:
        p->SetOrd(*obj, placement::IntOr(text, 0));
        break;
      case PropKind::Boolean:
        if (SameText(text, "True"))
          p->SetOrd(*obj, 1);
        else if (SameText(text, "False"))
          p->SetOrd(*obj, 0);
        break;
      case PropKind::Enum:
        if (int o = p->Enum->Find(text); o >= 0) p->SetOrd(*obj, o);
        break;
      case PropKind::String:
        p->SetStr(*obj, *stored);
        break;
      default:
        break;
    }
  }
}

}  // namespace formprops
