// Bitmap files and run-length pixels read without Windows, bounded by the data.
#include <gtest/gtest.h>
#include <chrono>
#include <cstring>
#include "framework/DibFormat.h"
#include "framework/Exception.h"

namespace {

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// A .bmp file of an 8- or 4-bit run-length picture with a 4-entry palette.
std::vector<uint8_t> RleFile(int bpp, int w, int h, const std::vector<uint8_t>& data, uint32_t claimedImage,
                             uint32_t fileSize = 0) {
  const size_t off = 14 + 40 + 16;
  std::vector<uint8_t> f(off, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 2, fileSize ? fileSize : static_cast<uint32_t>(off + data.size()));
  Put32(f, 10, off);
  Put32(f, 14, 40);
  Put32(f, 18, w);
  Put32(f, 22, h);
  f[26] = 1;
  f[28] = static_cast<uint8_t>(bpp);
  Put32(f, 30, bpp == 8 ? dib::RLE8 : dib::RLE4);
  Put32(f, 34, claimedImage);
  Put32(f, 46, 4);
  f.insert(f.end(), data.begin(), data.end());
  return f;
}

}  // namespace

TEST(DibFormat, RunsDrawWhereTheyBelongAndAreCutAtTheRowsEnd) {
  // Bottom row: 2 x 1, then 3 absolute pixels (padded), a run of 200 cut at the width; end of
  // line; next row: a delta right by 1 and up by 0, then one pixel; end of bitmap.
  const std::vector<uint8_t> r8{2, 1, 0, 3, 2, 3, 2, 0, 200, 9, 0, 0, 0, 2, 1, 0, 1, 7, 0, 1, 5, 5};
  auto out = dib::DecodeRle(r8.data(), r8.size(), 6, 2, false);
  ASSERT_EQ(out.size(), 16u);  // rows padded to 8
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 8), (std::vector<uint8_t>{1, 1, 2, 3, 2, 9, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 8, out.end()), (std::vector<uint8_t>{0, 7, 0, 0, 0, 0, 0, 0}));
  // 4 bits: nibbles alternate high, low, in runs and in absolute pixels.
  const std::vector<uint8_t> r4{3, 0x12, 0, 3, 0x34, 0x50};
  out = dib::DecodeRle(r4.data(), r4.size(), 7, 1, true);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 7), (std::vector<uint8_t>{1, 2, 1, 3, 4, 5, 0}));
  // An absolute run that claims more than is there stops the drawing.
  const std::vector<uint8_t> cut{1, 4, 0, 60, 3};
  out = dib::DecodeRle(cut.data(), cut.size(), 4, 1, false);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 4), (std::vector<uint8_t>{4, 0, 0, 0}));
}

TEST(DibFormat, EndlessClippedRunsAndJumpsStayInsideAndCostLittle) {
  // 17 MB of full runs on a one-pixel picture, then jumps far right: a column counter that kept
  // growing would wrap and write gigabytes before the buffer, after billions of steps.
  std::vector<uint8_t> runs(17u << 20);
  for (size_t i = 0; i < runs.size(); i += 2) {
    runs[i] = 255;
    runs[i + 1] = static_cast<uint8_t>(i / 2 == 0 ? 6 : 9);
  }
  for (size_t i = runs.size() - 4000; i + 4 <= runs.size(); i += 4) {
    runs[i] = 0;
    runs[i + 1] = 2;
    runs[i + 2] = 255;
    runs[i + 3] = 0;
  }
  const auto start = std::chrono::steady_clock::now();
  auto out = dib::DecodeRle(runs.data(), runs.size(), 1, 1, false);
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], 6);
  EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(DibFormat, AFileNeverReportsMoreBytesThanItWasGiven) {
  const std::vector<uint8_t> px{2, 1, 0, 1};
  // The header claims a megabyte of pixels and a file of that size: the end is where the data is.
  auto f = RleFile(8, 2, 1, px, 1u << 20, 1u << 20);
  dib::File file = dib::CheckFile(f.data(), f.size());
  EXPECT_EQ(file.BitsSize, px.size());
  EXPECT_EQ(file.End, f.size());
  // A sensible claim is kept: the next file starts right after this one.
  auto two = RleFile(8, 2, 1, px, 4);
  auto second = two;
  two.insert(two.end(), second.begin(), second.end());
  file = dib::CheckFile(two.data(), two.size());
  EXPECT_EQ(file.End, second.size());
  file = dib::CheckFile(two.data() + file.End, two.size() - file.End);
  EXPECT_EQ(file.End, second.size());
  // Header damage is refused.
  for (size_t keep : {0u, 13u, 30u, 69u}) {
    std::vector<uint8_t> part(f.begin(), f.begin() + keep);
    EXPECT_THROW(dib::CheckFile(part.data(), part.size()), Exception) << keep;
  }
  auto topDown = f;
  Put32(topDown, 22, static_cast<uint32_t>(-1));
  EXPECT_THROW(dib::CheckFile(topDown.data(), topDown.size()), Exception);
  auto huge = f;
  Put32(huge, 18, 0x10000);
  Put32(huge, 22, 0x10000);
  EXPECT_THROW(dib::CheckFile(huge.data(), huge.size()), Exception);
}
