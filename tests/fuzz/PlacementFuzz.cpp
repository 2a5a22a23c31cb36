// Stored placement text and stored property values come from the registry, where anything may
// be written: every input must parse to some value without a fault.
#include <cstdint>
#include <map>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "shell/FormProps.h"
#include "shell/PlacementLogic.h"

namespace {

enum TKind { kOne, kTwo, kThree };
const TEnumInfo& KindInfo() {
  static const TEnumInfo e{"TKind", {"kOne", "kTwo", "kThree"}};
  return e;
}

class TFuzzThing : public TComponent {
  VELMORA_CLASS(TFuzzThing, TComponent)
 public:
  using TComponent::TComponent;
  bool Checked() const { return FChecked; }
  void SetChecked(bool v) { FChecked = v; }
  int Position() const { return FPosition; }
  void SetPosition(int v) { FPosition = v; }
  TKind Kind() const { return FKind; }
  void SetKind(TKind v) { FKind = v; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& v) { FText = v; }

 private:
  bool FChecked = false;
  int FPosition = 0;
  TKind FKind = kOne;
  std::string FText;
};
VELMORA_CLASS_INFO(TFuzzThing) {
  b.Bool("Checked", &TFuzzThing::Checked, &TFuzzThing::SetChecked);
  b.Int("Position", &TFuzzThing::Position, &TFuzzThing::SetPosition);
  b.Enum("Kind", &TFuzzThing::Kind, &TFuzzThing::SetKind, KindInfo());
  b.Str("Text", &TFuzzThing::Text, &TFuzzThing::SetText);
}

class TOneValueStore : public TPropStore {
 public:
  std::string Text;
  std::optional<std::string> ReadString(const std::string&) override { return Text; }
  void WriteString(const std::string&, const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TComponent root(nullptr);
  static TStringList entries;
  if (entries.Count() == 0) {
    (new TFuzzThing(&root))->SetName("Box");
    for (const char* e : {"Box.Checked", "Box.Position", "Box.Kind", "Box.Text", "Box.Missing", "Nobody.Checked"}) entries.Add(e);
  }
  std::string text(reinterpret_cast<const char*>(data), size);

  int32_t v;
  placement::ParseInt(text, v);
  placement::Quad q = placement::ParseQuad(text, {100, 100, 531, 343});
  std::vector<placement::Rect> areas{{0, 0, 1024, 740}, {q[2], q[3], q[0], q[1]}};
  for (bool keepSize : {false, true})
    if (auto r = placement::NormalRect(q, keepSize, 431, 243)) placement::ReachablePlace(*r, {3, 18, 18, 54, 18}, areas);
  placement::ReachablePlace({q[0], q[1], q[2], q[3]}, {q[1], q[0], q[3], q[2], q[0]}, areas);
  placement::StateFromShowCmd(placement::IntOr(text, 0), placement::State::Normal);

  TOneValueStore store;
  store.Text = text;
  formprops::LoadProperties(root, entries, store);
  return 0;
}
