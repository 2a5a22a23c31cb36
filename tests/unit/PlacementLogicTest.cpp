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

// A single-border window of 431 x 243 with the classic metrics: 3-pixel frame, 18-pixel title bar,
// an 18-pixel icon, minimise, maximise and close buttons.
const Frame kFrame{3, 18, 18, 54, 18};

Rect At(int32_t x, int32_t y) { return Rect{x, y, x + 431, y + 243}; }

TEST(PlacementGeometry, TheTitleBarDragsBetweenItsIconAndItsButtons) {
  Rect d = DragArea(At(100, 50), kFrame);
  EXPECT_EQ(d.left, 100 + 3 + 18);
  EXPECT_EQ(d.right, 531 - 3 - 54);
  EXPECT_EQ(d.top, 53);
  EXPECT_EQ(d.bottom, 71);
  // Nothing left between them: the whole bar.
  Rect tiny = DragArea({0, 0, 60, 40}, kFrame);
  EXPECT_EQ(tiny.left, 3);
  EXPECT_EQ(tiny.right, 57);
  // Far out, the edges are clipped rather than wrapped.
  Rect far = DragArea({INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, kFrame);
  EXPECT_EQ(far.bottom, INT_MAX);
}

TEST(PlacementGeometry, ACaptionNeedsAGripOfThreeIconsAndTheWholeBarHeightOnOneWorkArea) {
  std::vector<Rect> screens{{0, 0, 1024, 740}, {1024, 0, 2048, 768}};
  std::vector<Rect> one{screens[0]};
  EXPECT_TRUE(CaptionReachable(At(300, 200), kFrame, one));
  EXPECT_TRUE(CaptionReachable(At(1500, 10), kFrame, screens));  // on the second screen
  // 1000,740 on a 1024 x 768 screen: what is left on it is the frame and the icon.
  EXPECT_FALSE(CaptionReachable(At(1000, 740), kFrame, {{0, 0, 1024, 768}}));
  // The drag area starts at x + 21: 54 pixels of it are needed, not the 24 that showed the icon.
  EXPECT_TRUE(CaptionReachable(At(1024 - 21 - 54, 100), kFrame, one));
  EXPECT_FALSE(CaptionReachable(At(1024 - 21 - 53, 100), kFrame, one));
  // At the left edge the buttons are what stays on the screen: they do not count either.
  EXPECT_TRUE(CaptionReachable(At(-(431 - 3 - 54 - 54), 100), kFrame, one));
  EXPECT_FALSE(CaptionReachable(At(-(431 - 3 - 54 - 53), 100), kFrame, one));
  // The full bar height: the bar's last row on the taskbar is not enough.
  EXPECT_TRUE(CaptionReachable(At(300, 740 - 3 - 18), kFrame, one));
  EXPECT_FALSE(CaptionReachable(At(300, 740 - 3 - 17), kFrame, one));
  EXPECT_FALSE(CaptionReachable(At(300, -4), kFrame, one));
  // Where the next screen begins lower, the part of the bar beside it does not count.
  EXPECT_FALSE(CaptionReachable(At(1024 - 21 - 30, 100), kFrame, {{0, 0, 1024, 740}, {1024, 200, 2048, 968}}));
  // A bar narrower than a grip needs all of its drag area.
  EXPECT_TRUE(CaptionReachable({0, 0, 60, 40}, kFrame, one));
  EXPECT_FALSE(CaptionReachable(At(300, 200), kFrame, {}));
  EXPECT_FALSE(CaptionReachable({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kFrame, {}));
  EXPECT_FALSE(CaptionReachable(At(300, 200), {3, 0, 18, 54, 18}, one));  // no bar at all
}

TEST(PlacementGeometry, AWindowThatCannotBeTakenBackIsMovedOntoTheScreenItCoversMost) {
  std::vector<Rect> screens{{0, 0, 1024, 740}, {1024, 0, 2048, 768}};
  // Reachable: left where it is, also half off the bottom.
  EXPECT_EQ(ReachablePlace(At(300, 600), kFrame, screens)->top, 600);
  // 1000,740 on one screen: moved in, wholly on it.
  auto r = ReachablePlace(At(1000, 740), kFrame, {{0, 0, 1024, 768}});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->left, 1024 - 431);
  EXPECT_EQ(r->top, 768 - 243);
  EXPECT_EQ(r->right - r->left, 431);
  EXPECT_EQ(r->bottom - r->top, 243);
  // Bar above the screen: down to its top edge, the left kept.
  r = ReachablePlace(At(200, -100), kFrame, screens);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->left, 200);
  EXPECT_EQ(r->top, 0);
  EXPECT_TRUE(CaptionReachable(*r, kFrame, screens));
  // Over the seam of two screens with the bar above both: onto the one it covers most.
  r = ReachablePlace(At(900, -10), kFrame, screens);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->left, 1024);
  EXPECT_EQ(r->top, 0);
  // On no screen at all: not placed.
  EXPECT_FALSE(ReachablePlace(At(5000, 5000), kFrame, screens));
  EXPECT_FALSE(ReachablePlace(At(300, 200), kFrame, {}));
  EXPECT_FALSE(ReachablePlace({INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 10}, kFrame, screens));
}

TEST(PlacementGeometry, MovingInKeepsTheSizeAndALargerWindowsTopLeftCorner) {
  Rect a{0, 0, 640, 480};
  Rect m = MoveInto({600, 450, 700, 500}, a);
  EXPECT_EQ(m.left, 540);
  EXPECT_EQ(m.top, 430);
  m = MoveInto({-50, -60, 50, 40}, a);
  EXPECT_EQ(m.left, 0);
  EXPECT_EQ(m.top, 0);
  m = MoveInto({100, 100, 900, 700}, a);  // larger than the area
  EXPECT_EQ(m.left, 0);
  EXPECT_EQ(m.top, 0);
  EXPECT_EQ(m.right, 800);
  m = MoveInto({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-100, -100, 100, 100});
  EXPECT_EQ(m.left, -100);
  EXPECT_EQ(m.right, INT_MAX);  // clipped, not wrapped
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
