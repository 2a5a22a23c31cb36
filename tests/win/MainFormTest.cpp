// The main window built from its real description, inside the test process.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <regex>
#include "app/AppClasses.h"
#include "app/MainUnit.h"
#include "flat/FlatButtons.h"
#include "flat/FlatHints.h"
#include "framework/Bitmaps.h"
#include "shell/HtmlText.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Threads.h"
#include "framework/Timer.h"
#include "instruments/MtButtons.h"
#include "instruments/MtLabel.h"
#include "instruments/MtLcd.h"
#include "instruments/MtLeds.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtRegister.h"
#include "instruments/MtScale.h"
#include "instruments/MtScope.h"
#include "instruments/MtThreads.h"
#include "instruments/MtTrayGauge.h"
#include "probes/KSI_CPUUsage.h"
#include "probes/MemoryStatus.h"
#include "sysinfo/KSystemInfo.h"
#include "TestSupport.h"
#include "shell/AppComponents.h"
#include "shell/AppProps.h"
#include "shell/FormPlacement.h"
#include "shell/TrayIcon.h"
#include "shell/WindowFade.h"

namespace {
class MainForm : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      InitProbes();
      RegisterAppClasses();
      registered = true;
    }
    // The instruments' timers hand their ticks to this thread.
    InitThreadSync();
    app = new TApplication(nullptr);
    app->Initialize();
    app->SetTitle("Velmora test");
    form = new TMainForm(app);
    app->AddForm(form);
  }
  void TearDown() override { delete app; }
  TApplication* app = nullptr;
  TMainForm* form = nullptr;
};
}  // namespace

TEST_F(MainForm, StartsShrunkWithTheSamplerOnAndTheLayoutsFonts) {
  form->Show();
  RECT r;
  GetClientRect(form->Handle(), &r);
  EXPECT_EQ(r.right, 425);
  EXPECT_EQ(r.bottom, 211);
  EXPECT_FALSE(form->Panel5->Visible());
  EXPECT_TRUE(form->KCPUUsage1->Active());
  EXPECT_EQ(form->KCPUUsage1->Interval(), 300u);
  // Its measurements land in the form's load field.
  ASSERT_TRUE(form->KCPUUsage1->OnInterval);
  form->KCPUUsage1->OnInterval(form->KCPUUsage1, static_cast<uint32_t>(-5));
  EXPECT_EQ(form->CPUUsage(), -5);
  EXPECT_EQ(form->Label1->Font().Color(), clGreen);
  EXPECT_EQ(form->Label1->Font().Style(), (1u << fsBold) | (1u << fsItalic));
  EXPECT_EQ(form->Label2->Left(), 72);
  EXPECT_EQ(form->Image1->Cursor(), crHandPoint);
  EXPECT_EQ(form->Image1->Width(), 16);
  ASSERT_EQ(form->PopupMenu1->Items()->Count(), 4);
  EXPECT_EQ(form->PopupMenu1->Items()->Items(2)->Caption(), "Show Velmora");
  EXPECT_TRUE(form->N1->IsLine());
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(form->PopupMenu1->Items()->Items(i)->Default());
}

namespace {
// Machines of other sizes, put in place of the system's memory status.
MEMORYSTATUS g_fakeOld;
TMemoryStatusEx g_fakeEx;
void WINAPI FakeStatus(MEMORYSTATUS* ms) {
  DWORD len = ms->dwLength;
  *ms = g_fakeOld;
  ms->dwLength = len;
}
BOOL WINAPI FakeStatusEx(TMemoryStatusEx* ms) {
  if (ms->dwLength != sizeof *ms) return FALSE;
  *ms = g_fakeEx;
  ms->dwLength = sizeof *ms;
  return TRUE;
}
struct FakeMachine {
  TMemoryStatusApi saved = MemoryStatusApi();
  FakeMachine(uint64_t total, uint64_t avail, bool hasEx) {
    g_fakeOld = MEMORYSTATUS{};
    g_fakeOld.dwTotalPhys = static_cast<SIZE_T>(total);
    g_fakeOld.dwAvailPhys = static_cast<SIZE_T>(avail);
    g_fakeEx = TMemoryStatusEx{};
    g_fakeEx.ullTotalPhys = total;
    g_fakeEx.ullAvailPhys = avail;
    MemoryStatusApi().Status = &FakeStatus;
    MemoryStatusApi().StatusEx = hasEx ? &FakeStatusEx : nullptr;
  }
  ~FakeMachine() { MemoryStatusApi() = saved; }
};

// MemTotal of the host in bytes, read through Wine's view of the Unix file system; 0 elsewhere.
uint64_t HostMemTotal() {
  FILE* f = fopen("Z:\\proc\\meminfo", "r");
  if (!f) return 0;
  char line[256];
  unsigned long long kb = 0;
  while (fgets(line, sizeof line, f))
    if (sscanf(line, "MemTotal: %llu kB", &kb) == 1) break;
  fclose(f);
  return kb * 1024;
}
}  // namespace

TEST_F(MainForm, RefreshBuildsTheTrayTextAndQuickFreeRunsBeforeAndAfterIt) {
  EXPECT_EQ(form->TrayHint(), "Velmora is running!");
  form->QuickFreeRAM1->Click();  // nothing measured yet: nothing allocated, nothing fails
  form->KCPUUsage1Interval(form->KCPUUsage1, 7);
  {
    FakeMachine m(256u << 20, 96u << 20, true);
    form->MtTimer1Timer(form->MtTimer1);
  }
  EXPECT_EQ(form->TrayHint(), "Velmora: CPU=7%, RAM=96 Mb");
  EXPECT_EQ(form->RamBarPosition(), 38);  // 37.5 % rounds to the even 38
  form->QuickFreeRAM1->Click();           // 176 MB touched and freed
}

TEST_F(MainForm, RefreshReadsSmallAndLargeMachines) {
  const uint64_t MB = 1u << 20, GB = uint64_t{1} << 30;
  struct Case {
    uint64_t total, avail;
    bool hasEx;
    int bar, figure;
    const char* tip;
  } cases[] = {
      {64 * MB, 8 * MB, false, 12, 8, "RAM=8 Mb"},            // Windows 95: the old reading, 12.5 %
      {256 * MB, 96 * MB, false, 38, 96, "RAM=96 Mb"},        // the old reading, 37.5 %
      {3 * GB, 5 * GB / 2, true, 83, 2560, "RAM=2560 Mb"},    // 3 GB: the extended reading
      {3 * GB, 5 * GB / 2, false, 100, 0, "RAM=0 Mb"},        // the old reading of 3 GB is negative
      {16 * GB, 12 * GB, true, 75, 12, "RAM=12 Gb"},          // 12288 MB free: whole gigabytes
      {24 * GB, 9999 * MB, true, 41, 9999, "RAM=9999 Mb"},    // the last figure in megabytes
      {24 * GB, 22 * GB + 900 * MB, true, 95, 22, "RAM=22 Gb"},
      {64 * MB, 8 * MB, false, 12, 8, "RAM=8 Mb"},            // and back to megabytes
  };
  form->KCPUUsage1Interval(form->KCPUUsage1, 3);
  for (const Case& c : cases) {
    FakeMachine m(c.total, c.avail, c.hasEx);
    form->MtTimer1Timer(form->MtTimer1);
    const bool gb = std::string(c.tip).find("Gb") != std::string::npos;
    EXPECT_EQ(form->RamBarPosition(), c.bar) << c.total / MB << " MB";
    EXPECT_EQ(form->RamFigure(), c.figure) << c.total / MB << " MB";
    EXPECT_EQ(form->TrayHint(), std::string("Velmora: CPU=3%, ") + c.tip);
    EXPECT_EQ(form->Label4->Caption(), gb ? "Available RAM (Gb)" : "Available RAM (Mb)") << c.tip;
  }
}

TEST_F(MainForm, RefreshReadsThisMachinesTrueMemory) {
  uint64_t host = HostMemTotal();
  if (host == 0) GTEST_SKIP() << "no host memory figure to compare with";
  TPhysMemory m = ReadPhysMemory();
  ASSERT_TRUE(m.Wide);
  // Wine's figure is the host's, within rounding of what the kernel keeps for itself.
  EXPECT_NEAR(static_cast<double>(m.Total), static_cast<double>(host), host * 0.02);
  form->MtTimer1Timer(form->MtTimer1);
  const int64_t availMb = m.Avail / 1048576;
  // Other programs come and go between the two readings.
  if (availMb > 9999 + 1024) {
    EXPECT_NEAR(form->RamFigure(), availMb / 1024, 1);
    EXPECT_EQ(form->Label4->Caption(), "Available RAM (Gb)");
  } else if (availMb < 9999 - 1024) {
    EXPECT_NEAR(form->RamFigure(), availMb, 1024);
  }
  if (host > (uint64_t{4} << 30)) {
    EXPECT_GT(m.Total, int64_t{4} << 30);
  }
}

TEST_F(MainForm, FlatButtonsHintAndLinkText) {
  form->Show();
  EXPECT_EQ(form->FlatButton1->Caption(), "&System info...");
  EXPECT_EQ(form->FlatButton2->Hint(), "Optimizes your system\r\nfor better performance...");
  EXPECT_EQ(form->FlatButton1->Glyph().Width(), 32);
  EXPECT_EQ(form->FlatButton2->Glyph().Height(), 32);
  EXPECT_EQ(form->FlatButton1->NumGlyphs(), 1);
  EXPECT_EQ(form->FlatHint1->Font().Name(), "MS Sans Serif");
  ASSERT_TRUE(app->HintWindowClass);
  std::unique_ptr<THintWindow> hint(app->HintWindowClass(nullptr));
  EXPECT_STREQ(hint->ClassName(), "TFlatHintWindow");
  ASSERT_EQ(form->HTMLText1->Layout().Anchors.size(), 1u);
  EXPECT_EQ(form->HTMLText1->Layout().Anchors[0].Href.substr(form->HTMLText1->Layout().Anchors[0].Href.size() - 13),
            "/compare.html");
  // "System info...": pressed, dragged out and released, no click; dragged back in, one.
  int clicks = 0;
  form->FlatButton1->OnClick = [&](TObject*) { ++clicks; };
  HWND b = form->FlatButton1->Handle();
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 30));
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(120, 30));
  EXPECT_EQ(clicks, 0);
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 30));
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 30));
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(40, 30));
  EXPECT_EQ(clicks, 1);
  // A click on the text, like one on the picture, puts the link panel away.
  form->ApplicationProperties1Activate(app);
  form->ApplicationProperties1Activate(app);
  form->ApplicationProperties1Activate(app);
  ASSERT_TRUE(form->Panel5->Visible());
  SendMessageA(form->HTMLText1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 8));
  SendMessageA(form->HTMLText1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 8));
  EXPECT_FALSE(form->Panel5->Visible());
  RECT r;
  GetClientRect(form->Handle(), &r);
  EXPECT_EQ(r.bottom, 211);
}

TEST_F(MainForm, ShutdownFromTheMenuEndsTheApplication) {
  form->Show();
  form->ShutdownVelmora1->Click();
  app->ProcessMessages();
  EXPECT_TRUE(app->Terminated());
}

TEST_F(MainForm, ActivationsNoLongerReachTheWindowOnceItIsGone) {
  ASSERT_TRUE(app->OnActivate);
  delete form;
  form = nullptr;
  EXPECT_FALSE(app->OnActivate);
  SendMessageA(app->Handle(), WM_ACTIVATEAPP, TRUE, 0);
}

TEST_F(MainForm, SystemInformationHoldsItsStoredSnapshotUntilTheFirstRefresh) {
  ASSERT_NE(form->KSystemInfo1, nullptr);
  TKSystemInfo& info = *form->KSystemInfo1;
  EXPECT_EQ(info.CPU()->CodeName(), "Coppermine (0.18 \xB5m)");
  EXPECT_EQ(info.CPU()->Transistors(), 28100000);
  EXPECT_FALSE(info.CPU()->FDIVBug());
  EXPECT_EQ(info.Printers()->DefaultIndex(), 1);
  // The counts are those of the lists, which nothing has filled yet.
  EXPECT_EQ(info.Devices()->DeviceCount(), 0);
  EXPECT_EQ(info.Processes()->ProcessCount(), 0);
  EXPECT_EQ(info.About(), "Velmora System Information v5.6");
  EXPECT_EQ(GetPropPathText(*form, "KSystemInfo1.CPU.Transistors"), "28100000");
}

TEST_F(MainForm, InstrumentsAreDrawnAsLaidOut) {
  form->Show();
  const COLORREF face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow), lime = 0x00FF00;
  // The button: a black face outlined in lime at (1, 1)-(85, 18) over its shadow at (5, 5)-(89, 22).
  TMtShadowButton& b = *form->MtShadowButton1;
  auto up = Painted(b);
  EXPECT_EQ(up->PixelRGB(0, 0), face);
  EXPECT_EQ(up->PixelRGB(40, 1), lime);
  EXPECT_EQ(up->PixelRGB(1, 9), lime);
  EXPECT_EQ(up->PixelRGB(84, 9), lime);
  EXPECT_EQ(up->PixelRGB(40, 17), lime);
  EXPECT_EQ(up->PixelRGB(4, 4), 0u);
  EXPECT_EQ(up->PixelRGB(88, 12), shadow);
  EXPECT_EQ(up->PixelRGB(45, 21), shadow);
  EXPECT_EQ(up->PixelRGB(86, 19), shadow);
  EXPECT_EQ(up->PixelRGB(89, 22), face);
  EXPECT_GT(CountPixels(*up, 0xFFFFFF, RECT{2, 2, 84, 17}).Count, 20);  // the white caption
  // Held down: face and shadow both at (3, 3)-(87, 20).
  HWND panel = form->Panel1->Handle();
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(329 + 40, 157 + 9));
  ASSERT_TRUE(b.Pressed());
  auto down = Painted(b);
  EXPECT_EQ(down->PixelRGB(3, 10), lime);
  EXPECT_EQ(down->PixelRGB(86, 10), lime);
  EXPECT_EQ(down->PixelRGB(40, 19), lime);
  EXPECT_EQ(down->PixelRGB(1, 9), face);
  EXPECT_EQ(down->PixelRGB(88, 12), face);
  ReleaseCapture();
  EXPECT_FALSE(b.Pressed());

  // The label: lime on black, running up the strip.
  auto label = Painted(*form->MtLabel1);
  EXPECT_EQ(label->PixelRGB(0, 0), 0u);
  PixelCount text = CountPixels(*label, lime, RECT{0, 0, 17, 71});
  EXPECT_GT(text.Count, 20);
  EXPECT_GT(text.Box.bottom - text.Box.top, 3 * (text.Box.right - text.Box.left));
  EXPECT_GE(text.Box.left, 2);

  // The scale: "+100" in lime in the top third, "+50" and "0" in green below it.
  const COLORREF green = 0x008000;
  auto scale = Painted(*form->MtScale1);
  RECT top{0, 2, 24, 25}, middle{0, 25, 24, 48}, bottom{0, 48, 24, 71};
  PixelCount hundred = CountPixels(*scale, lime, top);
  EXPECT_GT(hundred.Count, 5);
  EXPECT_EQ(CountPixels(*scale, green, top).Count, 0);
  EXPECT_GT(CountPixels(*scale, green, middle).Count, 5);
  EXPECT_EQ(CountPixels(*scale, lime, middle).Count, 0);
  PixelCount zero = CountPixels(*scale, green, bottom);
  EXPECT_GT(zero.Count, 3);
  EXPECT_EQ(CountPixels(*scale, lime, bottom).Count, 0);
  EXPECT_GT(hundred.Box.right - hundred.Box.left, 2 * (zero.Box.right - zero.Box.left));

  // The LED: black outline, raised ring, a ring of the face colour, then the inside.
  TMtUserLed& led = *form->UserLed;
  auto off = Painted(led);
  EXPECT_EQ(off->PixelRGB(0, 0), 0u);
  EXPECT_EQ(off->PixelRGB(19, 9), 0u);
  EXPECT_EQ(off->PixelRGB(1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(off->PixelRGB(18, 8), shadow);
  EXPECT_EQ(off->PixelRGB(2, 2), face);
  EXPECT_EQ(off->PixelRGB(17, 7), face);
  EXPECT_EQ(CountPixels(*off, 0, RECT{3, 3, 17, 7}).Count, 14 * 4);
  led.SetActive(true);
  auto on = Painted(led);
  led.SetActive(false);
  EXPECT_EQ(CountPixels(*on, lime, RECT{3, 3, 17, 4}).Count, 14);
  EXPECT_EQ(CountPixels(*on, 0x00A000, RECT{3, 6, 17, 7}).Count, 14);
}

TEST_F(MainForm, QuickFreeButtonRunsOnceOnAReleaseOnItsFaceWithTheLedLitMeanwhile) {
  form->Show();
  HWND panel = form->Panel1->Handle();
  TMtUserLed& led = *form->UserLed;
  // The LED's inside as the screen shows it whenever it changes.
  std::vector<COLORREF> seen;
  led.OnChange = [&](TObject*) {
    HWND strip = form->Panel4->Handle();
    HDC dc = GetDC(strip);
    seen.push_back(GetPixel(dc, 392 + 8, 8 + 3));
    ReleaseDC(strip, dc);
  };
  const LPARAM face = MAKELPARAM(329 + 40, 157 + 9), outside = MAKELPARAM(329 + 40, 157 + 60);
  // Press, drag out, release: nothing.
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, face);
  SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, outside);
  SendMessageA(panel, WM_LBUTTONUP, 0, outside);
  EXPECT_TRUE(seen.empty());
  // Released on the face: QuickFree once, the LED lit on screen before and out after.
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, face);
  SendMessageA(panel, WM_LBUTTONUP, 0, face);
  EXPECT_EQ(seen, (std::vector<COLORREF>{0x00FF00, 0x000000}));
}
