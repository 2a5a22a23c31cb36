#include "framework/Bitmaps.h"
#include <atomic>
#include <cstring>
#include "framework/DibFormat.h"
#include "framework/Exception.h"
#include "framework/Files.h"

VELMORA_CLASS_INFO(TGraphic) { b.Bool("Transparent", &TGraphic::Transparent, &TGraphic::SetTransparent); }
VELMORA_CLASS_INFO(TBitmap) { b.Str("Resource", &TBitmap::Resource, &TBitmap::SetResource); }
VELMORA_CLASS_INFO(TIcon) { b.Str("Resource", &TIcon::Resource, &TIcon::SetResource); }
VELMORA_CLASS_INFO(TPicture) { b.Str("Resource", &TPicture::Resource, &TPicture::SetResource); }

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

// ---- TBitmap ----

using dib::MaxPixels;

namespace {
std::atomic<long> s_bitmapBytes{0};
std::atomic<long> s_bitmaps{0};

// Counts a bitmap going from one size to another (0 x 0: none).
void Recount(int oldW, int oldH, int w, int h) {
  s_bitmapBytes += static_cast<long>(w) * h * 4 - static_cast<long>(oldW) * oldH * 4;
  s_bitmaps += (w > 0 ? 1 : 0) - (oldW > 0 ? 1 : 0);
}
}  // namespace

long HeldBitmapBytes() { return s_bitmapBytes; }
long HeldBitmaps() { return s_bitmaps; }

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
  Recount(FWidth, FHeight, 0, 0);
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
  Recount(FWidth, FHeight, w, h);
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

void TBitmap::LoadDib(const uint8_t* dib, size_t size, const uint8_t* bits, size_t bitsSize) {
  dib::Layout d = dib::CheckHeader(dib, size);
  if (!bits) {
    bits = dib + d.HeaderBytes;
    bitsSize = size - d.HeaderBytes;
  }
  d.ImageBytes = dib::UsedImageBytes(d, bitsSize);
  // A copy of the header, aligned.
  std::vector<uint32_t> header((d.HeaderBytes + 3) / 4);
  std::memcpy(header.data(), dib, d.HeaderBytes);
  auto* bi = reinterpret_cast<BITMAPINFO*>(header.data());
  // Compressed pixels are expanded here, within the bounds of the data, rather than handing GDI
  // a run-length stream that older systems follow past its end.
  std::vector<uint8_t> expanded;
  if (d.Rle()) {
    expanded = dib::DecodeRle(bits, d.ImageBytes, d.Width, d.Height, d.Compression == dib::RLE4);
    std::vector<uint32_t> plain((sizeof(BITMAPINFOHEADER) + d.Colours * 4 + 3) / 4);
    std::memcpy(plain.data(), dib, sizeof(BITMAPINFOHEADER));
    std::memcpy(reinterpret_cast<uint8_t*>(plain.data()) + sizeof(BITMAPINFOHEADER), dib + d.TableOffset,
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
    throw Exception("Invalid bitmap");
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

void TBitmap::SetResource(const std::string& name) {
  if (name == FResource) return;
  if (name.empty()) {
    SetSize(0, 0);
  } else if (!LoadFromResourceName(GetModuleHandleA(nullptr), name)) {
    throw Exception("Resource " + name + " not found");
  }
  FResource = name;
}

size_t TBitmap::LoadFromBmp(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  dib::File f = dib::CheckFile(p, size);
  LoadDib(p + f.DibOffset, size - f.DibOffset, p + f.BitsOffset, f.BitsSize);
  Changed();
  return f.End;
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
  std::vector<uint8_t> data = ReadWholeFile(fileName, MaxPixels * 4 + 4096);
  LoadFromBmp(data.data(), data.size());
}

void TBitmap::SaveToFile(const std::string& fileName) const { WriteWholeFile(fileName, SaveToBmp()); }

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

void TIcon::SetResource(const std::string& name) {
  if (name == FResource) return;
  if (name.empty())
    SetHandle(nullptr);
  else if (!LoadFromResourceName(GetModuleHandleA(nullptr), name))
    throw Exception("Icon resource " + name + " not found");
  FResource = name;
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

namespace {
// An icon if the module has an RT_GROUP_ICON resource of that name, else a bitmap; null when it
// has neither.
std::unique_ptr<TGraphic> LoadGraphic(HINSTANCE instance, const std::string& name) {
  if (name.empty()) return nullptr;
  if (FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */)) {
    auto icon = std::make_unique<TIcon>();
    if (icon->LoadFromResourceName(instance, name)) return icon;
  }
  auto bitmap = std::make_unique<TBitmap>();
  if (bitmap->LoadFromResourceName(instance, name)) return bitmap;
  return nullptr;
}
}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

TGraphic* TPicture::Graphic() const {
  if (FUnloaded) {
    auto* self = const_cast<TPicture*>(this);
    self->FUnloaded = false;
    std::unique_ptr<TGraphic> g = LoadGraphic(FModule, FResource);
    if (g) {
      // Put back before anyone listens: reading it again is no change.
      g->SetTransparent(FUnloadedTransparent);
      if (auto* b = dynamic_cast<TBitmap*>(g.get())) b->SetTransparentColor(FUnloadedTransparentColor);
      g->OnChange = [self](TObject*) { self->Changed(); };
      FGraphic = std::move(g);
    }
  }
  return FGraphic.get();
}

void TPicture::Unload() {
  if (FResource.empty() || !FModule || !FGraphic) return;
  FUnloadedTransparent = FGraphic->Transparent();
  auto* b = dynamic_cast<TBitmap*>(FGraphic.get());
  FUnloadedTransparentColor = b ? b->TransparentColor() : clDefault;
  FGraphic.reset();
  FUnloaded = true;
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> g, const std::string& resource) {
  if (g) g->OnChange = [this](TObject*) { Changed(); };
  FGraphic = std::move(g);
  FUnloaded = false;
  FResource = resource;
  FModule = nullptr;
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(Graphic())) SetGraphic(std::make_unique<TBitmap>(), {});
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(Graphic())) SetGraphic(std::make_unique<TIcon>(), {});
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::Clear() {
  if (!FGraphic && !FUnloaded && FResource.empty()) return;
  SetGraphic(nullptr, {});
}

void TPicture::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  std::unique_ptr<TGraphic> g = LoadGraphic(instance, name);
  if (!g) throw Exception("Resource " + name + " not found");
  SetGraphic(std::move(g), name);
  FModule = instance;
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
  if (auto* b = dynamic_cast<TBitmap*>(s.Graphic())) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*b);
    g = std::move(copy);
  } else if (auto* i = dynamic_cast<TIcon*>(s.Graphic())) {
    auto copy = std::make_unique<TIcon>();
    copy->Assign(*i);
    g = std::move(copy);
  }
  SetGraphic(std::move(g), s.FResource);
  FModule = s.FModule;
}
