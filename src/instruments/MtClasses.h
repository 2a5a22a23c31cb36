// The instruments' value objects: bevels, palettes and bitmap sets. Each reports every real
// change through OnChange, which the owning control points at its own repaint.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "framework/Graphics.h"

class TMtPersistent : public TPersistent {
  VELMORA_CLASS(TMtPersistent, TPersistent)

 public:
  // Nested updates report one change at the end.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  TNotifyEvent OnChange;

 protected:
  void Changed();
  // Stores value and reports the change when it differs.
  template <class T>
  void SetField(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }

 private:
  int FUpdateCount = 0;
};

enum TMtOrientation { voVertical, voHorizontal };
const TEnumInfo& MtOrientationInfo();

enum class TMtBevelStyle { bsNone, bsLowered, bsRaised };
enum class TMtOutlineStyle { osOuter, osInner, osNone };
const TEnumInfo& MtBevelStyleInfo();
const TEnumInfo& MtOutlineStyleInfo();

class TMtBevel : public TMtPersistent {
  VELMORA_CLASS(TMtBevel, TMtPersistent)

 public:
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);  // below 0: ignored
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor v) { SetField(FBorderColor, v); }
  TColor InnerShadow() const { return FInnerShadow; }
  void SetInnerShadow(TColor v) { SetField(FInnerShadow, v); }
  TColor InnerHighlight() const { return FInnerHighlight; }
  void SetInnerHighlight(TColor v) { SetField(FInnerHighlight, v); }
  int InnerWidth() const { return FInnerWidth; }
  void SetInnerWidth(int v);  // below 1: ignored
  TMtBevelStyle InnerStyle() const { return FInnerStyle; }
  void SetInnerStyle(TMtBevelStyle v) { SetField(FInnerStyle, v); }
  TMtOutlineStyle InnerOutline() const { return FInnerOutline; }
  void SetInnerOutline(TMtOutlineStyle v) { SetField(FInnerOutline, v); }
  int InnerSpace() const { return FInnerSpace; }
  void SetInnerSpace(int v);  // below 0: ignored
  TColor InnerColor() const { return FInnerColor; }
  void SetInnerColor(TColor v) { SetField(FInnerColor, v); }
  TColor OuterShadow() const { return FOuterShadow; }
  void SetOuterShadow(TColor v) { SetField(FOuterShadow, v); }
  TColor OuterHighlight() const { return FOuterHighlight; }
  void SetOuterHighlight(TColor v) { SetField(FOuterHighlight, v); }
  int OuterWidth() const { return FOuterWidth; }
  void SetOuterWidth(int v);  // below 1: ignored
  TMtBevelStyle OuterStyle() const { return FOuterStyle; }
  void SetOuterStyle(TMtBevelStyle v) { SetField(FOuterStyle, v); }
  TMtOutlineStyle OuterOutline() const { return FOuterOutline; }
  void SetOuterOutline(TMtOutlineStyle v) { SetField(FOuterOutline, v); }
  int OuterSpace() const { return FOuterSpace; }
  void SetOuterSpace(int v);  // below 0: ignored
  TColor OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor v) { SetField(FOuterColor, v); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { SetField(FVisible, v); }

  // Copies every property with one change report.
  void Assign(const TMtBevel& source);
  // Draws the bevel inside Rect, from the outside in, and shrinks Rect to what is left inside.
  void Paint(TCanvas& Canvas, RECT& Rect) const;

 private:
  int FBorderWidth = 0;
  TColor FBorderColor = clBtnFace;
  TColor FInnerShadow = clBtnShadow, FInnerHighlight = clBtnHighlight;
  int FInnerWidth = 1;
  TMtBevelStyle FInnerStyle = TMtBevelStyle::bsLowered;
  TMtOutlineStyle FInnerOutline = TMtOutlineStyle::osNone;
  int FInnerSpace = 1;
  TColor FInnerColor = clBtnFace;
  TColor FOuterShadow = clBtnShadow, FOuterHighlight = clBtnHighlight;
  int FOuterWidth = 1;
  TMtBevelStyle FOuterStyle = TMtBevelStyle::bsRaised;
  TMtOutlineStyle FOuterOutline = TMtOutlineStyle::osOuter;
  int FOuterSpace = 0;
  TColor FOuterColor = clBtnFace;
  bool FVisible = true;
};

class TMtPalette : public TMtPersistent {
  VELMORA_CLASS(TMtPalette, TMtPersistent)

 public:
  TColor Low() const { return FLow; }
  void SetLow(TColor v) { SetField(FLow, v); }
  TColor High() const { return FHigh; }
  void SetHigh(TColor v) { SetField(FHigh, v); }
  // Low for an index of 0 or below, High above.
  TColor Colors(int Index) const { return Index <= 0 ? FLow : FHigh; }
  void Assign(const TMtPalette& source);
  // Pixels of DarkColor become Low and pixels of LightColor High, in place; others stay.
  void RecolorBitmap(TBitmap& Bitmap, TColor DarkColor, TColor LightColor) const;

 private:
  TColor FLow = clGreen, FHigh = clLime;
};

class TMtPaletteEx : public TMtPersistent {
  VELMORA_CLASS(TMtPaletteEx, TMtPersistent)

 public:
  TColor Low1() const { return FLow1; }
  void SetLow1(TColor v) { SetField(FLow1, v); }
  TColor High1() const { return FHigh1; }
  void SetHigh1(TColor v) { SetField(FHigh1, v); }
  TColor Low2() const { return FLow2; }
  void SetLow2(TColor v) { SetField(FLow2, v); }
  TColor High2() const { return FHigh2; }
  void SetHigh2(TColor v) { SetField(FHigh2, v); }
  void Assign(const TMtPaletteEx& source);

 private:
  TColor FLow1 = clGreen, FHigh1 = clLime, FLow2 = clBlack, FHigh2 = clBlack;
};

// An owned, ordered list of bitmaps, with a stream form (signature, count, .bmp files).
class TMtBitmaps : public TMtPersistent {
  VELMORA_CLASS(TMtBitmaps, TMtPersistent)

 public:
  TMtBitmaps();
  ~TMtBitmaps() override;
  // Appends a copy; returns its index.
  int Add(const TBitmap& Bitmap);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TBitmap* Bitmaps(int Index) const;  // null outside 0..Count-1
  // Null clears; otherwise copies of the source's bitmaps replace these (one change report).
  void Assign(const TMtBitmaps* source);

  // The stored form. Reading checks the whole stream before anything changes: a damaged one
  // raises "Invalid file format" and leaves the list as it was. `append` false replaces the list.
  void ReadData(const uint8_t* data, size_t size, bool append);
  std::vector<uint8_t> WriteData() const;
  // Stored only when there are bitmaps.
  bool Stored() const { return !FItems.empty(); }
  // Appends the bitmaps of a file; throws Exception when it cannot be read.
  void LoadFromFile(const std::string& Name);
  void SaveToFile(const std::string& Name) const;

 private:
  std::vector<std::unique_ptr<TBitmap>> FItems;
};

// Which sides of a scale or a slider carry tick marks.
enum TMtTickMarks { tmNone, tmBoth, tmBottomRight, tmTopLeft };
const TEnumInfo& MtTickMarksInfo();
