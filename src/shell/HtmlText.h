// The link text control: text in a small subset of HTML, laid out with word wrap, whose anchors
// are links. Over a link the cursor is a hand; a press on it opens the target with the shell
// (web and mail addresses) or raises OnAnchorClick (anything else).
#pragma once
#include <map>
#include <memory>
#include <optional>
#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "shell/HtmlLayout.h"

class TStrings;
class TTimer;
class TImageList;

enum TVAlignment { tvaTop, tvaCenter, tvaBottom };
const TEnumInfo& VAlignmentInfo();

using TAnchorClick = std::function<void(TObject* Sender, const std::string& Anchor)>;

// How targets are opened; tests put a recorder here instead of the shell. Returns the previous
// one; null puts the shell back.
using THtmlShellOpen = void (*)(const std::string& target);
THtmlShellOpen SetHtmlShellOpen(THtmlShellOpen open);

class THTMLText : public TCustomControl {
  VELMORA_CLASS(THTMLText, TCustomControl)

 public:
  explicit THTMLText(TComponent* AOwner);
  ~THTMLText() override;

  TStrings& HTMLText() { return *FLines; }
  TStrings* HTMLTextPtr() { return FLines.get(); }
  TColor URLColor() const { return FURLColor; }
  void SetURLColor(TColor v) { SetAppearance(FURLColor, v); }
  bool AutoSizing() const { return FAutoSizing; }
  void SetAutoSizing(bool v) { SetAppearance(FAutoSizing, v); }
  TVAlignment VAlignment() const { return FVAlignment; }
  void SetVAlignment(TVAlignment v) { SetAppearance(FVAlignment, v); }
  bool Hover() const { return FHover; }
  void SetHover(bool v) { SetAppearance(FHover, v); }
  TColor HoverColor() const { return FHoverColor; }
  void SetHoverColor(TColor v) { SetAppearance(FHoverColor, v); }
  TColor HoverFontColor() const { return FHoverFontColor; }
  void SetHoverFontColor(TColor v) { SetAppearance(FHoverFontColor, v); }
  bool AnchorHint() const { return FAnchorHint; }
  void SetAnchorHint(bool v) { FAnchorHint = v; }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor v) { SetAppearance(FShadowColor, v); }
  int ShadowOffset() const { return FShadowOffset; }
  void SetShadowOffset(int v) { SetAppearance(FShadowOffset, v); }
  bool EnableBlink() const { return FEnableBlink; }
  void SetEnableBlink(bool v);
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* v);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v) { SetAppearance(FBevelInner, v); }
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v) { SetAppearance(FBevelOuter, v); }
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v) { SetAppearance(FBevelWidth, v < 0 ? 0 : v); }
  // bsNone or bsSingle.
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v) { SetAppearance(FBorderStyle, v == bsSingle ? bsSingle : bsNone); }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v) { SetAppearance(FBorderWidth, v < 0 ? 0 : v); }

  TAnchorClick OnAnchorClick, OnAnchorEnter, OnAnchorExit, OnAnchorKeypress;
  TNotifyEvent OnMouseEnter, OnMouseLeave;

  // The layout the control shows (made when needed).
  const html::Layout& Layout();
  // The anchor under the mouse and the one with the keyboard focus (1-based, 0: none).
  int HoverAnchor() const { return FHoverAnchor; }
  int FocusAnchor() const { return FFocusAnchor; }
  bool BlinkPhase() const { return FBlinkPhase; }

  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool HasHint() const override;
  bool HintShow(THintInfo& info) override;

  struct CachedPicture;

 protected:
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void BoundsChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  void EnabledChanged() override;
  void DestroyWnd() override;

 private:
  friend class THtmlMeasurer;
  template <class T>
  void SetAppearance(T& field, T v) {
    if (field == v) return;
    field = v;
    Changed();
  }
  // The text or an appearance setting changed: lay out again and repaint.
  void Changed();
  void AdjustSize();
  html::Params MakeParams(RECT area);
  // The client area less bevels and border; for laying out, widened when auto-sizing.
  RECT TextArea(bool forLayout) const;
  HFONT FontFor(const html::FontSpec& font);
  html::Extent ImageExtent(const std::string& src);
  void DrawImage(HDC dc, const html::ImagePiece& image);
  CachedPicture* Picture(const std::string& src);
  void SetHoverAnchor(int anchor);
  void Open(int anchor, bool byKey);
  void UpdateBlinkTimer();

  std::unique_ptr<TStrings> FLines;
  TColor FURLColor = clBlue;
  bool FAutoSizing = false;
  TVAlignment FVAlignment = tvaTop;
  bool FHover = false;
  TColor FHoverColor = clNone, FHoverFontColor = clNone;
  bool FAnchorHint = false;
  TColor FShadowColor = clGray;
  int FShadowOffset = 1;
  bool FEnableBlink = false;
  TImageList* FImages = nullptr;
  TBevelCut FBevelInner = bvNone, FBevelOuter = bvNone;
  int FBevelWidth = 1;
  TFormBorderStyle FBorderStyle = bsNone;
  int FBorderWidth = 0;

  std::optional<html::Layout> FLayout;
  std::vector<html::TextPiece> FRuns;  // the layout's texts joined for drawing
  bool FAdjusting = false;
  int FHoverAnchor = 0, FFocusAnchor = 0;
  bool FHandCursor = false;
  std::unique_ptr<TTimer> FBlinkTimer;
  bool FBlinkPhase = false;
  std::map<std::string, std::unique_ptr<TFont>> FFonts;
  std::map<std::string, std::unique_ptr<CachedPicture>> FPictures;
};

void RegisterHtmlTextClasses();
