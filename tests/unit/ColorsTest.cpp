#include <gtest/gtest.h>
#include "framework/Colors.h"

TEST(Colors, IdentsRoundTripEveryName) {
  const TIdentMap& m = ColorIdents();
  EXPECT_EQ(m.Items.size(), 43u);  // 16 RGB names, clNone, clDefault and 25 system colours
  for (auto& [name, value] : m.Items) {
    std::string back;
    ASSERT_TRUE(m.ToIdent(value, back)) << name;
    EXPECT_EQ(back, name);
    int64_t v = 0;
    ASSERT_TRUE(m.ToInt(name, v)) << name;
    EXPECT_EQ(v, value);
  }
  int64_t v = 0;
  ASSERT_TRUE(m.ToInt("CLBTNFACE", v));
  EXPECT_EQ(static_cast<TColor>(v), clBtnFace);
  EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<uint32_t>(clInfoBk), 0x80000018u);
}

TEST(Colors, TextFormReadsNamesAndNumbers) {
  EXPECT_EQ(ColorToString(clLime), "clLime");
  EXPECT_EQ(ColorToString(0x53D2FF), "$0053D2FF");
  TColor c = 0;
  ASSERT_TRUE(StringToColor("$0053D2FF", c));
  EXPECT_EQ(c, 0x53D2FF);
  ASSERT_TRUE(StringToColor("5493503", c));
  EXPECT_EQ(c, 0x53D2FF);
  ASSERT_TRUE(StringToColor("$80000005", c));
  EXPECT_EQ(c, clWindow);
  ASSERT_TRUE(StringToColor("-2147483643", c));
  EXPECT_EQ(c, clWindow);
  ASSERT_TRUE(StringToColor("clinfobk", c));
  EXPECT_EQ(c, clInfoBk);

  c = clRed;
  for (const char* bad : {"", "$", "clPink", "12x", "$ 12", "$-1", "99999999999", "$100000000"})
    EXPECT_FALSE(StringToColor(bad, c)) << bad;
  EXPECT_EQ(c, clRed);
}

static int lastIndex;
static uint32_t FakeSysColor(int index) {
  lastIndex = index;
  return 0xAB000000u | static_cast<uint32_t>(index * 0x010101);
}

TEST(Colors, ResolvesSystemColoursThroughTheGivenFunction) {
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_TRUE(IsSystemColor(clScrollBar));
  EXPECT_FALSE(IsSystemColor(clWhite));
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_FALSE(IsSystemColor(clDefault));
  EXPECT_FALSE(IsSystemColor(static_cast<TColor>(0xFF000000)));

  EXPECT_EQ(ColorRGB(clBtnFace, FakeSysColor), 0x0F0F0Fu);  // top byte of the answer dropped
  EXPECT_EQ(lastIndex, 15);
  EXPECT_EQ(ColorRGB(clInfoBk, FakeSysColor), 0x181818u);
  EXPECT_EQ(lastIndex, 24);
  EXPECT_EQ(ColorRGB(clBtnShadow, nullptr), 0u);

  lastIndex = -1;
  EXPECT_EQ(ColorRGB(clAqua, FakeSysColor), 0xFFFF00u);
  EXPECT_EQ(ColorRGB(0x12345678, FakeSysColor), 0x345678u);
  EXPECT_EQ(ColorRGB(clNone, FakeSysColor), 0xFFFFFFu);
  EXPECT_EQ(lastIndex, -1);  // RGB colours never ask
  EXPECT_EQ(RGBColor(0x11, 0x22, 0x33), 0x332211);
}
