#include "shell/HtmlText.h"
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>
#include <algorithm>
#include <cctype>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/ImgList.h"
#include "framework/Strings.h"
#include "framework/Timer.h"

#ifndef SHGFI_USEFILEATTRIBUTES
#define SHGFI_USEFILEATTRIBUTES 0x10
#endif

const TEnumInfo& VAlignmentInfo() {
  static const TEnumInfo e{"TVAlignment", {"tvaTop", "tvaCenter", "tvaBottom"}};
  return e;
}

static const TEnumInfo& TextBorderStyleInfo() {
  static const TEnumInfo e{"TBorderStyle", {"bsNone", "bsSingle"}};
  return e;
}

VELMORA_CLASS_INFO(THTMLText) {
  b.Strings("HTMLText", &THTMLText::HTMLTextPtr);
  b.Int("URLColor", &THTMLText::URLColor, &THTMLText::SetURLColor, &ColorIdents());
  b.Bool("AutoSizing", &THTMLText::AutoSizing, &THTMLText::SetAutoSizing);
  b.Enum("VAlignment", &THTMLText::VAlignment, &THTMLText::SetVAlignment, VAlignmentInfo());
  b.Bool("Hover", &THTMLText::Hover, &THTMLText::SetHover);
  b.Int("HoverColor", &THTMLText::HoverColor, &THTMLText::SetHoverColor, &ColorIdents());
  b.Int("HoverFontColor", &THTMLText::HoverFontColor, &THTMLText::SetHoverFontColor, &ColorIdents());
  b.Bool("AnchorHint", &THTMLText::AnchorHint, &THTMLText::SetAnchorHint);
  b.Int("ShadowColor", &THTMLText::ShadowColor, &THTMLText::SetShadowColor, &ColorIdents());
  b.Int("ShadowOffset", &THTMLText::ShadowOffset, &THTMLText::SetShadowOffset);
  b.Bool("EnableBlink", &THTMLText::EnableBlink, &THTMLText::SetEnableBlink);
  b.Ref<TImageList>("Images", &THTMLText::Images, &THTMLText::SetImages);
  b.Enum("BevelInner", &THTMLText::BevelInner, &THTMLText::SetBevelInner, BevelCutInfo());
  b.Enum("BevelOuter", &THTMLText::BevelOuter, &THTMLText::SetBevelOuter, BevelCutInfo());
  b.Int("BevelWidth", &THTMLText::BevelWidth, &THTMLText::SetBevelWidth);
  b.Enum("BorderStyle", &THTMLText::BorderStyle, &THTMLText::SetBorderStyle, TextBorderStyleInfo());
  b.Int("BorderWidth", &THTMLText::BorderWidth, &THTMLText::SetBorderWidth);
  b.Event("OnAnchorClick", &THTMLText::OnAnchorClick);
  b.Event("OnAnchorEnter", &THTMLText::OnAnchorEnter);
  b.Event("OnAnchorExit", &THTMLText::OnAnchorExit);
  b.Event("OnAnchorKeypress", &THTMLText::OnAnchorKeypress);
  b.Event("OnMouseEnter", &THTMLText::OnMouseEnter);
  b.Event("OnMouseLeave", &THTMLText::OnMouseLeave);
  b.Creatable();
}

void RegisterHtmlTextClasses() { RegisterComponentClass(THTMLText::StaticClassInfo()); }

// ---------------------------------------------------------------- opening targets

static void ShellOpen(const std::string& target) {
  // The result is not looked at: a target that cannot be opened says nothing.
  ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

static THtmlShellOpen g_shellOpen = ShellOpen;

THtmlShellOpen SetHtmlShellOpen(THtmlShellOpen open) {
  THtmlShellOpen old = g_shellOpen;
  g_shellOpen = open ? open : ShellOpen;
  return old;
}

// ---------------------------------------------------------------- pictures

struct THTMLText::CachedPicture {
  IPicture* Pic = nullptr;
  int Width = 0, Height = 0;  // pixels
  ~CachedPicture() {
    if (Pic) Pic->Release();
  }
};

namespace {
// {7BF80980-BF32-101A-8BBB-00AA00300CAB}; defined here so that no GUID library is needed.
const IID kIID_IPicture = {0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

// The OLE picture loader, looked up when a text first shows a picture: most texts have none,
// and the program then loads no OLE libraries.
using CreateStreamFn = HRESULT(WINAPI*)(HGLOBAL, BOOL, LPSTREAM*);
using OleLoadPictureFn = HRESULT(WINAPI*)(LPSTREAM, LONG, BOOL, REFIID, LPVOID*);

template <class F>
F Lookup(const char* dll, const char* name) {
  HMODULE m = GetModuleHandleA(dll);
  if (!m) m = LoadLibraryA(dll);
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

IPicture* DecodePicture(const std::string& bytes) {
  static CreateStreamFn createStream = Lookup<CreateStreamFn>("ole32.dll", "CreateStreamOnHGlobal");
  static OleLoadPictureFn loadPicture = Lookup<OleLoadPictureFn>("oleaut32.dll", "OleLoadPicture");
  if (!createStream || !loadPicture || bytes.empty()) throw Exception("Could not load image");
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  void* p = mem ? GlobalLock(mem) : nullptr;
  if (!p) {
    if (mem) GlobalFree(mem);
    throw Exception("Could not allocate memory for image");
  }
  std::copy(bytes.begin(), bytes.end(), static_cast<char*>(p));
  GlobalUnlock(mem);
  IStream* stream = nullptr;
  if (FAILED(createStream(mem, TRUE, &stream))) {
    GlobalFree(mem);
    throw Exception("Could not create image stream");
  }
  if (!stream) throw Exception("Empty image stream created");  // the stream owns mem from here
  IPicture* pic = nullptr;
  HRESULT hr = loadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, kIID_IPicture, reinterpret_cast<void**>(&pic));
  stream->Release();
  if (FAILED(hr)) throw Exception("Could not load image. Invalid format");
  if (!pic) throw Exception("Could not load image");
  return pic;
}

std::string ReadPictureSource(const html::ImageSource& s) {
  if (s.Kind == html::ImageSource::Resource) {
    HMODULE m = GetModuleHandleA(nullptr);
    HRSRC r = FindResourceA(m, s.Path.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL g = r ? LoadResource(m, r) : nullptr;
    const char* p = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    if (!p) throw Exception("Could not load image");
    return std::string(p, SizeofResource(m, r));
  }
  KernelHandle f(CreateFileA(s.Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) throw Exception("Could not load image");
  DWORD size = GetFileSize(f.get(), nullptr), got = 0;
  // Pictures are small; anything of 64 MB or more is not one.
  std::string bytes;
  bool ok = size != static_cast<DWORD>(-1) && size < (64u << 20);
  if (ok) {
    bytes.resize(size);
    ok = ReadFile(f.get(), bytes.data(), size, &got, nullptr) && got == size;
  }
  if (!ok) throw Exception("Could not load image");
  return bytes;
}

// An icon of the shell's image lists: the list and the icon's index in it.
bool ShellIcon(const html::ImageSource& s, HIMAGELIST& list, int& index) {
  SHFILEINFOA fi{};
  UINT flags = SHGFI_SYSICONINDEX | (s.Kind == html::ImageSource::SmallShell ? SHGFI_SMALLICON : SHGFI_LARGEICON);
  if (s.ByPath) {
    if (s.Path.empty()) return false;
    DWORD attrs = GetFileAttributesA(s.Path.c_str());
    if (attrs == static_cast<DWORD>(-1)) {
      // Not there: the icon its name would have.
      flags |= SHGFI_USEFILEATTRIBUTES;
      attrs = FILE_ATTRIBUTE_NORMAL;
    }
    list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(s.Path.c_str(), attrs, &fi, sizeof fi, flags));
    index = fi.iIcon;
  } else {
    char dir[MAX_PATH];
    UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(dir, 0, &fi, sizeof fi, flags));
    index = s.Index;
  }
  return list && html::ValidImageIndex(index, ImageList_GetImageCount(list));
}
}  // namespace

// ---------------------------------------------------------------- measuring

class THtmlMeasurer : public html::Measurer {
 public:
  THtmlMeasurer(THTMLText& owner, HDC dc) : FOwner(owner), FDC(dc) {}
  html::Extent Text(const html::FontSpec& font, std::string_view text) override {
    SIZE s{0, 0};
    HGDIOBJ old = SelectObject(FDC, FOwner.FontFor(font));
    GetTextExtentPoint32A(FDC, text.data(), static_cast<int>(text.size()), &s);
    if (text.empty()) {
      TEXTMETRICA tm;
      if (GetTextMetricsA(FDC, &tm)) s.cy = tm.tmHeight;
    }
    SelectObject(FDC, old);
    return html::Extent{s.cx, s.cy};
  }
  html::Extent Image(const std::string& src) override { return FOwner.ImageExtent(src); }

 private:
  THTMLText& FOwner;
  HDC FDC;
};

// ---------------------------------------------------------------- THTMLText

THTMLText::THTMLText(TComponent* AOwner) : TCustomControl(AOwner), FLines(std::make_unique<TStringList>()) {
  FWidth = 100;
  FHeight = 20;
  FLines->OnChange = [this](TObject*) { Changed(); };
}

THTMLText::~THTMLText() {
  FBlinkTimer.reset();
  FPictures.clear();
}

void THTMLText::Changed() {
  FLayout.reset();
  if (Loading()) return;
  AdjustSize();
  Invalidate();
}

void THTMLText::Loaded() {
  TCustomControl::Loaded();
  FCaption.clear();  // only the HTML is drawn
  UpdateBlinkTimer();
  Changed();
}

void THTMLText::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) {
    FImages = nullptr;
    Changed();
  }
}

void THTMLText::SetImages(TImageList* v) {
  if (v == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = v;
  if (v) v->FreeNotification(this);
  Changed();
}

void THTMLText::SetEnableBlink(bool v) {
  if (v == FEnableBlink) return;
  FEnableBlink = v;
  if (Loading()) return;
  UpdateBlinkTimer();
  if (!v) {
    FBlinkPhase = false;
    Invalidate();
  }
}

void THTMLText::UpdateBlinkTimer() {
  if (!FEnableBlink) {
    FBlinkTimer.reset();
    return;
  }
  if (FBlinkTimer) return;
  FBlinkTimer = std::make_unique<TTimer>(nullptr);
  FBlinkTimer->SetInterval(500);
  FBlinkTimer->SetOnTimer([this](TObject*) {
    if (!HandleAllocated() || !Layout().HasBlink) return;
    FBlinkPhase = !FBlinkPhase;
    Invalidate();
  });
}

void THTMLText::DestroyWnd() {
  FBlinkTimer.reset();
  TCustomControl::DestroyWnd();
}

void THTMLText::BoundsChanged() {
  TCustomControl::BoundsChanged();
  if (!FAdjusting) Changed();
}

void THTMLText::FontChanged() {
  FFonts.clear();
  TCustomControl::FontChanged();
  Changed();
}

void THTMLText::ColorChanged() {
  TCustomControl::ColorChanged();
  Invalidate();
}

void THTMLText::EnabledChanged() {
  TCustomControl::EnabledChanged();
  Invalidate();
}

RECT THTMLText::TextArea(bool forLayout) const {
  RECT r{0, 0, FWidth, FHeight};
  if (FBevelInner != bvNone || FBevelOuter != bvNone) InflateRect(&r, -FBevelWidth, -FBevelWidth);
  if (FBorderStyle == bsSingle) InflateRect(&r, -FBorderWidth, -FBorderWidth);
  if (FAutoSizing && forLayout) {
    r.right += 65535;  // nothing wraps
    r.bottom += 250;
  }
  return r;
}

html::Params THTMLText::MakeParams(RECT area) {
  html::Params p;
  p.Area = html::Rect{area.left, area.top, area.right, area.bottom};
  TFont& f = Font();
  p.Font.Name = f.Name();
  p.Font.Height = f.Height();
  p.Font.Bold = f.Style() & FontStyleBit(fsBold);
  p.Font.Italic = f.Style() & FontStyleBit(fsItalic);
  p.Font.Underline = f.Style() & FontStyleBit(fsUnderline);
  p.Font.StrikeOut = f.Style() & FontStyleBit(fsStrikeOut);
  p.Font.Escapement = f.Orientation();
  p.FontColor = f.Color();
  p.URLColor = FURLColor;
  return p;
}

const html::Layout& THTMLText::Layout() {
  if (FLayout) return *FLayout;
  std::string text;
  for (const std::string& line : FLines->Items()) text += line;
  MemoryDC dc = MemoryDC::Create();
  THtmlMeasurer m(*this, dc.get());
  html::Layout l = html::LayoutHTML(text, MakeParams(TextArea(true)), m);
  if (FVAlignment != tvaTop) {
    // Within the control's own area: the room added for auto-sizing would push the text out.
    RECT shown = TextArea(false);
    int free = (shown.bottom - shown.top) - l.Height;
    if (free > 0) l.Offset(FVAlignment == tvaCenter ? free / 2 : free);
  }
  FLayout = std::move(l);
  FRuns = html::JoinRuns(FLayout->Texts);
  int count = static_cast<int>(FLayout->Anchors.size());
  if (FHoverAnchor > count) FHoverAnchor = 0;
  if (FFocusAnchor > count) FFocusAnchor = 0;
  return *FLayout;
}

void THTMLText::AdjustSize() {
  if (!FAutoSizing || FAdjusting) return;
  const html::Layout& l = Layout();
  int w = l.Width + 6, h = std::max(FHeight, l.Height + 6);
  if (w == FWidth && h == FHeight) return;
  FAdjusting = true;
  SetBounds(FLeft, FTop, w, h);
  FAdjusting = false;
  FLayout.reset();  // the area moved with the size
}

HFONT THTMLText::FontFor(const html::FontSpec& font) {
  std::string key = font.Name + '|' + std::to_string(font.Height) + '|' + std::to_string(font.Escapement) + '|' +
                    char('0' + font.Bold) + char('0' + font.Italic) + char('0' + font.Underline) + char('0' + font.StrikeOut);
  auto it = FFonts.find(key);
  if (it == FFonts.end()) {
    // Few texts use many fonts; a bound keeps a hostile one from eating the system's GDI heap.
    if (FFonts.size() >= 32) FFonts.clear();
    auto f = std::make_unique<TFont>();
    f->SetName(font.Name);
    f->SetHeight(font.Height);
    f->SetCharset(Font().Charset());
    f->SetOrientation(font.Escapement);
    f->SetStyle((font.Bold ? FontStyleBit(fsBold) : 0) | (font.Italic ? FontStyleBit(fsItalic) : 0) |
                (font.Underline ? FontStyleBit(fsUnderline) : 0) | (font.StrikeOut ? FontStyleBit(fsStrikeOut) : 0));
    it = FFonts.emplace(key, std::move(f)).first;
  }
  return it->second->Handle();
}

THTMLText::CachedPicture* THTMLText::Picture(const std::string& src) {
  auto it = FPictures.find(src);
  if (it != FPictures.end()) return it->second.get();
  auto entry = std::make_unique<CachedPicture>();
  html::ImageSource s = html::ParseImageSource(src);
  if (s.Kind == html::ImageSource::Resource || s.Kind == html::ImageSource::File) {
    try {
      entry->Pic = DecodePicture(ReadPictureSource(s));
      OLE_XSIZE_HIMETRIC w = 0;
      OLE_YSIZE_HIMETRIC h = 0;
      entry->Pic->get_Width(&w);
      entry->Pic->get_Height(&h);
      HDC screen = GetDC(nullptr);
      entry->Width = MulDiv(w, GetDeviceCaps(screen, LOGPIXELSX), 2540);
      entry->Height = MulDiv(h, GetDeviceCaps(screen, LOGPIXELSY), 2540);
      ReleaseDC(nullptr, screen);
    } catch (const Exception&) {
      // A picture that cannot be loaded stays empty (and is not tried again).
      if (entry->Pic) entry->Pic->Release();
      entry->Pic = nullptr;
    }
  }
  return FPictures.emplace(src, std::move(entry)).first->second.get();
}

html::Extent THTMLText::ImageExtent(const std::string& src) {
  html::ImageSource s = html::ParseImageSource(src);
  switch (s.Kind) {
    case html::ImageSource::ListIndex:
      if (FImages && html::ValidImageIndex(s.Index, FImages->Count())) return {FImages->Width(), FImages->Height()};
      return {};
    case html::ImageSource::SmallShell:
    case html::ImageSource::LargeShell: {
      HIMAGELIST list;
      int index, w, h;
      if (!ShellIcon(s, list, index) || !ImageList_GetIconSize(list, &w, &h)) return {};
      return {w, h};
    }
    case html::ImageSource::Resource:
    case html::ImageSource::File: {
      CachedPicture* p = Picture(src);
      return p->Pic ? html::Extent{p->Width, p->Height} : html::Extent{};
    }
    default: return {};
  }
}

void THTMLText::DrawImage(HDC dc, const html::ImagePiece& image) {
  const html::Rect& b = image.Box;
  html::ImageSource s = html::ParseImageSource(image.Src);
  switch (s.Kind) {
    case html::ImageSource::ListIndex:
      if (FImages) FImages->Draw(dc, b.Left, b.Top, s.Index);  // it draws nothing outside 0..Count-1
      break;
    case html::ImageSource::SmallShell:
    case html::ImageSource::LargeShell: {
      HIMAGELIST list;
      int index;
      if (ShellIcon(s, list, index)) ImageList_Draw(list, index, dc, b.Left, b.Top, ILD_TRANSPARENT);
      break;
    }
    case html::ImageSource::Resource:
    case html::ImageSource::File: {
      CachedPicture* p = Picture(image.Src);
      if (!p->Pic) break;
      OLE_XSIZE_HIMETRIC w = 0;
      OLE_YSIZE_HIMETRIC h = 0;
      p->Pic->get_Width(&w);
      p->Pic->get_Height(&h);
      p->Pic->Render(dc, b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top, 0, h, w, -h, nullptr);
      break;
    }
    default: break;
  }
}

void THTMLText::Paint() {
  TCanvas& c = Canvas();
  RECT r{0, 0, FWidth, FHeight};
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvLowered) Frame3D(c, r, clBtnShadow, clBtnHighlight, FBevelWidth);
    if (cut == bvRaised) Frame3D(c, r, clBtnHighlight, clBtnShadow, FBevelWidth);
  };
  bevel(FBevelOuter);
  if (FBorderWidth > 0) Frame3D(c, r, Color(), Color(), FBorderWidth);
  bevel(FBevelInner);
  if (FBorderStyle == bsSingle && FBorderWidth > 0) {
    c.Pen().SetColor(clBlack);
    c.Pen().SetWidth(FBorderWidth);
    c.Pen().SetStyle(psInsideFrame);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(0, 0, FWidth, FHeight);
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psSolid);
  }

  const html::Layout& l = Layout();
  HDC dc = c.Handle();
  int saved = SaveDC(dc);
  auto fill = [dc](const html::Rect& b, TColor color) {
    BrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
    RECT rr{b.Left, b.Top, b.Right, b.Bottom};
    FillRect(dc, &rr, brush.get());
  };
  if (l.BodyColor != clNone) fill(html::Rect{0, 0, FWidth, FHeight}, l.BodyColor);
  if (!l.BodyBackground.empty()) {
    CachedPicture* p = Picture(l.BodyBackground);
    if (p->Pic && p->Width > 0 && p->Height > 0)
      for (int y = 0; y < FHeight; y += p->Height)
        for (int x = 0; x < FWidth; x += p->Width)
          DrawImage(dc, html::ImagePiece{html::Rect{x, y, x + p->Width, y + p->Height}, l.BodyBackground, false, 0});
  }
  RECT area = TextArea(false);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  for (const auto& f : l.Fills) fill(f.Box, f.Color);
  for (const auto& rule : l.Rules) fill(rule, clBlack);
  for (const auto& image : l.Images) DrawImage(dc, image);

  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  const bool enabled = Enabled();
  auto out = [dc, this](const html::TextPiece& t, const html::FontSpec& font, TColor color, int dx, int dy) {
    // A full font cache empties itself: never while one of its fonts is still selected here.
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SelectObject(dc, FontFor(font));
    SetTextColor(dc, ColorToRGB(color));
    TextOutA(dc, t.Box.Left + dx, t.Box.Top + dy, t.Text.data(), static_cast<int>(t.Text.size()));
  };
  for (const auto& t : FRuns) {
    bool hot = t.Anchor && enabled && (!FHover || t.Anchor == FHoverAnchor);
    html::FontSpec font = t.Font;
    if (t.Anchor && (!FHover || t.Anchor == FHoverAnchor)) font.Underline = true;
    if (!enabled) {
      out(t, font, clWhite, 1, 1);
      out(t, font, clGray, 0, 0);
      continue;
    }
    TColor color = t.Color;
    if (t.AnchorColor) color = hot && FHoverFontColor != clNone ? FHoverFontColor : FURLColor;
    TColor back = t.Background;
    if (t.AnchorBackground && hot && FHoverColor != clNone) back = FHoverColor;
    if (back != clNone) fill(t.Box, back);
    if (t.Blink && FBlinkPhase) color = Color();
    if (t.Shadow) out(t, font, FShadowColor, FShadowOffset, FShadowOffset);
    out(t, font, color, 0, 0);
  }
  RestoreDC(dc, saved);

  if (Focused() && FFocusAnchor > 0 && FFocusAnchor <= static_cast<int>(l.Anchors.size()))
    for (const html::Rect& b : l.Anchors[FFocusAnchor - 1].Boxes) {
      RECT fr{b.Left, b.Top, b.Right, b.Bottom};
      DrawFocusRect(dc, &fr);
    }
}

void THTMLText::SetHoverAnchor(int anchor) {
  if (anchor == FHoverAnchor) return;
  FHoverAnchor = anchor;
  if (anchor) {
    FHandCursor = true;
    ::SetCursor(CursorHandle(crHandPoint));
    std::string href = Layout().Anchors[anchor - 1].Href;
    if (OnAnchorEnter) CallGuarded(this, [&] { OnAnchorEnter(this, href); });
    if (FAnchorHint && Application) Application->ResetHint();
  } else if (FHandCursor) {
    FHandCursor = false;
    ::SetCursor(CursorHandle(Cursor() == crDefault ? crArrow : Cursor()));
    if (OnAnchorExit) CallGuarded(this, [&] { OnAnchorExit(this, std::string()); });
    if (FAnchorHint && Application) Application->ResetHint();
  }
  if (FHover) Invalidate();
}

void THTMLText::MouseMove(TShiftState shift, int x, int y) {
  SetHoverAnchor(Layout().AnchorAt(x, y));
  TCustomControl::MouseMove(shift, x, y);
}

void THTMLText::MouseEnter() {
  if (OnMouseEnter) CallGuarded(this, [&] { OnMouseEnter(this); });
}

void THTMLText::MouseLeave() {
  SetHoverAnchor(0);
  if (OnMouseLeave) CallGuarded(this, [&] { OnMouseLeave(this); });
}

void THTMLText::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);  // the control's own event first
  if (int a = Layout().AnchorAt(x, y)) Open(a, false);
}

void THTMLText::Open(int anchor, bool byKey) {
  const html::Layout& l = Layout();
  if (anchor < 1 || anchor > static_cast<int>(l.Anchors.size())) return;
  std::string href = l.Anchors[anchor - 1].Href;
  if (html::IsShellTarget(href)) {
    g_shellOpen(href);
    return;
  }
  TAnchorClick& event = byKey ? OnAnchorKeypress : OnAnchorClick;
  if (event) CallGuarded(this, [&] { event(this, href); });
}

bool THTMLText::HasHint() const { return (FAnchorHint && FHoverAnchor) || TCustomControl::HasHint(); }

bool THTMLText::HintShow(THintInfo& info) {
  if (!FAnchorHint || !FHoverAnchor || !FLayout || FHoverAnchor > static_cast<int>(FLayout->Anchors.size())) return true;
  info.HintStr = FLayout->Anchors[FHoverAnchor - 1].Href;
  POINT p;
  if (GetCursorPos(&p)) info.HintPos = POINT{p.x + 10, p.y - 10};
  return !info.HintStr.empty();
}

LRESULT THTMLText::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == FHandle) {
        POINT p;
        if (GetCursorPos(&p)) {
          ::ScreenToClient(FHandle, &p);
          if (Layout().AnchorAt(p.x, p.y)) {
            ::SetCursor(CursorHandle(crHandPoint));
            return TRUE;
          }
        }
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
      if (FFocusAnchor == 0 && !Layout().Anchors.empty()) FFocusAnchor = 1;
      Invalidate();
      break;
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case WM_KEYDOWN: {
      int count = static_cast<int>(Layout().Anchors.size());
      switch (wp) {
        case VK_LEFT:
        case VK_UP:
          if (count) FFocusAnchor = FFocusAnchor <= 1 ? count : FFocusAnchor - 1;
          Invalidate();
          return 0;
        case VK_RIGHT:
        case VK_DOWN:
          if (count) FFocusAnchor = FFocusAnchor >= count ? 1 : FFocusAnchor + 1;
          Invalidate();
          return 0;
        case VK_RETURN:
        case VK_SPACE:
          Open(FFocusAnchor, true);
          return 0;
      }
      break;
    }
  }
  return TCustomControl::WndProc(msg, wp, lp);
}
