#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <functional>
#include "framework/Exception.h"
#include "framework/Registry.h"

namespace {

const char* const kScratch = "Software\\VelmoraTest";

class RegistryFixture : public testing::Test {
 protected:
  void SetUp() override {
    TRegistry cleaner;
    cleaner.DeleteKey("\\" + std::string(kScratch));
    ASSERT_TRUE(reg.OpenKey(kScratch, true));
  }
  void TearDown() override {
    reg.CloseKey();
    TRegistry cleaner;
    cleaner.DeleteKey(kScratch);
  }
  // Stores raw bytes with any type, bypassing the accessor's typed writers.
  void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(reg.CurrentKey(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
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
  reg.WriteString("s", "hello world");
  reg.WriteString("empty", "");
  reg.WriteExpandString("x", "%WINDIR%\\x");
  reg.WriteInteger("i", -123456);
  reg.WriteBool("b", true);
  const unsigned char bytes[5] = {1, 0, 255, 7, 0};
  reg.WriteBinaryData("bin", bytes, sizeof bytes);

  EXPECT_EQ(reg.ReadString("s"), "hello world");
  EXPECT_EQ(reg.ReadString("empty"), "");
  EXPECT_EQ(reg.ReadString("x"), "%WINDIR%\\x");  // not expanded
  EXPECT_EQ(reg.ReadInteger("i"), -123456);
  EXPECT_TRUE(reg.ReadBool("b"));
  unsigned char back[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("bin", back, sizeof back), 5);
  EXPECT_EQ(std::memcmp(back, bytes, 5), 0);

  EXPECT_EQ(reg.GetDataType("s"), TRegDataType::rdString);
  EXPECT_EQ(reg.GetDataType("x"), TRegDataType::rdExpandString);
  EXPECT_EQ(reg.GetDataType("i"), TRegDataType::rdInteger);
  EXPECT_EQ(reg.GetDataType("bin"), TRegDataType::rdBinary);
  EXPECT_EQ(reg.GetDataType("missing"), TRegDataType::rdUnknown);
  EXPECT_EQ(reg.GetDataSize("i"), 4);
  EXPECT_EQ(reg.GetDataSize("bin"), 5);
  EXPECT_EQ(reg.GetDataSize("missing"), -1);
  DWORD type = 0, size = 0;
  EXPECT_TRUE(reg.GetDataInfo("i", type, size));
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_FALSE(reg.GetDataInfo("missing", type, size));

  EXPECT_TRUE(reg.ValueExists("s"));
  EXPECT_TRUE(reg.DeleteValue("s"));
  EXPECT_FALSE(reg.ValueExists("s"));
  EXPECT_FALSE(reg.DeleteValue("s"));
}

TEST_F(Registry, WrongTypesAndMissingValuesGiveExactErrors) {
  reg.WriteInteger("num", 5);
  reg.WriteString("text", "abc");
  const char big[6] = "12345";
  reg.WriteBinaryData("six", big, 6);
  PutRaw("multi", REG_MULTI_SZ, "a\0b\0", 5);

  EXPECT_EQ(ErrorOf([&] { reg.ReadString("num"); }), "Invalid data type for 'num'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadString("multi"); }), "Invalid data type for 'multi'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("text"); }), "Invalid data type for 'text'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("six"); }), "Invalid data type for 'six'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("nothing"); }), "Failed to get data for 'nothing'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadBool("nothing"); }), "Failed to get data for 'nothing'");
  char buf[4];
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("text", buf, 4); }), "Invalid data type for 'text'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("num", buf, 4); }), "Invalid data type for 'num'");
  // Larger than the buffer: refused, and nothing is written past it.
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("six", buf, 4); }), "Invalid data type for 'six'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("six", buf, -1); }), "Invalid data type for 'six'");
  // Missing values with a natural empty result.
  EXPECT_EQ(reg.ReadString("nothing"), "");
  EXPECT_EQ(reg.ReadBinaryData("nothing", buf, 4), 0);

  // Untyped data reads as binary.
  PutRaw("none", REG_NONE, "\x2a\0\0\0", 4);
  int v = 0;
  EXPECT_EQ(reg.ReadBinaryData("none", &v, sizeof v), 4);
  EXPECT_EQ(v, 42);

  // Integers stored with the wrong length are not integers.
  PutRaw("short", REG_DWORD, "\1\2", 2);
  PutRaw("long", REG_DWORD, "\1\2\3\4\5\6\7\10", 8);
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("short"); }), "Invalid data type for 'short'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("long"); }), "Invalid data type for 'long'");

  // Nothing open: reads and writes fail cleanly.
  reg.CloseKey();
  EXPECT_EQ(ErrorOf([&] { reg.WriteString("w", "x"); }), "Failed to set data for 'w'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("num"); }), "Failed to get data for 'num'");
  EXPECT_EQ(reg.ReadString("text"), "");
  EXPECT_FALSE(reg.ValueExists("num"));
}

TEST_F(Registry, StringsAreReadUpToTheirFirstNul) {
  PutRaw("bare", REG_SZ, "abcdef", 6);  // no terminator stored
  PutRaw("inner", REG_SZ, "abc\0def\0", 8);
  PutRaw("exp", REG_EXPAND_SZ, "xyz", 3);
  PutRaw("zero", REG_SZ, "", 0);
  EXPECT_EQ(reg.ReadString("bare"), "abcdef");
  EXPECT_EQ(reg.ReadString("inner"), "abc");
  EXPECT_EQ(reg.ReadString("exp"), "xyz");
  EXPECT_EQ(reg.ReadString("zero"), "");
  std::string longText(5000, 'q');
  reg.WriteString("long", longText);
  EXPECT_EQ(reg.ReadString("long"), longText);
}

TEST_F(Registry, RelativeAndAbsoluteOpensTrackThePath) {
  EXPECT_EQ(reg.CurrentPath(), kScratch);
  ASSERT_TRUE(reg.OpenKey("A", true));
  EXPECT_EQ(reg.CurrentPath(), std::string(kScratch) + "\\A");
  ASSERT_TRUE(reg.OpenKey("B\\C", true));
  EXPECT_EQ(reg.CurrentPath(), std::string(kScratch) + "\\A\\B\\C");
  EXPECT_TRUE(RawKeyExists(std::string(kScratch) + "\\A\\B\\C"));

  // A missing key without creation fails and leaves the open key as it was.
  EXPECT_FALSE(reg.OpenKey("Nope", false));
  EXPECT_EQ(reg.CurrentPath(), std::string(kScratch) + "\\A\\B\\C");
  EXPECT_NE(reg.CurrentKey(), nullptr);
  EXPECT_FALSE(RawKeyExists(std::string(kScratch) + "\\A\\B\\C\\Nope"));

  ASSERT_TRUE(reg.OpenKey("\\" + std::string(kScratch) + "\\A", false));
  EXPECT_EQ(reg.CurrentPath(), std::string(kScratch) + "\\A");
  EXPECT_TRUE(reg.KeyExists("B"));
  EXPECT_TRUE(reg.KeyExists("\\" + std::string(kScratch) + "\\A\\B\\C"));
  EXPECT_FALSE(reg.KeyExists("C"));

  // Read-only keys refuse writes; the accessor's own access is kept for later opens.
  ASSERT_TRUE(reg.OpenKeyReadOnly("B"));
  EXPECT_EQ(reg.CurrentPath(), std::string(kScratch) + "\\A\\B");
  EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("w", 1); }), "Failed to set data for 'w'");
  EXPECT_EQ(reg.Access(), REGSAM(KEY_ALL_ACCESS));

  reg.CloseKey();
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  // With nothing open a relative path starts at the root.
  ASSERT_TRUE(reg.OpenKey(std::string(kScratch) + "\\A\\", false));
  EXPECT_EQ(reg.CurrentPath(), std::string(kScratch) + "\\A");

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.KeyExists(std::string(kScratch) + "\\A\\B"));
}

TEST_F(Registry, ListsSubkeysAndValues) {
  reg.WriteString("one", "1");
  reg.WriteInteger("two", 2);
  ASSERT_TRUE(reg.OpenKey("K1", true));
  ASSERT_TRUE(reg.OpenKey("\\" + std::string(kScratch) + "\\K2", true));
  ASSERT_TRUE(reg.OpenKey("\\" + std::string(kScratch), false));

  TStringList keys, values;
  keys.Add("stale");
  values.Add("stale");
  reg.GetKeyNames(keys);
  reg.GetValueNames(values);
  ASSERT_EQ(keys.Count(), 2);
  EXPECT_GE(keys.IndexOf("K1"), 0);
  EXPECT_GE(keys.IndexOf("K2"), 0);
  ASSERT_EQ(values.Count(), 2);
  EXPECT_GE(values.IndexOf("one"), 0);
  EXPECT_GE(values.IndexOf("two"), 0);

  reg.CloseKey();
  reg.GetKeyNames(keys);
  EXPECT_EQ(keys.Count(), 0);
}

TEST_F(RegistryPerVersion, DeleteKeyRemovesTheWholeSubtree) {
  ASSERT_TRUE(reg.OpenKey("T\\U\\V", true));
  reg.WriteString("leaf", "x");
  ASSERT_TRUE(reg.OpenKey("\\" + std::string(kScratch) + "\\T\\W", true));
  ASSERT_TRUE(reg.OpenKey("\\" + std::string(kScratch), false));

  EXPECT_TRUE(reg.DeleteKey("T"));
  EXPECT_FALSE(RawKeyExists(std::string(kScratch) + "\\T"));
  EXPECT_TRUE(RawKeyExists(kScratch));
  EXPECT_FALSE(reg.DeleteKey("T"));

  // Empty paths would name the root or the open key itself: refused.
  EXPECT_FALSE(reg.DeleteKey(""));
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_TRUE(RawKeyExists(kScratch));
  EXPECT_TRUE(RawKeyExists("Software"));
}
