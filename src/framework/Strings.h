// A list of strings with the name=value helpers the report and the stored settings use.
#pragma once
#include <string>
#include <vector>
#include "framework/Classes.h"

class TStrings : public TPersistent {
  VELMORA_CLASS(TStrings, TPersistent)

 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& operator[](int i) const { return FItems[i]; }
  const std::string& Strings(int i) const { return FItems[i]; }
  void Put(int i, const std::string& s);
  int Add(const std::string& s);
  void Insert(int i, const std::string& s);
  void Delete(int i);
  void Clear();
  void AddStrings(const TStrings& other);
  void Assign(const TStrings& other);
  int IndexOf(const std::string& s) const;  // case-insensitive
  // name=value access: the text before the first '=' is the name.
  std::string Names(int i) const;
  std::string ValueFromIndex(int i) const;
  int IndexOfName(const std::string& name) const;  // case-insensitive
  std::string Values(const std::string& name) const;
  void SetValue(const std::string& name, const std::string& value);
  // Lines joined with CR LF after each; setting splits at CR LF, LF or CR.
  std::string Text() const;
  void SetText(const std::string& text);
  const std::vector<std::string>& Items() const { return FItems; }
  std::function<void(TObject*)> OnChange;

  // Writes the lines, each ended by CR LF; false when the file cannot be written.
  bool SaveToFile(const std::string& fileName) const;
  bool LoadFromFile(const std::string& fileName);

 protected:
  void Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
  }
  std::vector<std::string> FItems;
  int FUpdateCount = 0;

 public:
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() {
    if (--FUpdateCount == 0) Changed();
  }
};

class TStringList : public TStrings {
  VELMORA_CLASS(TStringList, TStrings)
};
