#include "framework/Bitmaps.h"
#include <climits>
#include <cstring>
#include "framework/Exception.h"

VELMORA_CLASS_INFO(TGraphic) { b.Bool("Transparent", &TGraphic::Transparent, &TGraphic::SetTransparent); }
VELMORA_CLASS_INFO(TBitmap) {}
VELMORA_CLASS_INFO(TIcon) {}
VELMORA_CLASS_INFO(TPicture) { b.Str("Resource", &TPicture::Resource, &TPicture::SetResource); }

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

// ---- TBitmap ----

// Largest picture accepted: far beyond any control, well below what 32-bit sizes can overflow.
static constexpr int64_t MaxPixels = 16 * 1024 * 1024;

static HBITMAP CreateDib32(int w, int h, uint32_t** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down: row 0 first in memory
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = b ? static_cast<uint32_t*>(p) : nullptr;
  return b;
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();  // takes its font, pen and brush out of the context
  if (FDC && FOldBitmap) SelectObject(FDC.get(), FOldBitmap);
}

void TBitmap::Allocate(int w, int h, bool keep) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == 0 || h == 0) w = h = 0;
  BitmapHandle fresh;
  uint32_t* bits = nullptr;
  if (w > 0) {
    if (static_cast<int64_t>(w) * h > MaxPixels)
      throw Exception(Format("Bitmap size %d x %d is too large", w, h));
    fresh.reset(CreateDib32(w, h, &bits));
    if (!fresh) throw Exception(Format("Cannot create a bitmap of %d x %d pixels", w, h));
    GdiFlush();
    if (keep && FBits) {
      int cw = w < FWidth ? w : FWidth, ch = h < FHeight ? h : FHeight;
      for (int y = 0; y < ch; ++y) std::memcpy(bits + y * w, FBits + y * FWidth, cw * 4u);
    }
  }
  // The old bitmap must be out of the context before it is deleted.
  if (FDC) SelectObject(FDC.get(), fresh ? static_cast<HGDIOBJ>(fresh.get()) : FOldBitmap);
  FBitmap = std::move(fresh);
  FBits = bits;
  FWidth = w;
  FHeight = h;
}

void TBitmap::SetSize(int w, int h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == FWidth && h == FHeight) return;
  Allocate(w, h, true);
  Changed();
}

TCanvas& TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
  if (!FDC) {
    FDC = MemoryDC::Create();
    if (!FDC) throw Exception("Cannot create a memory device context");
    FOldBitmap = GetCurrentObject(FDC.get(), OBJ_BITMAP);
    if (FBitmap) SelectObject(FDC.get(), FBitmap.get());
    FCanvas->SetHandle(FDC.get());
  }
  return *FCanvas;
}

uint32_t TBitmap::PixelRGB(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return CLR_INVALID;
  GdiFlush();
  uint32_t v = FBits[y * FWidth + x];
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

uint32_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= FHeight) return nullptr;
  GdiFlush();
  return FBits + y * FWidth;
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clNone;
  return static_cast<TColor>(PixelRGB(0, FHeight - 1));
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  Changed();
}

void TBitmap::Draw(TCanvas& canvas, const RECT& dest) {
  if (Empty()) return;
  RECT src{0, 0, FWidth, FHeight};
  TCanvas& own = Canvas();
  if (Transparent()) {
    TColor tc = TransparentColor();
    if (tc != clNone) {
      canvas.TransparentCopy(dest, own.Handle(), src, ColorToRGB(tc));
      return;
    }
  }
  canvas.CopyRect(dest, own, src);
}

namespace {
// What a packed DIB header says, after checking that the data can hold it.
struct DibLayout {
  int Width = 0;
  int Height = 0;          // rows
  size_t HeaderBytes = 0;  // header, masks and colour table
  size_t ImageBytes = 0;   // pixel data
  size_t Colours = 0;      // entries of the colour table
  bool Rle = false;
};

[[noreturn]] void InvalidBitmap() { throw Exception("Invalid bitmap"); }

DibLayout CheckDib(const uint8_t* dib, size_t size) {
  BITMAPINFOHEADER h;
  if (size < sizeof h) InvalidBitmap();
  std::memcpy(&h, dib, sizeof h);
  if (h.biSize < sizeof h || h.biSize > size) InvalidBitmap();
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT_MIN || h.biPlanes != 1)
    InvalidBitmap();
  int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) InvalidBitmap();
  bool rle = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
  if (!(h.biCompression == BI_RGB || (h.biCompression == BI_RLE8 && bpp == 8) ||
        (h.biCompression == BI_RLE4 && bpp == 4) ||
        (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32))))
    InvalidBitmap();
  DibLayout d;
  d.Width = h.biWidth;
  d.Height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (rle && h.biHeight < 0) InvalidBitmap();  // compressed bitmaps are bottom-up only
  if (static_cast<int64_t>(d.Width) * d.Height > MaxPixels) InvalidBitmap();
  uint64_t colours = h.biClrUsed;
  if (bpp <= 8) {
    if (colours == 0) colours = 1u << bpp;
    if (colours > (1u << bpp)) InvalidBitmap();
  } else if (colours > 256) {
    InvalidBitmap();
  }
  uint64_t header = h.biSize + colours * 4;
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof h) header += 12;
  if (header > size) InvalidBitmap();
  d.HeaderBytes = static_cast<size_t>(header);
  d.Colours = static_cast<size_t>(colours);
  d.Rle = rle;
  if (rle) {
    d.ImageBytes = h.biSizeImage;
  } else {
    uint64_t stride = ((static_cast<uint64_t>(d.Width) * bpp + 31) / 32) * 4;
    d.ImageBytes = static_cast<size_t>(stride * d.Height);
  }
  return d;
}

// Expands RLE8 or RLE4 data into 8-bit rows (bottom-up, rows padded to 4 bytes). Runs that
// would leave the picture are clipped; data that ends early leaves the rest at index 0.
std::vector<uint8_t> DecodeRle(const uint8_t* p, size_t size, int w, int h, bool four) {
  size_t stride = (static_cast<size_t>(w) + 3) & ~size_t{3};
  std::vector<uint8_t> out(stride * h, 0);
  int x = 0, y = 0;
  auto put = [&](uint8_t index) {
    if (x < w && y < h) out[y * stride + x] = index;
    ++x;
  };
  size_t i = 0;
  while (i + 1 < size && y < h) {
    uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count) {
      for (int k = 0; k < count; ++k)
        put(four ? static_cast<uint8_t>(k % 2 ? value & 0x0F : value >> 4) : value);
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      if (i + 1 >= size) break;
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {  // 'value' pixels as they are, padded to a whole word
      size_t bytes = four ? (value + 1u) / 2 : value;
      if (i + bytes > size) break;
      for (int k = 0; k < value; ++k)
        put(four ? static_cast<uint8_t>(k % 2 ? p[i + k / 2] & 0x0F : p[i + k / 2] >> 4) : p[i + k]);
      i += (bytes + 1) & ~size_t{1};
    }
  }
  return out;
}
}  // namespace

void TBitmap::LoadDib(const uint8_t* dib, size_t size, const uint8_t* bits, size_t bitsSize) {
  DibLayout d = CheckDib(dib, size);
  if (!bits) {
    bits = dib + d.HeaderBytes;
    bitsSize = size - d.HeaderBytes;
  }
  // Compressed data is read only as far as it really goes, whatever the header claims.
  if (d.Rle && (d.ImageBytes == 0 || d.ImageBytes > bitsSize)) d.ImageBytes = bitsSize;
  if (d.ImageBytes == 0 || bitsSize < d.ImageBytes) InvalidBitmap();
  // A copy of the header, aligned.
  std::vector<uint32_t> header((d.HeaderBytes + 3) / 4);
  std::memcpy(header.data(), dib, d.HeaderBytes);
  auto* bi = reinterpret_cast<BITMAPINFO*>(header.data());
  // Compressed pixels are expanded here, within the bounds of the data, rather than handing GDI
  // a run-length stream that older systems follow past its end.
  std::vector<uint8_t> expanded;
  if (d.Rle) {
    expanded = DecodeRle(bits, d.ImageBytes, d.Width, d.Height,
                         bi->bmiHeader.biCompression == BI_RLE4);
    size_t table = bi->bmiHeader.biSize;
    std::vector<uint32_t> plain((sizeof(BITMAPINFOHEADER) + d.Colours * 4 + 3) / 4);
    std::memcpy(plain.data(), dib, sizeof(BITMAPINFOHEADER));
    std::memcpy(reinterpret_cast<uint8_t*>(plain.data()) + sizeof(BITMAPINFOHEADER), dib + table,
                d.Colours * 4);
    header = std::move(plain);
    bi = reinterpret_cast<BITMAPINFO*>(header.data());
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biBitCount = 8;
    bi->bmiHeader.biCompression = BI_RGB;
    bi->bmiHeader.biClrUsed = static_cast<DWORD>(d.Colours);
    bi->bmiHeader.biSizeImage = static_cast<DWORD>(expanded.size());
    bits = expanded.data();
  }

  Allocate(d.Width, d.Height, false);
  HDC dc = Canvas().Handle();
  std::memset(FBits, 0, static_cast<size_t>(d.Width) * d.Height * 4);
  if (!StretchDIBits(dc, 0, 0, d.Width, d.Height, 0, 0, d.Width, d.Height, bits, bi,
                     DIB_RGB_COLORS, SRCCOPY)) {
    Allocate(0, 0, false);
    InvalidBitmap();
  }
  GdiFlush();
}

bool TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  HRSRC res = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!res) return false;
  HGLOBAL g = LoadResource(instance, res);
  const void* p = g ? LockResource(g) : nullptr;
  if (!p) return false;
  LoadDib(static_cast<const uint8_t*>(p), SizeofResource(instance, res), nullptr, 0);
  Changed();
  return true;
}

size_t TBitmap::LoadFromBmp(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  BITMAPFILEHEADER fh;
  if (!p || size < sizeof fh) InvalidBitmap();
  std::memcpy(&fh, p, sizeof fh);
  if (fh.bfType != 0x4D42) InvalidBitmap();  // "BM"
  DibLayout d = CheckDib(p + sizeof fh, size - sizeof fh);
  if (fh.bfOffBits < sizeof fh + d.HeaderBytes || fh.bfOffBits > size) InvalidBitmap();
  LoadDib(p + sizeof fh, size - sizeof fh, p + fh.bfOffBits, size - fh.bfOffBits);
  Changed();
  // The file's own size when it is sensible, so that a following file is found where it starts.
  size_t end = fh.bfOffBits + d.ImageBytes;
  if (fh.bfSize >= end && fh.bfSize <= size) end = fh.bfSize;
  return end;
}

std::vector<uint8_t> TBitmap::SaveToBmp() const {
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  size_t image = static_cast<size_t>(FWidth) * FHeight * 4;
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = static_cast<DWORD>(fh.bfOffBits + image);
  ih.biSize = sizeof ih;
  ih.biWidth = FWidth;
  ih.biHeight = FHeight;  // bottom-up: the form every reader understands
  ih.biPlanes = 1;
  ih.biBitCount = 32;
  ih.biCompression = BI_RGB;
  ih.biSizeImage = static_cast<DWORD>(image);
  std::vector<uint8_t> out(fh.bfSize);
  std::memcpy(out.data(), &fh, sizeof fh);
  std::memcpy(out.data() + sizeof fh, &ih, sizeof ih);
  if (image) {
    GdiFlush();
    uint8_t* dst = out.data() + fh.bfOffBits;
    for (int y = 0; y < FHeight; ++y)
      std::memcpy(dst + static_cast<size_t>(FHeight - 1 - y) * FWidth * 4, FBits + y * FWidth,
                  FWidth * 4u);
  }
  return out;
}

void TBitmap::LoadFromFile(const std::string& fileName) {
  HANDLE f = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw Exception("Cannot open file \"" + fileName + "\"");
  DWORD size = GetFileSize(f, nullptr);
  std::vector<uint8_t> data;
  bool ok = size != INVALID_FILE_SIZE && size <= MaxPixels * 4 + 4096;
  if (ok) {
    data.resize(size);
    DWORD read = 0;
    ok = size == 0 || (ReadFile(f, data.data(), size, &read, nullptr) && read == size);
  }
  CloseHandle(f);
  if (!ok) throw Exception("Cannot read file \"" + fileName + "\"");
  LoadFromBmp(data.data(), data.size());
}

void TBitmap::SaveToFile(const std::string& fileName) const {
  std::vector<uint8_t> data = SaveToBmp();
  HANDLE f = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw Exception("Cannot create file \"" + fileName + "\"");
  DWORD written = 0;
  bool ok = WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size();
  CloseHandle(f);
  if (!ok) throw Exception("Cannot write file \"" + fileName + "\"");
}

void TBitmap::Assign(const TBitmap& s) {
  if (this == &s) return;
  Allocate(s.FWidth, s.FHeight, false);
  if (FBits) {
    GdiFlush();
    std::memcpy(FBits, s.FBits, static_cast<size_t>(FWidth) * FHeight * 4);
  }
  FTransparentColor = s.FTransparentColor;
  SetTransparentQuietly(s.Transparent());
  Changed();
}

// ---- TIcon ----

void TIcon::SetHandle(HICON icon) {
  if (icon == FIcon.get()) return;
  FIcon.reset(icon);
  FWidth = FHeight = 0;
  ICONINFO ii{};
  if (icon && GetIconInfo(icon, &ii)) {
    BITMAP bm{};
    if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof bm, &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight;
    } else if (ii.hbmMask && GetObjectA(ii.hbmMask, sizeof bm, &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight / 2;  // AND and XOR halves of a monochrome icon
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
  }
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON h = FIcon.release();
  FWidth = FHeight = 0;
  if (h) Changed();
  return h;
}

bool TIcon::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  return LoadFromResourceName(instance, name, 0);
}

bool TIcon::LoadFromResourceName(HINSTANCE instance, const std::string& name, int size) {
  if (!FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */))
    return false;
  if (size < 0) size = 0;
  auto icon = static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, size, size, 0));
  if (!icon) return false;
  SetHandle(icon);
  return true;
}

void TIcon::Assign(const TIcon& s) {
  if (this == &s) return;
  SetTransparentQuietly(s.Transparent());
  SetHandle(s.FIcon ? CopyIcon(s.FIcon.get()) : nullptr);
}

void TIcon::Draw(TCanvas& canvas, const RECT& dest) {
  HDC dc = canvas.Handle();
  if (!dc || !FIcon) return;
  DrawIconEx(dc, dest.left, dest.top, FIcon.get(), dest.right - dest.left,
             dest.bottom - dest.top, 0, nullptr, DI_NORMAL);
}

// ---- TPicture ----

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> g, const std::string& resource) {
  if (g) g->OnChange = [this](TObject*) { Changed(); };
  FGraphic = std::move(g);
  FResource = resource;
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) SetGraphic(std::make_unique<TBitmap>(), {});
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(FGraphic.get())) SetGraphic(std::make_unique<TIcon>(), {});
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::Clear() {
  if (!FGraphic && FResource.empty()) return;
  SetGraphic(nullptr, {});
}

void TPicture::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  if (!name.empty()) {
    if (FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */)) {
      auto icon = std::make_unique<TIcon>();
      if (icon->LoadFromResourceName(instance, name)) {
        SetGraphic(std::move(icon), name);
        return;
      }
    }
    auto bitmap = std::make_unique<TBitmap>();
    if (bitmap->LoadFromResourceName(instance, name)) {
      SetGraphic(std::move(bitmap), name);
      return;
    }
  }
  throw Exception("Resource " + name + " not found");
}

void TPicture::SetResource(const std::string& name) {
  if (name == FResource) return;
  if (name.empty())
    Clear();
  else
    LoadFromResourceName(GetModuleHandleA(nullptr), name);
}

void TPicture::Assign(const TPicture& s) {
  if (this == &s) return;
  std::unique_ptr<TGraphic> g;
  if (auto* b = dynamic_cast<TBitmap*>(s.FGraphic.get())) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*b);
    g = std::move(copy);
  } else if (auto* i = dynamic_cast<TIcon*>(s.FGraphic.get())) {
    auto copy = std::make_unique<TIcon>();
    copy->Assign(*i);
    g = std::move(copy);
  }
  SetGraphic(std::move(g), s.FResource);
}
