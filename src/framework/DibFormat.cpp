#include "framework/DibFormat.h"
#include <algorithm>
#include <climits>
#include "framework/Exception.h"

namespace dib {
namespace {

[[noreturn]] void Invalid() { throw Exception("Invalid bitmap"); }

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

}  // namespace

Layout CheckHeader(const uint8_t* dib, size_t size) {
  if (!dib || size < InfoHeaderSize) Invalid();
  const uint32_t headerSize = U32(dib);
  const int32_t width = I32(dib + 4), height = I32(dib + 8);
  const uint16_t planes = U16(dib + 12), bpp = U16(dib + 14);
  const uint32_t compression = U32(dib + 16), sizeImage = U32(dib + 20), clrUsed = U32(dib + 32);
  if (headerSize < InfoHeaderSize || headerSize > size) Invalid();
  if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1) Invalid();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
  if (!(compression == RGB || (compression == RLE8 && bpp == 8) || (compression == RLE4 && bpp == 4) ||
        (compression == BITFIELDS && (bpp == 16 || bpp == 32))))
    Invalid();
  Layout d;
  d.Width = width;
  d.Height = height < 0 ? -height : height;
  d.TopDown = height < 0;
  d.BitCount = bpp;
  d.Compression = compression;
  if (d.Rle() && d.TopDown) Invalid();  // compressed bitmaps are bottom-up only
  if (static_cast<int64_t>(d.Width) * d.Height > MaxPixels) Invalid();
  uint64_t colours = clrUsed;
  if (bpp <= 8) {
    if (colours == 0) colours = 1u << bpp;
    if (colours > (1u << bpp)) Invalid();
  } else if (colours > 256) {
    Invalid();
  }
  uint64_t header = headerSize + colours * 4;
  if (compression == BITFIELDS && headerSize == InfoHeaderSize) header += 12;  // the three masks
  if (header > size) Invalid();
  d.HeaderBytes = static_cast<size_t>(header);
  d.TableOffset = headerSize;
  d.Colours = static_cast<size_t>(colours);
  if (d.Rle()) {
    d.ImageBytes = sizeImage;
  } else {
    uint64_t stride = ((static_cast<uint64_t>(d.Width) * bpp + 31) / 32) * 4;
    d.ImageBytes = static_cast<size_t>(stride * d.Height);
  }
  return d;
}

size_t UsedImageBytes(const Layout& d, size_t bitsSize) {
  size_t bytes = d.ImageBytes;
  if (d.Rle() && (bytes == 0 || bytes > bitsSize)) bytes = bitsSize;
  if (bytes == 0 || bytes > bitsSize) Invalid();
  return bytes;
}

File CheckFile(const uint8_t* data, size_t size) {
  if (!data || size < FileHeaderSize) Invalid();
  if (U16(data) != 0x4D42) Invalid();  // "BM"
  File f;
  f.Dib = CheckHeader(data + FileHeaderSize, size - FileHeaderSize);
  const uint32_t offBits = U32(data + 10), fileSize = U32(data + 2);
  if (offBits < FileHeaderSize + f.Dib.HeaderBytes || offBits > size) Invalid();
  f.BitsOffset = offBits;
  f.BitsSize = UsedImageBytes(f.Dib, size - offBits);
  // The file's own size when it is sensible, so that a following file is found where it starts;
  // else the end of the pixels actually used.
  f.End = f.BitsOffset + f.BitsSize;
  if (fileSize >= f.End && fileSize <= size) f.End = fileSize;
  return f;
}

std::vector<uint8_t> DecodeRle(const uint8_t* p, size_t size, int w, int h, bool four) {
  if (w <= 0 || h <= 0) return {};
  const size_t stride = (static_cast<size_t>(w) + 3) & ~size_t{3};
  std::vector<uint8_t> out(stride * static_cast<size_t>(h), 0);
  // x stays within 0..w: a run past the row's end is cut there, and what it would have drawn
  // beyond is not even walked through.
  int x = 0, y = 0;
  auto row = [&] { return out.data() + static_cast<size_t>(y) * stride; };
  size_t i = 0;
  while (i + 1 < size && y < h) {
    const uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count) {
      const int n = std::min<int>(count, w - x);
      uint8_t* r = row();
      for (int k = 0; k < n; ++k) r[x + k] = four ? static_cast<uint8_t>(k % 2 ? value & 0x0F : value >> 4) : value;
      x += n;
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      if (i + 1 >= size) break;
      x = std::min(x + p[i], w);
      y += p[i + 1];
      i += 2;
    } else {  // 'value' pixels as they are, padded to a whole word
      const size_t bytes = four ? (value + 1u) / 2 : value;
      if (i + bytes > size) break;
      const int n = std::min<int>(value, w - x);
      uint8_t* r = row();
      for (int k = 0; k < n; ++k)
        r[x + k] = four ? static_cast<uint8_t>(k % 2 ? p[i + k / 2] & 0x0F : p[i + k / 2] >> 4) : p[i + k];
      x += n;
      i += (bytes + 1) & ~size_t{1};
    }
  }
  return out;
}

}  // namespace dib
