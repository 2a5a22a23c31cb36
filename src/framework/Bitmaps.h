// Pictures: the abstract graphic, device-independent bitmaps, icons, and the picture holder
// whose "Resource" property lets a window description name a picture of the executable.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "framework/Canvas.h"

class TGraphic : public TPersistent {
  VELMORA_CLASS(TGraphic, TPersistent)

 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;
  virtual void Draw(TCanvas& canvas, const RECT& dest) = 0;
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // False when the module has no such resource of the graphic's kind.
  virtual bool LoadFromResourceName(HINSTANCE, const std::string&) { return false; }
  TNotifyEvent OnChange;

 protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  // For Assign, which raises one OnChange of its own.
  void SetTransparentQuietly(bool value) { FTransparent = value; }

 private:
  bool FTransparent = false;
};

// A 32-bit top-down DIB section with its own memory context. Pixels are stored as 0x00RRGGBB in
// memory (BGRX bytes); PixelRGB turns them into COLORREF order.
class TBitmap : public TGraphic {
  VELMORA_CLASS(TBitmap, TGraphic)

 public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }
  // Keeps the overlapping part of the picture; new pixels are black. Negative sizes count as 0;
  // a size GDI cannot provide throws Exception.
  void SetSize(int w, int h);
  void SetWidth(int w) { SetSize(w, FHeight); }
  void SetHeight(int h) { SetSize(FWidth, h); }

  // Drawing on the bitmap; the memory context is made on first use.
  TCanvas& Canvas();
  HBITMAP Handle() const { return FBitmap.get(); }  // null while empty

  // COLORREF order 0x00BBGGRR; CLR_INVALID outside the bitmap. Pending GDI drawing is flushed.
  uint32_t PixelRGB(int x, int y) const;
  // Row y of the pixels in memory order (0x00RRGGBB), after flushing pending GDI drawing; null
  // outside the bitmap. Changes made through it raise no OnChange.
  uint32_t* ScanLine(int y);

  // The set colour, or (by default, or after setting clDefault) the bottom-left pixel.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor value);

  void Draw(TCanvas& canvas, const RECT& dest) override;

  // A BITMAP resource, converted into this DIB.
  bool LoadFromResourceName(HINSTANCE instance, const std::string& name) override;
  // The BITMAP resource of the executable last loaded by name; setting it loads that resource
  // (an empty name empties the bitmap). Throws Exception when there is no such resource.
  const std::string& Resource() const { return FResource; }
  void SetResource(const std::string& name);
  // A .bmp file. Throws Exception when it cannot be read or is not a valid bitmap.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;
  // A complete .bmp file image in memory; returns the number of bytes it took (so several can
  // follow one another). Throws Exception for data that is not a valid bitmap.
  size_t LoadFromBmp(const void* data, size_t size);
  // This bitmap as a .bmp file image (32 bits per pixel, bottom-up).
  std::vector<uint8_t> SaveToBmp() const;
  // Picture, transparency settings; raises OnChange.
  void Assign(const TBitmap& source);

 private:
  // Replaces the DIB by one of the given size (selected into the context if there is one).
  void Allocate(int w, int h, bool keep);
  // Loads a packed DIB (header, colour table, pixels) of the given size.
  void LoadDib(const uint8_t* dib, size_t size, const uint8_t* bits, size_t bitsSize);

  int FWidth = 0;
  int FHeight = 0;
  uint32_t* FBits = nullptr;
  BitmapHandle FBitmap;
  MemoryDC FDC;
  HGDIOBJ FOldBitmap = nullptr;
  std::unique_ptr<TCanvas> FCanvas;
  TColor FTransparentColor = clDefault;
  std::string FResource;
};

// Pixel bytes the bitmaps hold now, and how many hold any: the bitmap memory figure (the
// system's counters give nothing under Wine).
long HeldBitmapBytes();
long HeldBitmaps();

class TIcon : public TGraphic {
  VELMORA_CLASS(TIcon, TGraphic)

 public:
  TIcon() = default;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  bool Empty() const override { return !FIcon; }
  HICON Handle() const { return FIcon.get(); }
  void SetHandle(HICON icon);  // takes ownership (null empties the icon)
  HICON ReleaseHandle();       // gives up ownership and leaves the icon empty
  // The icon at its own size, or at size x size pixels when size > 0.
  bool LoadFromResourceName(HINSTANCE instance, const std::string& name) override;
  bool LoadFromResourceName(HINSTANCE instance, const std::string& name, int size);
  void Assign(const TIcon& source);  // a copy of the source's icon
  // The name of the icon resource last loaded by name (descriptions set icons this way).
  const std::string& Resource() const { return FResource; }
  void SetResource(const std::string& name);
  // Icons carry their own mask, so Transparent does not matter here.
  void Draw(TCanvas& canvas, const RECT& dest) override;

 private:
  IconHandle FIcon;
  std::string FResource;
  int FWidth = 0;
  int FHeight = 0;
};

// Holds one graphic, a bitmap or an icon.
class TPicture : public TPersistent {
  VELMORA_CLASS(TPicture, TPersistent)

 public:
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const;
  TBitmap* Bitmap();  // replaces another kind of graphic (or none) by an empty bitmap
  TIcon* Icon();      // likewise with an empty icon
  int Width() const { return Graphic() ? Graphic()->Width() : 0; }
  int Height() const { return Graphic() ? Graphic()->Height() : 0; }
  void Clear();

  // An icon if the module has an RT_GROUP_ICON resource of that name, else a bitmap; throws
  // Exception("Resource <name> not found") when it has neither (the picture is then unchanged).
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  // The name last loaded from the executable's resources; setting it loads that resource
  // (an empty name clears the picture).
  const std::string& Resource() const { return FResource; }
  void SetResource(const std::string& name);
  // Lets go of the decoded picture when it was loaded from a module's resources: it is read
  // again, without a change notice, when it is next used. For large pictures drawn seldom.
  void Unload();

  void Assign(const TPicture& source);
  TNotifyEvent OnChange;

 private:
  void SetGraphic(std::unique_ptr<TGraphic> g, const std::string& resource);
  void Changed() {
    if (OnChange) OnChange(this);
  }

  mutable std::unique_ptr<TGraphic> FGraphic;
  std::string FResource;
  HINSTANCE FModule = nullptr;  // where FResource was read from
  // What Unload let go of: the graphic's own settings to put back when it is read again.
  bool FUnloaded = false;
  bool FUnloadedTransparent = false;
  TColor FUnloadedTransparentColor = clDefault;
};
