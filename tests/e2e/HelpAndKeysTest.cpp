// The keyboard user's way through the program, with real key presses: F1 in each window opens
// the help viewer at the page about that window (Wine's viewer shows no pages, it has no HTML
// engine here, so which page is asked for is read from a stand-in viewer beside a copy of the
// program); the Report menu's letters, the wizard's Tab order and the pages' tabs.
#include <gtest/gtest.h>
#include "Driver.h"
#include <commctrl.h>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

// Presses F1 in window w of the program: true when it went in.
bool F1In(HWND w) { return Foreground(w) && Keys("F1"); }

// A copy of the program with the stand-in viewer beside it, in a folder of its own. Wine takes
// its own viewer unless told otherwise, for this copy's file name alone.
struct ProgramCopy {
  std::string Folder = ExeDir() + "helpcopy\\";
  std::string Exe = Folder + "velmora-help.exe";
  const char* Key = "Software\\Wine\\AppDefaults\\velmora-help.exe\\DllOverrides";
  ProgramCopy() {
    CreateDirectoryA(Folder.c_str(), nullptr);
    CopyFileA((ExeDir() + "velmora.exe").c_str(), Exe.c_str(), FALSE);
    CopyFileA((ExeDir() + "velmo.chm").c_str(), (Folder + "velmo.chm").c_str(), FALSE);
    CopyFileA((ExeDir() + "fakehelp\\hhctrl.ocx").c_str(), (Folder + "hhctrl.ocx").c_str(), FALSE);
    DeleteFileA(Calls().c_str());
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == 0) {
      RegSetValueExA(k, "hhctrl.ocx", 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
      RegCloseKey(k);
    }
  }
  ~ProgramCopy() {
    RegDeleteKeyA(HKEY_CURRENT_USER, Key);
    for (const char* f : {"velmora-help.exe", "velmo.chm", "hhctrl.ocx", "helpcalls.txt"}) DeleteFileA((Folder + f).c_str());
    RemoveDirectoryA(Folder.c_str());
  }
  std::string Calls() const { return Folder + "helpcalls.txt"; }
  // The lines the stand-in wrote, once there are n of them.
  std::vector<std::string> Lines(size_t n) const {
    std::vector<std::string> lines;
    WaitFor(
        [&] {
          lines.clear();
          std::istringstream in(ReadFile(Calls()));
          for (std::string l; std::getline(in, l);) lines.push_back(l);
          return lines.size() >= n;
        },
        10000);
    return lines;
  }
};

}  // namespace

TEST(Help, F1InEachWindowAsksForThePageAboutIt) {
  ProgramCopy copy;
  ASSERT_TRUE(Exists(copy.Folder + "hhctrl.ocx"));
  Running r;
  r.Start(g_winver, copy.Exe);
  const std::string help = copy.Folder + "velmo.chm";

  ASSERT_TRUE(F1In(r.main));
  HWND wizard = OpenFromMain(r, "&Optimize it!", "TForm1");
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(F1In(wizard));
  PostMessageA(wizard, WM_CLOSE, 0, 0);
  HWND dlg = OpenFromMain(r, "&System info...", "TfrmKSI_Overview");
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(F1In(dlg));
  PostMessageA(dlg, WM_CLOSE, 0, 0);
  // The help picture: the contents (HH_DISPLAY_TOC).
  auto strips = Children(r.main, "TPanel");
  ASSERT_EQ(strips.size(), 3u);
  ASSERT_TRUE(Send(strips[1], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 10)));
  ASSERT_TRUE(Send(strips[1], WM_LBUTTONUP, 0, MAKELPARAM(12, 10)));

  // HH_DISPLAY_TOPIC (0) with the page, beside the program wherever it was started from.
  EXPECT_EQ(copy.Lines(4), (std::vector<std::string>{"0 " + help + "::/mainwin.htm", "0 " + help + "::/wizard.htm",
                                                     "0 " + help + "::/sysinfo.htm", "1 " + help}));
}

// With the system's viewer: F1 opens it, titled with the help's title.
TEST(Help, F1OpensTheHelpViewer) {
  Running r;
  r.Start();
  ASSERT_TRUE(F1In(r.main));
  HWND viewer = FindTopWindow(r.p.pi.dwProcessId, "HH Parent", nullptr, 15000);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(WindowText(viewer), "Velmora Help");
  PostMessageA(viewer, WM_CLOSE, 0, 0);
}

TEST(Keys, TheReportMenusItemsHaveTheirLetters) {
  Running r;
  r.Start();
  HWND dlg = OpenFromMain(r, "&System info...", "TfrmKSI_Overview");
  ASSERT_NE(dlg, nullptr);
  const DWORD pid = r.p.pi.dwProcessId;
  // Alt+R opens the menu, A chooses "All Topics"; then C, "Current Topic".
  for (const char* letter : {"a", "c"}) {
    ASSERT_TRUE(Foreground(dlg));
    ASSERT_TRUE(Keys("alt+r"));
    ASSERT_NE(FindTopWindow(pid, "#32768", nullptr, 10000), nullptr) << "no menu";
    ASSERT_TRUE(Keys(letter));
    HWND save = FindTopWindow(pid, "#32770", "Save As", 15000);
    ASSERT_NE(save, nullptr) << letter;
    char name[MAX_PATH] = "";
    SendMessageA(GetDlgItem(save, 0x47C), WM_GETTEXT, sizeof name, reinterpret_cast<LPARAM>(name));
    if (*letter == 'a') EXPECT_STREQ(name, "SystemInfo.txt");
    else EXPECT_NE(std::string(name).find(".txt"), std::string::npos) << name;
    PostMessageA(save, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(save); }, 10000));
  }
  PostMessageA(dlg, WM_CLOSE, 0, 0);
}

TEST(Keys, TheTabsFollowCtrlTabAndTheArrowsGoOnFromThePageShown) {
  Running r;
  r.Start();
  HWND dlg = OpenFromMain(r, "&System info...", "TfrmKSI_Overview");
  ASSERT_NE(dlg, nullptr);
  HWND strip = FindChild(dlg, "TPageControl", nullptr);
  ASSERT_NE(strip, nullptr);
  ASSERT_TRUE(Foreground(dlg));
  // The dialog opens on its tabs.
  ASSERT_TRUE(WaitFor([&] { return FocusOf(dlg) == strip; }, 5000)) << Focus(dlg);
  const LRESULT last = SendMessageA(strip, TCM_GETITEMCOUNT, 0, 0) - 1;
  auto at = [&](LRESULT tab) {
    return WaitFor([&] { return SendMessageA(strip, TCM_GETCURSEL, 0, 0) == tab; }, 3000) &&
           SendMessageA(strip, TCM_GETCURFOCUS, 0, 0) == tab;
  };
  // Back round the end to the last page, forward round it to the first: the focused tab is the
  // one shown, so the arrows go on from there.
  ASSERT_TRUE(Keys("ctrl+shift+Tab"));
  EXPECT_TRUE(at(last));
  ASSERT_TRUE(Keys("ctrl+Tab"));
  EXPECT_TRUE(at(0));
  ASSERT_TRUE(Keys("Right"));
  EXPECT_TRUE(at(1));
  PostMessageA(dlg, WM_CLOSE, 0, 0);
}

TEST(Keys, TheWizardsLastPageTabsFromLeftToRight) {
  Running r;
  r.Start();
  HWND wizard = OpenFromMain(r, "&Optimize it!", "TForm1");
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(Foreground(wizard));
  HWND back = FindChild(wizard, "TButton", "< &Back");
  HWND finish = FindChild(wizard, "TButton", "&Finish");
  HWND cancel = FindChild(wizard, "TButton", "&Cancel");
  ASSERT_TRUE(back && finish && cancel);
  // Enter goes on to the last page, where Finish has the focus.
  for (int page = 0; page < 3; ++page) {
    const std::string before = Focus(wizard);
    ASSERT_TRUE(Keys("Return"));
    WaitFor([&] { return Focus(wizard) != before; }, 3000);
  }
  ASSERT_TRUE(WaitFor([&] { return FocusOf(wizard) == finish; }, 5000)) << Focus(wizard);
  ASSERT_TRUE(Keys("Tab"));
  EXPECT_TRUE(WaitFor([&] { return FocusOf(wizard) == cancel; }, 3000)) << Focus(wizard);
  ASSERT_TRUE(Keys("shift+Tab shift+Tab"));
  EXPECT_TRUE(WaitFor([&] { return FocusOf(wizard) == back; }, 3000)) << Focus(wizard);
  ASSERT_TRUE(Keys("Tab"));
  EXPECT_TRUE(WaitFor([&] { return FocusOf(wizard) == finish; }, 3000)) << Focus(wizard);
  PostMessageA(wizard, WM_CLOSE, 0, 0);
}
