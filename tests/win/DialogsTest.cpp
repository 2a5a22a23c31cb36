#include <gtest/gtest.h>
#include <string>
#include "framework/Dialogs.h"

TEST(Dialogs, HookTakesTheBoxesWhileSet) {
  std::string seen;
  SetMessageBoxHook([&](const std::string& t, const std::string& c, UINT f) {
    seen += t + "|" + c + "|" + std::to_string(f) + ";";
    return IDNO;
  });
  EXPECT_EQ(MessageBox("Restart?", "Confirm", MB_YESNO), IDNO);
  ShowErrorBox("Failed", "TMachine.GetInfo");
  SetMessageBoxHook(nullptr);
  EXPECT_EQ(seen, "Restart?|Confirm|" + std::to_string(MB_YESNO) + ";Failed|TMachine.GetInfo|" +
                      std::to_string(MB_OK | MB_ICONERROR) + ";");
}
