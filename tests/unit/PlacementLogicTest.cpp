// Stored placement text and stored properties: whatever the registry holds gives the documented
// fallback.
#include <gtest/gtest.h>
#include <climits>
#include <map>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "shell/FormProps.h"
#include "shell/PlacementLogic.h"

using namespace placement;

TEST(PlacementText, NumbersAreWholeDecimalsWithinThirtyTwoBits) {
  int32_t v = 7;
  EXPECT_TRUE(ParseInt("-0", v) && v == 0);
  EXPECT_TRUE(ParseInt("+15", v) && v == 15);
  EXPECT_TRUE(ParseInt("2147483647", v) && v == INT_MAX);
  EXPECT_TRUE(ParseInt("-2147483648", v) && v == INT_MIN);
  for (const char* bad : {"", "-", "+", "2147483648", "-2147483649", "99999999999999999999999", "12a", " 1", "1 ", "0x10", "$10", "1.5"})
    EXPECT_FALSE(ParseInt(bad, v)) << bad;
  EXPECT_EQ(v, INT_MIN);  // left alone by the failures
  EXPECT_EQ(IntOr("oops", 96), 96);
}

TEST(PlacementText, WordsAreSplitAtRunsOfCommasAndSpaces) {
  auto w = SplitWords(" ,10,, 20 ,");
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0], "10");
  EXPECT_EQ(w[1], "20");
  EXPECT_TRUE(SplitWords(" , ,").empty());
  // Missing, non-numeric and overflowing words take their defaults; extra words are ignored.
  Quad d{100, 100, 531, 343};
  EXPECT_EQ(ParseQuad("10,20", d), (Quad{10, 20, 531, 343}));
  EXPECT_EQ(ParseQuad("x,5,99999999999,-7,8", d), (Quad{100, 5, 531, -7}));
  EXPECT_EQ(ParseQuad("", d), d);
  EXPECT_EQ(FormatQuad({-1, -1, 2147483647, INT_MIN}), "-1,-1,2147483647,-2147483648");
  EXPECT_EQ(ScreenSuffix(1024, 768), "(1024x768)");
}

TEST(PlacementText, ShowCommandsMapToStates) {
  for (int c : {1, 5, 9}) EXPECT_EQ(StateFromShowCmd(c, State::Maximized), State::Normal);
  for (int c : {2, 6, 7}) EXPECT_EQ(StateFromShowCmd(c, State::Normal), State::Minimized);
  EXPECT_EQ(StateFromShowCmd(3, State::Normal), State::Maximized);
  for (int c : {0, 4, 8, 10, -1, INT_MAX}) EXPECT_EQ(StateFromShowCmd(c, State::Maximized), State::Maximized);
}

TEST(PlacementGeometry, TheNormalRectangleKeepsAFixedWindowsSizeAndRefusesEmptyOnes) {
  // Two words, 10 and 20, over a 431 x 243 window at 100, 100.
  Quad q = ParseQuad("10 20", {100, 100, 531, 343});
  auto sizeable = NormalRect(q, false, 431, 243);
  ASSERT_TRUE(sizeable);
  EXPECT_EQ(sizeable->right, 531);
  EXPECT_EQ(sizeable->bottom, 343);
  auto fixed = NormalRect(q, true, 431, 243);
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->left, 10);
  EXPECT_EQ(fixed->right, 441);
  EXPECT_EQ(fixed->bottom, 263);
  EXPECT_FALSE(NormalRect({50, 0, 50, 100}, false, 431, 243));   // right not beyond left
  EXPECT_FALSE(NormalRect({0, 90, 100, 10}, false, 431, 243));   // bottom above top
  EXPECT_FALSE(NormalRect({INT_MAX - 5, 0, 0, 0}, true, 431, 243));  // past the coordinates
  EXPECT_FALSE(NormalRect({0, INT_MAX, 0, 0}, true, 431, 243));
}

TEST(PlacementGeometry, ACaptionNeedsAGripInsideAWorkArea) {
  std::vector<Rect> screens{{0, 0, 1024, 740}, {1024, 0, 2048, 768}};
  EXPECT_TRUE(CaptionReachable({300, 200, 731, 222}, screens));
  EXPECT_TRUE(CaptionReachable({2000, 10, 2431, 32}, screens));  // on the second screen
  std::vector<Rect> one{screens[0]};
  EXPECT_TRUE(CaptionReachable({1000, 0, 1431, 22}, one));  // 24 pixels still on the screen
  EXPECT_FALSE(CaptionReachable({1001, 0, 1431, 22}, one));  // 23
  EXPECT_FALSE(CaptionReachable({5000, 5000, 5431, 5022}, screens));
  EXPECT_FALSE(CaptionReachable({300, 735, 731, 757}, one));  // 5 rows above the taskbar
  EXPECT_FALSE(CaptionReachable({300, -21, 731, 1}, screens));
  EXPECT_TRUE(CaptionReachable({0, 0, 10, 5}, screens));  // smaller than a grip, wholly inside
  EXPECT_FALSE(CaptionReachable({0, 0, 431, 22}, {}));
  EXPECT_FALSE(CaptionReachable({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {}));
  EXPECT_TRUE(CaptionReachable({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, screens));
}

// ---------------------------------------------------------------- stored properties

namespace {

enum TLineSpeed { lsSlow, lsFast };
const TEnumInfo& LineSpeedInfo() {
  static const TEnumInfo e{"TLineSpeed", {"lsSlow", "lsFast"}};
  return e;
}

class TStoredThing : public TComponent {
  VELMORA_CLASS(TStoredThing, TComponent)
 public:
  using TComponent::TComponent;
  bool Checked() const { return FChecked; }
  void SetChecked(bool v) {
    FChecked = v;
    ++Sets;  // the real setter runs, as a check box's click handler would
  }
  int Position() const { return FPosition; }
  void SetPosition(int v) { FPosition = v < 0 ? 0 : v > 10 ? 10 : v; }
  TLineSpeed Speed() const { return FSpeed; }
  void SetSpeed(TLineSpeed v) { FSpeed = v; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& v) { FText = v; }
  TStringList* Lines() { return &FLines; }
  int Sets = 0;

 private:
  bool FChecked = false;
  int FPosition = 3;
  TLineSpeed FSpeed = lsSlow;
  std::string FText;
  TStringList FLines;
};
VELMORA_CLASS_INFO(TStoredThing) {
  b.Bool("Checked", &TStoredThing::Checked, &TStoredThing::SetChecked);
  b.Int("Position", &TStoredThing::Position, &TStoredThing::SetPosition);
  b.Enum("Speed", &TStoredThing::Speed, &TStoredThing::SetSpeed, LineSpeedInfo());
  b.Str("Text", &TStoredThing::Text, &TStoredThing::SetText);
  b.Strings("Lines", &TStoredThing::Lines);
}

class TMemoryStore : public TPropStore {
 public:
  std::map<std::string, std::string> Values;
  std::optional<std::string> ReadString(const std::string& name) override {
    auto it = Values.find(name);
    if (it == Values.end()) return std::nullopt;
    return it->second;
  }
  void WriteString(const std::string& name, const std::string& value) override { Values[name] = value; }
};

struct Window {
  TComponent root{nullptr};
  TStoredThing* box = new TStoredThing(&root);
  TStringList entries;
  TMemoryStore store;
  Window() {
    box->SetName("FlatCheckBox1");
    for (const char* e : {"FlatCheckBox1.Checked", "FlatCheckBox1.Position", "FlatCheckBox1.Speed", "FlatCheckBox1.Text",
                          "FlatCheckBox1.Lines", "FlatCheckBox1.Missing", "Nobody.Checked", "Checked", ".Checked", "FlatCheckBox1."})
      entries.Add(e);
  }
};

}  // namespace

TEST(StoredProperties, AreWrittenAsValueNamesAndDecimalTextUnderComponentUnderscoreProperty) {
  Window w;
  w.box->SetChecked(true);
  w.box->SetPosition(7);
  w.box->SetSpeed(lsFast);
  w.box->SetText("  padded ");
  formprops::StoreProperties(w.root, w.entries, w.store);
  EXPECT_EQ(w.store.Values, (std::map<std::string, std::string>{{"FlatCheckBox1_Checked", "True"},
                                                                 {"FlatCheckBox1_Position", "7"},
                                                                 {"FlatCheckBox1_Speed", "lsFast"},
                                                                 {"FlatCheckBox1_Text", "padded"}}));
  EXPECT_EQ(formprops::ValueName("NetBar.Position"), "NetBar_Position");
  EXPECT_EQ(formprops::ValueName("NetBar"), "");
}

TEST(StoredProperties, ReadBackThroughTheSettersWithFallbacksForBadText) {
  Window w;
  w.store.Values = {{"FlatCheckBox1_Checked", "tRUE"}, {"FlatCheckBox1_Position", " 42 "}, {"FlatCheckBox1_Speed", "LSFAST"}, {"FlatCheckBox1_Text", "x"}};
  formprops::LoadProperties(w.root, w.entries, w.store);
  EXPECT_TRUE(w.box->Checked());
  EXPECT_EQ(w.box->Sets, 1);
  EXPECT_EQ(w.box->Position(), 10);  // limited by its setter
  EXPECT_EQ(w.box->Speed(), lsFast);
  EXPECT_EQ(w.box->Text(), "x");

  // Names that match no value leave the property as it is; a number that is none gives 0.
  w.store.Values = {{"FlatCheckBox1_Checked", "yes"}, {"FlatCheckBox1_Position", "2147483648"}, {"FlatCheckBox1_Speed", "lsMedium"}};
  formprops::LoadProperties(w.root, w.entries, w.store);
  EXPECT_TRUE(w.box->Checked());
  EXPECT_EQ(w.box->Sets, 1);
  EXPECT_EQ(w.box->Position(), 0);
  EXPECT_EQ(w.box->Speed(), lsFast);
  EXPECT_EQ(w.box->Text(), "x");  // missing: unchanged

  w.store.Values = {{"FlatCheckBox1_Position", ""}};
  w.box->SetPosition(5);
  formprops::LoadProperties(w.root, w.entries, w.store);
  EXPECT_EQ(w.box->Position(), 0);
}
