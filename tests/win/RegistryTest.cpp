#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <functional>
#include "framework/Registry.h"

namespace {

const std::string kScratch = "Software\\VelmoraTest";

class RegistryFixture : public testing::Test {
 protected:
  void SetUp() override {
    TRegistry().DeleteKey("\\" + kScratch);
    ASSERT_TRUE(reg.OpenKey(kScratch, true));
  }
  void TearDown() override {
    reg.CloseKey();
    TRegistry().DeleteKey(kScratch);
  }
  // Raw bytes of any type, past the accessor's typed writers.
  void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(reg.CurrentKey(), name, 0, type, static_cast<const BYTE*>(data), size), 0);
  }
  static std::string ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const Exception& e) {
      return e.Message();
    }
    return "(no error)";
  }
  static bool RawKeyExists(const std::string& path) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
  }
  TRegistry reg;
};

using Registry = RegistryFixture;
using RegistryPerVersion = RegistryFixture;

}  // namespace

TEST_F(RegistryPerVersion, ValuesRoundTripWithTheirTypes) {
  reg.WriteString("s", "hello");
  reg.WriteExpandString("x", "%WINDIR%\\x");
  reg.WriteInteger("i", -123456);
  reg.WriteBool("b", true);
  const unsigned char bytes[5] = {1, 0, 255, 7, 0};
  reg.WriteBinaryData("bin", bytes, 5);
  EXPECT_EQ(reg.ReadString("s"), "hello");
  EXPECT_EQ(reg.ReadString("x"), "%WINDIR%\\x");  // not expanded
  EXPECT_EQ(reg.ReadInteger("i"), -123456);
  EXPECT_TRUE(reg.ReadBool("b"));
  unsigned char back[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("bin", back, sizeof back), 5);
  EXPECT_EQ(std::memcmp(back, bytes, 5), 0);
  EXPECT_EQ(reg.GetDataType("x"), TRegDataType::rdExpandString);
  EXPECT_EQ(reg.GetDataType("bin"), TRegDataType::rdBinary);
  EXPECT_EQ(reg.GetDataSize("i"), 4);
  EXPECT_EQ(reg.GetDataSize("missing"), -1);
  EXPECT_TRUE(reg.DeleteValue("s"));
  EXPECT_FALSE(reg.ValueExists("s"));
}

TEST_F(Registry, WrongTypesAndMissingValuesGiveExactErrors) {
  reg.WriteInteger("num", 5);
  reg.WriteString("text", "abc");
  reg.WriteBinaryData("six", "12345", 6);
  PutRaw("multi", REG_MULTI_SZ, "a\0b\0", 5);
  PutRaw("short", REG_DWORD, "\1\2", 2);
  PutRaw("none", REG_NONE, "\x2a\0\0\0", 4);
  EXPECT_EQ(ErrorOf([&] { reg.ReadString("num"); }), "Invalid data type for 'num'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadString("multi"); }), "Invalid data type for 'multi'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("text"); }), "Invalid data type for 'text'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("six"); }), "Invalid data type for 'six'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("short"); }), "Invalid data type for 'short'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("nothing"); }), "Failed to get data for 'nothing'");
  char buf[4];
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("text", buf, 4); }), "Invalid data type for 'text'");
  // Larger than the buffer: refused before anything is written past it.
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("six", buf, 4); }), "Invalid data type for 'six'");
  int v = 0;
  EXPECT_EQ(reg.ReadBinaryData("none", &v, sizeof v), 4);  // untyped reads as binary
  EXPECT_EQ(v, 42);
  EXPECT_EQ(reg.ReadString("nothing"), "");
  EXPECT_EQ(reg.ReadBinaryData("nothing", buf, 4), 0);
  reg.CloseKey();
  EXPECT_EQ(ErrorOf([&] { reg.WriteString("w", "x"); }), "Failed to set data for 'w'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("num"); }), "Failed to get data for 'num'");
}

TEST_F(Registry, StringsAreReadUpToTheirFirstNul) {
  PutRaw("bare", REG_SZ, "abcdef", 6);  // no terminator stored
  PutRaw("inner", REG_SZ, "abc\0def\0", 8);
  PutRaw("zero", REG_EXPAND_SZ, "", 0);
  EXPECT_EQ(reg.ReadString("bare"), "abcdef");
  EXPECT_EQ(reg.ReadString("inner"), "abc");
  EXPECT_EQ(reg.ReadString("zero"), "");
}

TEST_F(Registry, RelativeAndAbsoluteOpensTrackThePath) {
  ASSERT_TRUE(reg.OpenKey("A\\B", true));
  EXPECT_EQ(reg.CurrentPath(), kScratch + "\\A\\B");
  // A missing key without creation fails and keeps the open key.
  EXPECT_FALSE(reg.OpenKey("Nope", false));
  EXPECT_EQ(reg.CurrentPath(), kScratch + "\\A\\B");
  EXPECT_FALSE(RawKeyExists(kScratch + "\\A\\B\\Nope"));
  ASSERT_TRUE(reg.OpenKey("\\" + kScratch + "\\A", false));
  EXPECT_EQ(reg.CurrentPath(), kScratch + "\\A");
  EXPECT_TRUE(reg.KeyExists("B"));
  EXPECT_FALSE(reg.KeyExists("C"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("B"));
  EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("w", 1); }), "Failed to set data for 'w'");
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentPath(), "");
  ASSERT_TRUE(reg.OpenKey(kScratch + "\\A\\", false));  // from the root when nothing is open
  EXPECT_EQ(reg.CurrentPath(), kScratch + "\\A");
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), nullptr);
}

TEST_F(Registry, ListsSubkeysAndValues) {
  reg.WriteString("one", "1");
  reg.WriteInteger("two", 2);
  ASSERT_TRUE(reg.OpenKey("K1", true));
  ASSERT_TRUE(reg.OpenKey("\\" + kScratch + "\\K2", true));
  ASSERT_TRUE(reg.OpenKey("\\" + kScratch, false));
  TStringList keys, values;
  keys.Add("stale");
  reg.GetKeyNames(keys);
  reg.GetValueNames(values);
  ASSERT_EQ(keys.Count(), 2);
  EXPECT_GE(keys.IndexOf("K1"), 0);
  EXPECT_GE(keys.IndexOf("K2"), 0);
  ASSERT_EQ(values.Count(), 2);
  EXPECT_GE(values.IndexOf("two"), 0);
}

TEST_F(RegistryPerVersion, DeleteKeyRemovesTheWholeSubtree) {
  ASSERT_TRUE(reg.OpenKey("T\\U\\V", true));
  reg.WriteString("leaf", "x");
  ASSERT_TRUE(reg.OpenKey("\\" + kScratch + "\\T\\W", true));
  ASSERT_TRUE(reg.OpenKey("\\" + kScratch, false));
  EXPECT_TRUE(reg.DeleteKey("T"));
  EXPECT_FALSE(RawKeyExists(kScratch + "\\T"));
  // Empty paths would name the root or the open key itself: refused.
  EXPECT_FALSE(reg.DeleteKey(""));
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_TRUE(RawKeyExists(kScratch));
}
