#include "framework/Strings.h"
#include <cstdio>

VELMORA_CLASS_INFO(TStrings) {}
VELMORA_CLASS_INFO(TStringList) {}

void TStrings::Put(int i, const std::string& s) {
  FItems.at(i) = s;
  Changed();
}

int TStrings::Add(const std::string& s) {
  FItems.push_back(s);
  Changed();
  return Count() - 1;
}

void TStrings::Insert(int i, const std::string& s) {
  FItems.insert(FItems.begin() + i, s);
  Changed();
}

void TStrings::Delete(int i) {
  FItems.erase(FItems.begin() + i);
  Changed();
}

void TStrings::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

void TStrings::AddStrings(const TStrings& other) {
  FItems.insert(FItems.end(), other.FItems.begin(), other.FItems.end());
  Changed();
}

void TStrings::Assign(const TStrings& other) {
  FItems = other.FItems;
  Changed();
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(FItems[i], s)) return i;
  return -1;
}

std::string TStrings::Names(int i) const {
  const std::string& s = FItems[i];
  size_t p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::ValueFromIndex(int i) const {
  const std::string& s = FItems[i];
  size_t p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStrings::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    size_t p = FItems[i].find('=');
    if (p != std::string::npos && SameText(std::string_view(FItems[i]).substr(0, p), name)) return i;
  }
  return -1;
}

std::string TStrings::Values(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (i < 0)
    Add(name + "=" + value);
  else
    Put(i, name + "=" + value);
}

std::string TStrings::Text() const {
  std::string t;
  for (const auto& s : FItems) {
    t += s;
    t += "\r\n";
  }
  return t;
}

void TStrings::SetText(const std::string& text) {
  FItems.clear();
  size_t i = 0;
  while (i < text.size()) {
    size_t e = text.find_first_of("\r\n", i);
    if (e == std::string::npos) {
      FItems.push_back(text.substr(i));
      break;
    }
    FItems.push_back(text.substr(i, e - i));
    i = e + 1;
    if (text[e] == '\r' && i < text.size() && text[i] == '\n') ++i;
  }
  Changed();
}

bool TStrings::SaveToFile(const std::string& fileName) const {
  FILE* f = std::fopen(fileName.c_str(), "wb");
  if (!f) return false;
  std::string t = Text();
  bool ok = std::fwrite(t.data(), 1, t.size(), f) == t.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool TStrings::LoadFromFile(const std::string& fileName) {
  FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  std::string t;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) t.append(buf, n);
  std::fclose(f);
  SetText(t);
  return true;
}
