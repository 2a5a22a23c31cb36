// The instruments' framework against real GDI and threads: frames, bevels, palettes, bitmap sets
// and their stream, change links, the pictures in the program's resources, the timer.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <memory>
#include <string>
#include <vector>
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/Threads.h"
#include "instruments/MtClasses.h"
#include "instruments/MtSysUtils.h"
#include "instruments/MtSystem.h"
#include "instruments/MtThreads.h"
#include "TestSupport.h"

namespace {

std::unique_ptr<TBitmap> Filled(int w, int h, TColor c) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  b->Canvas().Brush().SetColor(c);
  b->Canvas().FillRect(RECT{0, 0, w, h});
  return b;
}

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

}  // namespace

TEST(InstrumentDrawing, FramesAndBevelsShrinkTheRectangleByWhatTheyDraw) {
  auto pb = Filled(10, 10, clWhite);
  TBitmap& b = *pb;
  RECT r{0, 0, 10, 10};
  DrawFrame3D(b.Canvas(), r, clRed, clBlue, 2);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right - r.left, 6);
  EXPECT_EQ(r.bottom - r.top, 6);
  EXPECT_EQ(b.PixelRGB(0, 0), 0x0000FFu);  // top-left lines: red
  EXPECT_EQ(b.PixelRGB(1, 5), 0x0000FFu);
  EXPECT_EQ(b.PixelRGB(9, 0), 0xFF0000u);  // the top-right corner belongs to the bottom colour
  EXPECT_EQ(b.PixelRGB(0, 9), 0xFF0000u);
  EXPECT_EQ(b.PixelRGB(8, 8), 0xFF0000u);
  EXPECT_EQ(b.PixelRGB(2, 2), 0xFFFFFFu);
  RECT same{0, 0, 10, 10};
  DrawFrame3D(b.Canvas(), same, clRed, clBlue, 0);
  EXPECT_EQ(same.right, 10);
  // An absurd width ends at once and still shrinks by all of it.
  RECT huge{0, 0, 10, 10};
  DrawFrame3D(b.Canvas(), huge, clRed, clBlue, 5000000);
  EXPECT_EQ(huge.left, 5000000);

  // The progress bar's bevel: lowered, one pixel, nothing else.
  TMtBevel bevel;
  bevel.SetInnerStyle(TMtBevelStyle::bsNone);
  bevel.SetInnerSpace(0);
  bevel.SetOuterStyle(TMtBevelStyle::bsLowered);
  bevel.SetOuterOutline(TMtOutlineStyle::osNone);
  auto pbar = Filled(144, 16, clBlack);
  TBitmap& bar = *pbar;
  RECT inner{0, 0, 144, 16};
  bevel.Paint(bar.Canvas(), inner);
  EXPECT_EQ(inner.left, 1);
  EXPECT_EQ(inner.right, 143);
  EXPECT_EQ(inner.bottom, 15);
  EXPECT_EQ(bar.PixelRGB(0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(bar.PixelRGB(143, 15), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(bar.PixelRGB(1, 1), 0u);
  // Defaults: outer black outline and raised ring, inner lowered ring, then an inner space.
  TMtBevel standard;
  RECT rs{0, 0, 20, 20};
  auto psb = Filled(20, 20, clWhite);
  TBitmap& sb = *psb;
  standard.Paint(sb.Canvas(), rs);
  EXPECT_EQ(rs.left, 4);
  EXPECT_EQ(sb.PixelRGB(0, 0), 0u);
  EXPECT_EQ(sb.PixelRGB(1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(sb.PixelRGB(2, 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(sb.PixelRGB(3, 3), ColorToRGB(clBtnFace));
  standard.SetVisible(false);
  RECT untouched{0, 0, 20, 20};
  standard.Paint(sb.Canvas(), untouched);
  EXPECT_EQ(untouched.left, 0);

  // The gradient of the main window's bar: green at the left, toward yellow.
  TBitmap fill;
  fill.SetSize(142, 14);
  DrawGradient(fill.Canvas(), RECT{0, 0, 142, 14}, clGreen, clYellow, gdHorizontal, 1);
  EXPECT_EQ(fill.PixelRGB(0, 7), 0x008000u);
  EXPECT_EQ(fill.PixelRGB(71, 13), 0x00C080u);
  EXPECT_EQ(fill.PixelRGB(141, 0), 0x00FEFDu);
  DrawGradient(fill.Canvas(), RECT{0, 0, 142, 14}, clBlack, clWhite, gdVertical, 1);
  EXPECT_EQ(fill.PixelRGB(5, 0), 0u);
  EXPECT_EQ(fill.PixelRGB(5, 7), 0x808080u);
  // The program computes with doubles on this side too.
  EXPECT_EQ(ValueOfPercent(29, 100), 28);
}

TEST(InstrumentValues, ChangesAreReportedOnceAndOnlyWhenSomethingDiffers) {
  TMtBevel a, b;
  int changes = 0;
  a.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &a);
    ++changes;
  };
  a.SetOuterWidth(1);
  a.SetOuterWidth(0);  // out of range: ignored
  a.SetBorderWidth(-1);
  EXPECT_EQ(changes, 0);
  a.SetOuterWidth(3);
  EXPECT_EQ(changes, 1);
  b.SetInnerColor(clRed);
  b.SetOuterStyle(TMtBevelStyle::bsLowered);
  a.Assign(b);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(a.OuterWidth(), 1);
  EXPECT_EQ(a.InnerColor(), clRed);
  a.BeginUpdate();
  a.SetInnerSpace(5);
  a.SetInnerSpace(6);
  EXPECT_EQ(changes, 2);
  a.EndUpdate();
  EXPECT_EQ(changes, 3);
  a.EndUpdate();  // unbalanced: no harm
  EXPECT_EQ(a.UpdateCount(), 0);

  TMtPalette p;
  EXPECT_EQ(p.Colors(0), clGreen);
  EXPECT_EQ(p.Colors(-5), clGreen);
  EXPECT_EQ(p.Colors(1), clLime);
  TMtPaletteEx ex;
  EXPECT_EQ(ex.Low2(), clBlack);
  EXPECT_EQ(ex.High1(), clLime);

  // Recolouring decides on the original pixel: swapping the two colours really swaps them.
  auto pstrip = Filled(3, 1, clRed);
  TBitmap& strip = *pstrip;
  strip.Canvas().SetPixel(0, 0, clGreen);
  strip.Canvas().SetPixel(1, 0, clLime);
  p.SetLow(clLime);
  p.SetHigh(clGreen);
  p.RecolorBitmap(strip, clGreen, clLime);
  EXPECT_EQ(strip.PixelRGB(0, 0), 0x00FF00u);
  EXPECT_EQ(strip.PixelRGB(1, 0), 0x008000u);
  EXPECT_EQ(strip.PixelRGB(2, 0), 0x0000FFu);
}

TEST(InstrumentValues, BitmapSetsStreamRoundTripAndDamagedStreamsLeaveThemAlone) {
  TMtBitmaps set;
  EXPECT_FALSE(set.Stored());
  auto pred = Filled(3, 2, clRed), pblue = Filled(4, 5, clBlue);
  TBitmap &red = *pred, &blue = *pblue;
  EXPECT_EQ(set.Add(red), 0);
  EXPECT_EQ(set.Add(blue), 1);
  EXPECT_TRUE(set.Stored());
  EXPECT_EQ(set.Bitmaps(2), nullptr);
  EXPECT_EQ(set.Bitmaps(-1), nullptr);
  std::vector<uint8_t> data = set.WriteData();

  TMtBitmaps copy;
  int changes = 0;
  copy.OnChange = [&](TObject*) { ++changes; };
  copy.ReadData(data.data(), data.size(), false);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Bitmaps(1)->Width(), 4);
  EXPECT_EQ(copy.Bitmaps(1)->PixelRGB(3, 4), 0xFF0000u);
  EXPECT_EQ(copy.Bitmaps(0)->PixelRGB(0, 0), 0x0000FFu);

  // A damaged second picture: the whole stream is refused, before anything changes.
  std::vector<uint8_t> bad = data;
  size_t second = 8 + red.SaveToBmp().size();
  bad[second + 14 + 14] = 3;  // bits per pixel
  for (bool append : {false, true}) {
    try {
      copy.ReadData(bad.data(), bad.size(), append);
      ADD_FAILURE() << "a damaged stream was read";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid file format");
    }
    EXPECT_EQ(copy.Count(), 2);
  }
  // A count far beyond the bytes: refused without trying to make room for it.
  bad = data;
  bad[4] = bad[5] = bad[6] = 0xFF;
  EXPECT_THROW(copy.ReadData(bad.data(), bad.size(), false), Exception);
  EXPECT_EQ(copy.Count(), 2);

  // Files: saving writes the list, loading appends to it.
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string file = std::string(dir) + "velmora-bitmaps.bin";
  set.SaveToFile(file);
  copy.LoadFromFile(file);
  EXPECT_EQ(copy.Count(), 4);
  DeleteFileA(file.c_str());
  EXPECT_THROW(copy.LoadFromFile(file), Exception);
  EXPECT_EQ(copy.Count(), 4);

  // An empty list is stored as nothing and reads back empty.
  TMtBitmaps none;
  std::vector<uint8_t> empty = none.WriteData();
  copy.ReadData(empty.data(), empty.size(), false);
  EXPECT_EQ(copy.Count(), 0);
  copy.Assign(&set);
  EXPECT_EQ(copy.Count(), 2);
  copy.Assign(nullptr);
  EXPECT_EQ(copy.Count(), 0);
}

TEST(InstrumentValues, BitmapListTellsItsLinksInOrderThenItsOwnHandler) {
  auto* list = new TMtBitmapList(nullptr);
  TMtChangeLink first, second, third;
  std::string order;
  first.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, list);
    order += "1";
    list->RemoveLink(&second);  // leaving while the others are told
  };
  second.OnChange = [&](TObject*) { order += "2"; };
  third.OnChange = [&](TObject*) { order += "3"; };
  list->OnChange = [&](TObject*) { order += "L"; };
  list->InsertLink(&first);
  list->InsertLink(&second);
  list->InsertLink(&third);
  EXPECT_EQ(second.Sender(), list);
  list->Bitmaps().Add(*Filled(2, 2, clRed));
  EXPECT_EQ(order, "13L");
  EXPECT_EQ(second.Sender(), nullptr);
  EXPECT_EQ(list->GetBitmap(0)->Width(), 2);
  EXPECT_EQ(list->GetBitmap(1), nullptr);
  {
    TMtChangeLink brief;
    list->InsertLink(&brief);
    EXPECT_EQ(list->LinkCount(), 3);
  }
  EXPECT_EQ(list->LinkCount(), 2);
  delete list;
  EXPECT_EQ(first.Sender(), nullptr);
  EXPECT_EQ(third.Sender(), nullptr);
}

TEST(InstrumentResources, PicturesAreInTheProgramAsDrawn) {
  TBitmap gauge;
  ASSERT_TRUE(gauge.LoadFromResourceName(Module(), "ICGAUGE"));
  ASSERT_EQ(gauge.Width(), 195);
  ASSERT_EQ(gauge.Height(), 16);
  const uint32_t grey = 0x808080, white = 0xFFFFFF, lime = 0x00FF00, green = 0x008000;
  for (int k = 0; k <= 12; ++k) {
    int x0 = k * 15;
    EXPECT_EQ(gauge.PixelRGB(x0, 0), grey);
    EXPECT_EQ(gauge.PixelRGB(x0 + 14, 1), white);
    EXPECT_EQ(gauge.PixelRGB(x0 + 13, 1), grey);
    EXPECT_EQ(gauge.PixelRGB(x0, 14), grey);
    EXPECT_EQ(gauge.PixelRGB(x0 + 1, 14), white);
    EXPECT_EQ(gauge.PixelRGB(x0 + 1, 7), grey);
    EXPECT_EQ(gauge.PixelRGB(x0 + 13, 7), white);
    for (int row = 2; row <= 13; ++row) {
      int level = 14 - row;
      uint32_t want = level <= k ? lime : row % 2 == 0 ? green : 0;
      EXPECT_EQ(gauge.PixelRGB(x0 + 2, row), want) << "frame " << k << " row " << row;
      EXPECT_EQ(gauge.PixelRGB(x0 + 12, row), want);
    }
  }
  TBitmap levels;
  ASSERT_TRUE(levels.LoadFromResourceName(Module(), "ICLEVELS"));
  EXPECT_EQ(levels.PixelRGB(7, 5), 0xC0C0C0u);
  EXPECT_EQ(levels.PixelRGB(6 * 15 + 3, 13), lime);
  EXPECT_EQ(levels.PixelRGB(6 * 15 + 11, 8), lime);
  EXPECT_EQ(levels.PixelRGB(6 * 15 + 11, 7), 0u);

  const struct {
    const char* name;
    int w, h;
  } sizes[] = {{"NUM13X24", 169, 24}, {"NUM11X20", 143, 20}, {"NUM7X13", 91, 13}, {"NUM12X17", 156, 17},
               {"NUM5X7", 52, 7},     {"LIGHTS_RND_ON", 39, 13}, {"LIGHTS_DMD_OFF", 39, 13},
               {"LIGHTS_RECT_ON", 51, 7}, {"MTTB_HORI", 9, 17}, {"MTTB_VERT", 17, 9}};
  for (auto& s : sizes) {
    TBitmap b;
    ASSERT_TRUE(b.LoadFromResourceName(Module(), s.name)) << s.name;
    EXPECT_EQ(b.Width(), s.w) << s.name;
    EXPECT_EQ(b.Height(), s.h) << s.name;
  }
  // The 7 x 13 digits: an 8 has every segment lit, a blank none; the middle segment of cells
  // 11 and 12 unlit and lit, nothing else.
  TBitmap digits;
  digits.LoadFromResourceName(Module(), "NUM7X13");
  EXPECT_EQ(digits.PixelRGB(8 * 7 + 3, 0), 0xC0C0C0u);
  EXPECT_EQ(digits.PixelRGB(8 * 7 + 3, 6), 0xC0C0C0u);
  EXPECT_EQ(digits.PixelRGB(10 * 7 + 3, 6), grey);
  EXPECT_EQ(digits.PixelRGB(11 * 7 + 3, 6), grey);
  EXPECT_EQ(digits.PixelRGB(11 * 7 + 3, 0), 0u);
  EXPECT_EQ(digits.PixelRGB(12 * 7 + 3, 6), 0xC0C0C0u);
  EXPECT_EQ(digits.PixelRGB(1 * 7 + 3, 0), grey);  // a 1 has no top segment lit

  InitMtControls();
  HCURSOR hand = CursorHandle(crMtHandPoint);
  EXPECT_NE(hand, nullptr);
  EXPECT_NE(hand, LoadCursorA(nullptr, IDC_ARROW));
}

// ---------------------------------------------------------------- the instrument timer

namespace {
struct TimerFixture : ::testing::Test {
  void SetUp() override {
    InitThreadSync();
    window = GetCurrentThreadId();
  }
  DWORD window = 0;
};
}  // namespace

using InstrumentTimer = TimerFixture;

TEST_F(InstrumentTimer, TicksOnTheWindowThreadOnlyWhenEnabledWithIntervalAndHandler) {
  TMtTimer t(nullptr);
  EXPECT_EQ(t.Interval(), 1000u);
  EXPECT_TRUE(t.Enabled());
  EXPECT_EQ(t.Version(), "3.70");
  std::atomic<int> ticks{0};
  std::atomic<DWORD> thread{0};
  t.SetInterval(15);  // no handler yet: does not run
  EXPECT_FALSE(t.Running());
  t.OnTimer = [&](TObject* s) {
    EXPECT_EQ(s, &t);
    thread = GetCurrentThreadId();
    ++ticks;
  };
  PumpFor(60);
  EXPECT_EQ(ticks, 0);  // assigning the handler alone changes nothing
  t.SetInterval(10);
  EXPECT_TRUE(t.Running());
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(thread, window);
  // Off only drops the ticks; on again reconfigures.
  t.SetEnabled(false);
  EXPECT_TRUE(t.Running());
  int before = ticks;
  PumpFor(60);
  EXPECT_EQ(ticks, before);
  t.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= before + 2; }));
  t.SetInterval(0);
  EXPECT_FALSE(t.Running());
  before = ticks;
  PumpFor(50);
  EXPECT_EQ(ticks, before);

  // Unsynchronised: the handler runs on the timer's own thread.
  t.SetSyncEvent(false);
  t.SetInterval(10);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= before + 2; }));
  EXPECT_NE(thread, window);
  t.SetSyncEvent(true);

  // A system timer ticks through the window thread's messages.
  t.SetTimerType(ttSystem);
  before = ticks;
  ASSERT_TRUE(PumpUntil([&] { return ticks >= before + 2; }));
  EXPECT_EQ(thread, window);
  t.SetTimerType(ttThread);
  before = ticks;
  ASSERT_TRUE(PumpUntil([&] { return ticks >= before + 2; }));
}

TEST_F(InstrumentTimer, StopsWhileItsTickWaitsForTheWindowThread) {
  std::atomic<int> ticks{0};
  auto* t = new TMtTimer(nullptr);
  t->OnTimer = [&](TObject*) { ++ticks; };
  t->SetInterval(5);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
  // The window thread is busy: the timer thread hands its next tick over and waits.
  Sleep(60);
  int before = ticks;
  DWORD start = GetTickCount();
  delete t;  // must neither deadlock nor run the waiting tick
  EXPECT_LT(GetTickCount() - start, 2000u);
  PumpFor(40);
  EXPECT_EQ(ticks, before);
}

TEST_F(InstrumentTimer, HandlerMayFreeItsTimerOrFailAndTheTimerGoesOn) {
  SinkCatcher sink;
  bool freed = false;
  auto* t = new TMtTimer(nullptr);
  t->OnTimer = [&](TObject* s) {
    delete static_cast<TMtTimer*>(s);
    freed = true;
  };
  t->SetInterval(5);
  ASSERT_TRUE(PumpUntil([&] { return freed; }));
  PumpFor(40);

  int calls = 0;
  TMtTimer failing(nullptr);
  failing.OnTimer = [&](TObject*) {
    ++calls;
    throw Exception("tick failed");
  };
  failing.SetInterval(5);
  ASSERT_TRUE(PumpUntil([&] { return calls >= 3; }));
  EXPECT_EQ(sink.messages.at(0), "tick failed");

  // Set by a description: nothing runs before the loaded step.
  RegisterComponentClass(TMtTimer::StaticClassInfo());
  const TClassInfo* cls = FindClass("TMtTimer");
  ASSERT_NE(cls, nullptr);
  TComponent owner(nullptr);
  auto* loaded = static_cast<TMtTimer*>(cls->Create(&owner));
  loaded->BeginLoading();
  SetPropText(*loaded, *cls->FindProp("Interval"), "5");
  SetPropText(*loaded, *cls->FindProp("Priority"), "tpHigher");
  int n = 0;
  loaded->OnTimer = [&](TObject*) { ++n; };
  PumpFor(40);
  EXPECT_EQ(n, 0);
  loaded->Loaded();
  EXPECT_TRUE(PumpUntil([&] { return n >= 2; }));
}

TEST_F(InstrumentTimer, NoTicksOnceTheApplicationIsEnding) {
  TApplication app(nullptr);
  app.Initialize();
  std::atomic<int> ticks{0};
  TMtTimer t(nullptr);
  t.OnTimer = [&](TObject*) { ++ticks; };
  t.SetInterval(5);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
  app.Terminate();
  app.ProcessMessages();
  ASSERT_TRUE(app.Terminated());
  int before = ticks;
  PumpFor(50);
  EXPECT_EQ(ticks, before);
}
