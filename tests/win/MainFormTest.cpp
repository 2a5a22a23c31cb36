// The main window built from its real description, inside the test process.
#include <gtest/gtest.h>
#include <windows.h>
#include <regex>
#include "app/MainUnit.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Timer.h"
#include "probes/KSI_CPUUsage.h"

namespace {
class MainForm : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      InitProbes();
      RegisterStdControlClasses();
      RegisterExtControlClasses();
      RegisterMenuClasses();
      RegisterTimerClasses();
      RegisterProbeClasses();
      registered = true;
    }
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

TEST_F(MainForm, RefreshBuildsTheTrayTextAndQuickFreeRunsBeforeAndAfterIt) {
  EXPECT_EQ(form->TrayHint(), "Velmora is running!");
  form->QuickFreeRAM1->Click();  // nothing measured yet: nothing allocated, nothing fails
  form->KCPUUsage1Interval(form->KCPUUsage1, 7);
  form->MtTimer1Timer(form->MtTimer1);
  MEMORYSTATUS ms{};
  ms.dwLength = sizeof ms;
  GlobalMemoryStatus(&ms);
  int mb = static_cast<int32_t>(ms.dwAvailPhys) / 1048576;
  if (mb < 0) mb = 0;
  if (mb > 9999) mb = 9999;
  EXPECT_EQ(form->TrayHint(), "Velmora: CPU=7%, RAM=" + std::to_string(mb) + " Mb");
  EXPECT_GE(form->RamBarPosition(), 0);
  EXPECT_LE(form->RamBarPosition(), 100);
  form->QuickFreeRAM1->Click();
}

TEST_F(MainForm, ShutdownFromTheMenuEndsTheApplication) {
  form->Show();
  form->ShutdownVelmora1->Click();
  app->ProcessMessages();
  EXPECT_TRUE(app->Terminated());
}
