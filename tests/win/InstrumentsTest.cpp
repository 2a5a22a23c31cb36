// The chart, the number, the bar and the tray gauge, painted and driven in-process.
#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <memory>
#include <string>
#include <vector>
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Threads.h"
#include "instruments/MtLcd.h"
#include "instruments/MtMath.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtScope.h"
#include "instruments/MtTrayGauge.h"
#include "TrayTestSupport.h"
#include "TestSupport.h"

namespace {

const uint32_t kBlack = 0x000000, kGreen = 0x008000, kLime = 0x00FF00, kYellow = 0x00FFFF;

}  // namespace

// ---------------------------------------------------------------- scope

TEST(InstrumentScope, TheMainWindowsChartBeforeAndAfterTicks) {
  TMtScope s(nullptr);
  EXPECT_EQ(s.Width(), 249);
  EXPECT_FALSE(s.Active());
  EXPECT_EQ(s.Interval(), 100u);
  s.SetBounds(0, 0, 366, 71);
  s.SetGridSize(14);
  s.Channels().Add();
  auto grid = Painted(s);
  // Grid only: the base line at 34, horizontal lines 14 apart, vertical ones from x = 0.
  for (int x : {3, 100, 365}) {
    EXPECT_EQ(grid->PixelRGB(x, 34), kLime);
    for (int y : {6, 20, 48, 62}) EXPECT_EQ(grid->PixelRGB(x, y), kGreen);
    for (int y : {5, 7, 33, 35, 63, 70}) EXPECT_EQ(grid->PixelRGB(x, y), kBlack);
  }
  for (int x : {0, 14, 28, 364}) EXPECT_EQ(grid->PixelRGB(x, 10), kGreen);
  EXPECT_EQ(grid->PixelRGB(13, 10), kBlack);

  // Five ticks of 10, 20, 30, 40 and 50: the newest at the right edge, each older one a pixel
  // further left, the grid moved left by five.
  int next = 10;
  s.OnNeedData = [&](TObject* sender, int channel, int& v) {
    EXPECT_EQ(sender, &s);
    EXPECT_EQ(channel, 0);
    v = next;
    next += 10;
  };
  for (int i = 0; i < 5; ++i) s.Tick();
  EXPECT_EQ(s.GridOffset(), 5);
  auto five = Painted(s);
  // Value v lies at 71 - trunc(71 * v%): 40 at 43, 30 at 50, 20 at 57, 10 at 64.
  EXPECT_EQ(five->PixelRGB(365, 43), kYellow);
  EXPECT_EQ(five->PixelRGB(364, 50), kYellow);
  EXPECT_EQ(five->PixelRGB(363, 57), kYellow);
  EXPECT_EQ(five->PixelRGB(362, 64), kYellow);
  for (int x = 0; x < 361; ++x)
    for (int y = 0; y < 71; ++y) ASSERT_NE(five->PixelRGB(x, y), kYellow) << x << "," << y;
  EXPECT_EQ(five->PixelRGB(9, 10), kGreen);
  EXPECT_EQ(five->PixelRGB(0, 10), kBlack);

  // A steady 50 lies at 36, a steady 100 on the top row.
  s.OnNeedData = [](TObject*, int, int& v) { v = 50; };
  for (int i = 0; i < 20; ++i) s.Tick();
  EXPECT_EQ(Painted(s)->PixelRGB(355, 36), kYellow);
  s.OnNeedData = [](TObject*, int, int& v) { v = 150; };  // limited to 100
  for (int i = 0; i < 20; ++i) s.Tick();
  EXPECT_EQ(Painted(s)->PixelRGB(355, 0), kYellow);
  EXPECT_EQ(s.Channels().Items(0)->History().front(), 100);
  s.OnNeedData = [](TObject*, int, int& v) { v = -3; };
  s.Tick();
  EXPECT_EQ(s.Channels().Items(0)->History().front(), 0);
  s.OnNeedData = nullptr;  // unanswered: MinValue
  s.Tick();
  EXPECT_EQ(s.Channels().Items(0)->History().front(), 0);
  EXPECT_EQ(s.Channels().Items(0)->History().size(), 47u);

  // An idle machine (0 and 1 %) draws its trace on the last row, not below the chart.
  s.OnNeedData = [](TObject*, int, int& v) { v = 1; };
  for (int i = 0; i < 20; ++i) s.Tick();
  EXPECT_EQ(s.Channels().Items(0)->History().front(), 1);
  EXPECT_EQ(Painted(s)->PixelRGB(355, 70), kYellow);
}

TEST(InstrumentScope, SettersRefuseWhatWouldHangOrCorruptTheChart) {
  TMtScope s(nullptr);
  s.SetBounds(0, 0, 50, 40);
  TMtChannel* ch = s.Channels().Add();
  s.OnNeedData = [](TObject*, int, int& v) { v = 60; };
  s.Tick();
  // Sizes below 1 would loop for ever; values past the limit do not fit the history.
  s.SetGridSize(0);
  s.SetGridSize(-4);
  s.SetFrequency(0);
  s.SetBaseOffset(101);
  s.SetGridLineWidth(-1);
  EXPECT_EQ(s.GridSize(), 16);
  EXPECT_EQ(s.Frequency(), 1);
  EXPECT_EQ(s.BaseOffset(), 50);
  s.SetMaxValue(1000000000);
  s.SetMinValue(-1000000000);
  EXPECT_EQ(s.MaxValue(), 100);
  EXPECT_EQ(s.MinValue(), 0);
  // A range that is not one changes nothing; a new range empties the history.
  s.SetMaxValue(0);
  EXPECT_EQ(s.MaxValue(), 100);
  EXPECT_EQ(ch->History().size(), 1u);
  s.SetMaxValue(999999999);
  s.SetMinValue(-999999999);
  EXPECT_TRUE(ch->History().empty());
  s.OnNeedData = [](TObject*, int, int& v) { v = INT_MIN; };
  s.Tick();
  EXPECT_EQ(ch->History().front(), -999999999);
  Painted(s);

  // A frequency beyond the grid keeps the offset within it.
  s.SetGridSize(5);
  s.SetFrequency(12);
  for (int i = 0; i < 100; ++i) {
    s.Tick();
    ASSERT_GE(s.GridOffset(), 0);
    ASSERT_LT(s.GridOffset(), 5);
  }
  Painted(s);
  // Without grid animation the lines stand still.
  s.SetAnimateGrid(false);
  int offset = s.GridOffset();
  s.Tick();
  EXPECT_EQ(s.GridOffset(), offset);
  // Three samples kept; the trace drops to the base line after them.
  s.SetBufferSize(3);
  s.SetFrequency(1);
  s.SetMaxValue(100);
  s.SetMinValue(0);
  s.OnNeedData = [](TObject*, int, int& v) { v = 100; };
  for (int i = 0; i < 6; ++i) s.Tick();
  EXPECT_EQ(ch->History().size(), 3u);
  auto b = Painted(s);
  EXPECT_EQ(b->PixelRGB(48, 0), kYellow);
  EXPECT_NE(b->PixelRGB(46, 0), kYellow);
  s.SetBufferSize(0);
  s.Tick();
  EXPECT_TRUE(ch->History().empty());
}

TEST(InstrumentScope, ActiveRunsItsOwnTimerOnlyOnceLoaded) {
  InitThreadSync();
  TMtScope s(nullptr);
  s.SetBounds(0, 0, 40, 20);
  s.Channels().Add();
  int asked = 0;
  s.OnNeedData = [&](TObject*, int, int& v) {
    ++asked;
    v = 1;
  };
  s.BeginLoading();
  s.SetInterval(10);
  s.SetActive(true);
  PumpFor(60);
  EXPECT_EQ(asked, 0);
  static_cast<TComponent&>(s).Loaded();
  EXPECT_TRUE(PumpUntil([&] { return asked >= 3; }));
  s.SetActive(false);
  int stopped = asked;
  PumpFor(60);
  EXPECT_EQ(asked, stopped);
  s.SetThreaded(false);
  s.SetActive(true);
  EXPECT_TRUE(PumpUntil([&] { return asked >= stopped + 2; }));
}

// ---------------------------------------------------------------- number

TEST(InstrumentNumber, TheMainWindowsNumberDrawsItsCells) {
  TMtNum n(nullptr);
  EXPECT_EQ(n.Width(), 100);
  EXPECT_EQ(n.Height(), 26);
  n.SetBounds(0, 0, 38, 16);
  n.SetStyle(ns7x13);
  EXPECT_EQ(n.CellWidth(), 7);
  EXPECT_EQ(n.CellHeight(), 13);
  int changes = 0;
  n.OnChange = [&](TObject*) { ++changes; };
  n.SetValue(42);
  // Blank, blank, 4, 2 at x = 2, 11, 20, 29 and y = 1: lit segments lime, unlit green, on black.
  auto b = Painted(n);
  auto seg = [&](int cell, int sx, int sy) { return b->PixelRGB(2 + cell * 9 + sx, 1 + sy); };
  EXPECT_EQ(seg(0, 3, 6), kGreen);  // blank: every segment unlit
  EXPECT_EQ(seg(0, 3, 0), kGreen);
  EXPECT_EQ(seg(2, 0, 3), kLime);   // 4: f, b, g, c lit; a, d, e unlit
  EXPECT_EQ(seg(2, 6, 3), kLime);
  EXPECT_EQ(seg(2, 3, 6), kLime);
  EXPECT_EQ(seg(2, 3, 0), kGreen);
  EXPECT_EQ(seg(2, 0, 9), kGreen);
  EXPECT_EQ(seg(3, 3, 0), kLime);   // 2: a, b, g, e, d lit; f, c unlit
  EXPECT_EQ(seg(3, 0, 9), kLime);
  EXPECT_EQ(seg(3, 6, 9), kGreen);
  EXPECT_EQ(b->PixelRGB(0, 0), kBlack);
  EXPECT_EQ(b->PixelRGB(1 + 2, 8), kBlack);  // inside a cell, off its segments
  EXPECT_EQ(b->PixelRGB(37, 15), kBlack);

  // Limited to Min..Max; the same limited value again changes nothing.
  n.SetValue(12000);
  EXPECT_EQ(n.Value(), 9999);
  n.SetValue(12000);
  EXPECT_EQ(changes, 2);
  // Digits outside 1..16 are refused.
  n.SetDigits(0);
  n.SetDigits(17);
  EXPECT_EQ(n.Digits(), 4);
  // A signed range puts a sign cell in front; the smallest 32-bit value is drawn whole.
  n.SetMin(INT_MIN);
  n.SetValue(INT_MIN);
  EXPECT_EQ(n.Value(), INT_MIN);
  n.SetDigits(10);
  auto big = Painted(n);
  EXPECT_EQ(big->Width(), 38);
  n.SetMin(-10);
  n.SetDigits(4);
  n.SetValue(-5);
  EXPECT_EQ(n.Value(), -5);
  n.SetAutoSize(true);
  EXPECT_EQ(n.Width(), 5 * 7 + 4 * 2);
  EXPECT_EQ(n.Height(), 13);
}

TEST(InstrumentNumber, TransparentShowsWhatLiesUnderIt) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 60, 30);
  panel.SetBevelOuter(bvNone);
  panel.SetColor(clRed);
  auto* n = new TMtNum(&panel);
  n->SetParent(&panel);
  n->SetBounds(10, 5, 38, 16);
  n->SetStyle(ns7x13);
  n->SetValue(8);
  TBitmap b;
  panel.PaintTo(b);
  EXPECT_EQ(b.PixelRGB(10 + 1, 5 + 8), kBlack);  // opaque: its own black
  n->SetTransparent(true);
  panel.PaintTo(b);
  EXPECT_EQ(b.PixelRGB(10 + 1, 5 + 8), 0x0000FFu);  // the panel's red between the cells
  EXPECT_EQ(b.PixelRGB(10 + 29 + 3, 5 + 1 + 6), kLime);  // the 8's middle segment, lit
  EXPECT_FALSE(n->Opaque());
}

// A colour scheme change reaches the instruments through the form: the number's digits and the
// bar's plain fill are drawn again in the new system colours.
namespace {
uint32_t gHighlight = 0x800000, gFace = 0xC0C0C0;
uint32_t SchemeColor(int index) {
  if (index == COLOR_HIGHLIGHT) return gHighlight;
  if (index == COLOR_BTNFACE) return gFace;
  return GetSysColor(index);
}
}  // namespace

TEST(InstrumentNumber, SystemColourChangesReachTheNumberAndTheBar) {
  gHighlight = 0x800000, gFace = 0xC0C0C0;
  SystemColorSource before = SetSystemColorSource(SchemeColor);
  {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 200, 100);
    auto* n = new TMtNum(panel);
    n->SetParent(panel);
    n->SetBounds(0, 0, 38, 16);
    n->SetStyle(ns7x13);
    n->Palette().SetHigh(clBtnFace);
    n->SetValue(8);
    auto* bar = new TMtProgressBar(&form);
    bar->SetParent(&form);
    bar->SetBounds(0, 120, 144, 16);
    bar->SetFillType(pfPlain);
    bar->SetPosition(50);
    form.HandleNeeded();
    panel->HandleNeeded();
    // The 8's middle segment (cell 3) and the bar's first block.
    EXPECT_EQ(Painted(*n)->PixelRGB(2 + 27 + 3, 1 + 6), 0xC0C0C0u);
    EXPECT_EQ(Painted(*bar)->PixelRGB(2, 2), 0x800000u);

    gHighlight = 0x008000, gFace = 0x0000FF;
    SendMessageA(form.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(Painted(*n)->PixelRGB(2 + 27 + 3, 1 + 6), 0x0000FFu);
    EXPECT_EQ(Painted(*bar)->PixelRGB(2, 2), 0x008000u);
  }
  SetSystemColorSource(before);
}

// ---------------------------------------------------------------- progress bar

TEST(InstrumentBar, TheMainWindowsBarAtHalf) {
  TMtProgressBar bar(nullptr);
  EXPECT_EQ(bar.Position(), 100);
  bar.SetBounds(0, 0, 144, 16);
  bar.SetStartColor(clGreen);
  bar.SetEndColor(clYellow);
  bar.SetStep(1);
  bar.SetPosition(50);
  auto b = Painted(bar);
  EXPECT_EQ(bar.Interior().left, 1);
  EXPECT_EQ(bar.Interior().right, 143);
  EXPECT_EQ(b->PixelRGB(0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(b->PixelRGB(143, 15), ColorToRGB(clBtnHighlight));
  // Nine blocks at x = 2, 10, ..., 66, six wide and twelve high, cut from the gradient.
  for (int k = 0; k < 9; ++k) {
    int x = 2 + 8 * k;
    uint32_t c = b->PixelRGB(x, 2);
    EXPECT_EQ(c & 0xFF, static_cast<uint32_t>(RoundEven(255.0 * (x - 1) / 142))) << x;
    EXPECT_EQ(b->PixelRGB(x + 5, 13), b->PixelRGB(x + 5, 2));
    EXPECT_EQ(b->PixelRGB(x + 6, 8), kBlack);  // the gap
    EXPECT_EQ(b->PixelRGB(x, 1), kBlack);
    EXPECT_EQ(b->PixelRGB(x, 14), kBlack);
  }
  EXPECT_EQ(b->PixelRGB(2, 2), 0x008102u);
  EXPECT_EQ(b->PixelRGB(74, 8), kBlack);

  bar.SetPosition(100);
  auto full = Painted(bar);
  EXPECT_NE(full->PixelRGB(141, 8), kBlack);  // the last block, cut at the right edge
  EXPECT_EQ(full->PixelRGB(142, 8), kBlack);
  bar.SetPosition(0);
  auto none = Painted(bar);
  for (int x = 1; x < 143; ++x) ASSERT_EQ(none->PixelRGB(x, 8), kBlack);
}

TEST(InstrumentBar, RangesStepsAndTheFlatBarThatWouldNeverFinish) {
  TMtProgressBar bar(nullptr);
  int changes = 0;
  bar.OnChange = [&](TObject*) { ++changes; };
  bar.StepIt();  // at MaxValue already
  EXPECT_EQ(changes, 0);
  bar.SetPosition(10);
  bar.SetMinValue(20);
  EXPECT_EQ(bar.Position(), 20);
  EXPECT_EQ(changes, 2);
  bar.SetMinValue(100);  // would leave no range
  EXPECT_EQ(bar.MinValue(), 20);
  bar.SetMaxValue(15);
  EXPECT_EQ(bar.MaxValue(), 100);
  // Inside a 2-pixel interior there is no room for a block: painting ends, with nothing drawn.
  bar.SetBounds(0, 0, 50, 4);
  bar.SetPosition(60);
  auto flat = Painted(bar);
  EXPECT_EQ(flat->PixelRGB(10, 1), kBlack);
  // Turned on its side at run time: 16 x 200, filled from the bottom, StartColor at the bottom.
  bar.SetBounds(0, 0, 200, 16);
  bar.SetStartColor(clRed);
  bar.SetEndColor(clBlue);
  bar.SetSmooth(true);
  bar.SetOrientation(voVertical);
  EXPECT_EQ(bar.Width(), 16);
  EXPECT_EQ(bar.Height(), 200);
  auto up = Painted(bar);
  EXPECT_GE(up->PixelRGB(8, 198) & 0xFF, 0xF0u);        // red at the bottom
  EXPECT_LE((up->PixelRGB(8, 198) >> 16) & 0xFF, 0x0Fu);
  // 60 within 20..100 is half: the lower 99 of the 198 rows inside the bevel.
  EXPECT_EQ(up->PixelRGB(8, 99), kBlack);
  EXPECT_NE(up->PixelRGB(8, 100), kBlack);
  // A plain fill takes the highlight colour.
  bar.SetFillType(pfPlain);
  EXPECT_EQ(Painted(bar)->PixelRGB(8, 190), ColorToRGB(clHighlight));
}

// ---------------------------------------------------------------- tray gauge

namespace {

// Lit rows of the gauge's icon (column 6 of the frame).
int LitRows(HICON icon) {
  ICONINFO ii{};
  if (!GetIconInfo(icon, &ii)) return -1;
  TBitmap b;
  b.SetSize(16, 16);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ii.hbmColor);
  BitBlt(b.Canvas().Handle(), 0, 0, 16, 16, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  int lit = 0;
  for (int row = 2; row <= 13; ++row) lit += b.PixelRGB(6, row) == kLime;
  return lit;
}

struct MenuRecorder : TPopupMenu {
  using TPopupMenu::TPopupMenu;
  int shown = 0;
  void Popup(int, int) override { ++shown; }
};

}  // namespace

TEST(InstrumentTrayGauge, ThirteenFramesOneNewIconEachAndTheOldOneFreed) {
  ShellRecorder shell;
  TMtTrayGauge g(nullptr);
  g.BeginLoading();
  g.SetVisible(true);
  g.SetHint("Velmora is running!");
  g.SetShowHint(true);
  EXPECT_TRUE(shell.calls.empty());  // nothing shown before the loaded step
  g.Loaded();
  ASSERT_EQ(shell.Messages(), std::vector<DWORD>{NIM_ADD});
  EXPECT_STREQ(shell.calls.back().data.szTip, "Velmora is running!");
  EXPECT_TRUE(g.Added());
  EXPECT_EQ(g.IconData().uID, 0u);
  EXPECT_EQ(g.IconData().uCallbackMessage, WM_USER + 68u);
  for (int k = 0; k <= 12; ++k) {
    g.SetPosition((100 * k + 11) / 12);  // the first position of frame k
    EXPECT_EQ(g.Frame(), k);
    EXPECT_EQ(LitRows(g.Icon().Handle()), k) << "frame " << k;
  }
  // Each new frame a new icon; the one it replaces is destroyed.
  HICON before = g.Icon().Handle();
  g.SetPosition(0);
  EXPECT_NE(g.Icon().Handle(), before);
  ICONINFO ii{};
  EXPECT_FALSE(GetIconInfo(before, &ii));
  // The same frame again sends nothing; a position off the range is limited and still reported.
  int modifies = ShellRecorder::Count(NIM_MODIFY);
  g.SetPosition(5);
  EXPECT_EQ(ShellRecorder::Count(NIM_MODIFY), modifies);
  int changes = 0;
  g.OnChange = [&](TObject*) { ++changes; };
  g.SetPosition(100);
  g.SetPosition(150);
  EXPECT_EQ(g.Position(), 100);
  EXPECT_EQ(changes, 2);
  g.SetPosition(100);
  EXPECT_EQ(changes, 2);
  g.SetPosition(-20);
  EXPECT_EQ(g.Position(), 0);
  // Limits: Min stays below Max, Max above Min.
  g.SetMin(100);
  EXPECT_EQ(g.Min(), 99);
  g.SetMax(-5);
  EXPECT_EQ(g.Max(), 100);
  g.SetMin(-2000000000);
  g.SetMax(2000000000);
  g.SetPosition(2000000000);
  EXPECT_EQ(g.Frame(), 12);
  // Shown and hidden: one add and one delete each, none for an icon never added.
  shell.calls.clear();
  g.SetVisible(false);
  g.SetVisible(true);
  g.SetVisible(false);
  EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_DELETE}));
  TMtTrayGauge never(nullptr);
  shell.calls.clear();
  never.SetVisible(true);
  never.SetVisible(false);
  EXPECT_TRUE(shell.calls.empty());
}

TEST(InstrumentTrayGauge, ARefusedAddIsTriedAgainWithTheNextPositionEvenInTheSameFrame) {
  ShellRecorder shell;
  ShellRecorder::answer = FALSE;  // no taskbar yet, as at logon
  auto g = std::make_unique<TMtTrayGauge>(nullptr);
  g->SetVisible(true);
  g->Loaded();
  EXPECT_FALSE(g->Added());
  g->SetPosition(50);
  EXPECT_EQ(ShellRecorder::Count(NIM_ADD), 2);
  ShellRecorder::answer = TRUE;
  g->SetPosition(51);  // the same frame, but the shell has not got the icon yet
  EXPECT_TRUE(g->Added());
  EXPECT_EQ(ShellRecorder::Count(NIM_ADD), 3);
  shell.calls.clear();
  g.reset();
  EXPECT_EQ(shell.Messages(), std::vector<DWORD>{NIM_DELETE});
}

TEST(InstrumentTrayGauge, ItsEventsComeFromItsIconAndMinimisingShowsItWhenHideTaskBtnIsOn) {
  ShellRecorder shell;
  TApplication app(nullptr);
  app.Initialize();
  TComponent owner(nullptr);
  auto* menu = new MenuRecorder(&owner);
  auto* g = new TMtTrayGauge(&owner);
  g->SetPopupMenu(menu);
  g->SetLeftBtnPopup(true);
  std::string events;
  g->OnDblClick = [&](TObject*) { events += "D"; };
  g->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { events += "d"; };
  auto mouse = [&](UINT m) { SendMessageA(g->Handle(), TMtCustomTrayIcon::WM_NOTIFYICON, 0, m); };
  mouse(WM_LBUTTONDOWN);
  mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(events, "dD");
  EXPECT_EQ(menu->shown, 1);

  auto* tray = new TMtTrayGauge(&owner);
  tray->SetHideTaskBtn(true);
  ShowWindow(app.Handle(), SW_SHOWNA);
  SendMessageA(app.Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_TRUE(tray->Visible());
  EXPECT_FALSE(IsWindowVisible(app.Handle()));
}

TEST(InstrumentTrayGauge, TicksHoldNoMoreHandlesThanBefore) {
  ShellRecorder shell;
  TMtScope scope(nullptr);
  scope.SetBounds(0, 0, 366, 71);
  scope.Channels().Add();
  TMtTrayGauge gauge(nullptr);
  gauge.SetVisible(true);
  gauge.Loaded();
  TMtNum num(nullptr);
  TMtProgressBar bar(nullptr);
  int load = 0;
  scope.OnNeedData = [&](TObject*, int, int& v) {
    v = load;
    gauge.SetPosition(load);
  };
  auto round = [&](int i) {
    load = (i * 7) % 101;
    scope.Tick();
    num.SetValue(i);
    bar.SetPosition(load);
    gauge.SetHint("tip " + std::to_string(i));
    Painted(scope);
    Painted(num);
    Painted(bar);
  };
  for (int i = 0; i < 20; ++i) round(i);
  long gdi = HeldGdiObjects(), icons = HeldIcons(), dcs = HeldMemoryDCs();
  for (int i = 20; i < 320; ++i) round(i);
  EXPECT_EQ(HeldGdiObjects(), gdi);
  EXPECT_EQ(HeldIcons(), icons);
  EXPECT_EQ(HeldMemoryDCs(), dcs);
}
