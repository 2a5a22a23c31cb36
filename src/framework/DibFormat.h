// Reading device-independent bitmaps (.bmp files and packed DIBs) without Windows: header checks
// and run-length expansion, bounded by the data whatever the headers claim. The Windows side
// (TBitmap) hands the result to GDI.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dib {

// Largest picture accepted: far beyond any control, well below what 32-bit sizes can overflow.
constexpr int64_t MaxPixels = 16 * 1024 * 1024;
constexpr size_t InfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr size_t FileHeaderSize = 14;  // BITMAPFILEHEADER
enum : uint32_t { RGB = 0, RLE8 = 1, RLE4 = 2, BITFIELDS = 3 };

// What a packed DIB header says, after checking that the data can hold it.
struct Layout {
  int Width = 0;
  int Height = 0;          // rows
  bool TopDown = false;    // rows stored top first
  int BitCount = 0;
  uint32_t Compression = RGB;
  size_t HeaderBytes = 0;  // header, masks and colour table
  size_t TableOffset = 0;  // where the colour table starts (the header's own size)
  size_t Colours = 0;      // entries of the colour table
  size_t ImageBytes = 0;   // pixel data: computed for plain rows, the header's claim when compressed
  bool Rle() const { return Compression == RLE8 || Compression == RLE4; }
};

// Checks a packed DIB header within size bytes. Throws Exception("Invalid bitmap") when the
// header is not one this program draws or its parts lie outside the data.
Layout CheckHeader(const uint8_t* dib, size_t size);

// The bytes of pixel data a picture uses out of the available bitsSize: compressed data is read
// only as far as it really goes, whatever the header claims. Throws when plain rows do not fit.
size_t UsedImageBytes(const Layout& d, size_t bitsSize);

// A .bmp file image: its DIB, where its pixels start, and where the file ends (never past the
// input, so that a caller stepping to a following file stays inside it).
struct File {
  Layout Dib;
  size_t DibOffset = FileHeaderSize;
  size_t BitsOffset = 0;
  size_t BitsSize = 0;  // the pixel bytes used
  size_t End = 0;
};
File CheckFile(const uint8_t* data, size_t size);

// Expands RLE8 or RLE4 data into 8-bit rows (bottom-up, rows padded to 4 bytes). Runs that
// would leave a row are clipped at its end; data that ends early leaves the rest at index 0.
// The work is bounded by the input's size and the picture's size.
std::vector<uint8_t> DecodeRle(const uint8_t* p, size_t size, int w, int h, bool four);

}  // namespace dib
