// libFuzzer target: bitmap files and run-length pixels from any bytes. Nothing may be read or
// written outside the data and the picture, the bytes a file reports using must lie inside the
// input, and the work must stay bounded by the sizes (libFuzzer's time-out catches runaways).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include "framework/DibFormat.h"
#include "framework/Exception.h"

namespace {
void Expand(const uint8_t* p, size_t size, int w, int h, bool four) {
  std::vector<uint8_t> out = dib::DecodeRle(p, size, w, h, four);
  if (out.size() != ((static_cast<size_t>(w) + 3) & ~size_t{3}) * static_cast<size_t>(h)) std::abort();
  if (four)
    for (uint8_t v : out)
      if (v > 15) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    dib::File f = dib::CheckFile(data, size);
    if (f.End > size || f.BitsOffset > size || f.BitsSize > size - f.BitsOffset || f.BitsSize == 0) std::abort();
    if (f.Dib.HeaderBytes > f.BitsOffset - f.DibOffset) std::abort();
    // Pictures up to four million pixels are expanded (bigger ones only cost the fuzzer time).
    if (f.Dib.Rle() && static_cast<int64_t>(f.Dib.Width) * f.Dib.Height <= (4 << 20))
      Expand(data + f.BitsOffset, f.BitsSize, f.Dib.Width, f.Dib.Height, f.Dib.Compression == dib::RLE4);
  } catch (const Exception&) {
  }
  // The expander alone on the same bytes, for a small picture the first bytes choose.
  if (size >= 3) Expand(data + 3, size - 3, 1 + data[0] % 64, 1 + data[1] % 64, data[2] & 1);
  return 0;
}
