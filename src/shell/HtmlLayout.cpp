#include "shell/HtmlLayout.h"
#include <algorithm>
#include <cctype>
#include <optional>

namespace html {

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Upper(s[i]) != Upper(prefix[i])) return false;
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct NamedColor {
  const char* Name;
  TColor Color;
};
const NamedColor kColors[] = {
    {"clblack", clBlack},
    {"clmaroon", clMaroon},
    {"clgreen", clGreen},
    {"clolive", clOlive},
    {"clnavy", clNavy},
    {"clpurple", clPurple},
    {"clteal", clTeal},
    {"clgray", clGray},
    {"clsilver", clSilver},
    {"clred", clRed},
    {"cllime", clLime},
    {"clyellow", clYellow},
    {"clblue", clBlue},
    {"clfuchsia", clFuchsia},
    {"claqua", clAqua},
    {"clwhite", clWhite},
    {"clbackground", clBackground},
    {"clactivecaption", clActiveCaption},
    {"clinactivecaption", clInactiveCaption},
    {"clmenu", clMenu},
    {"clwindow", clWindow},
    {"clwindowframe", clWindowFrame},
    {"clmenutext", clMenuText},
    {"clwindowtext", clWindowText},
    {"clcaptiontext", clCaptionText},
    {"clactiveborder", clActiveBorder},
    {"clinactiveborder", clInactiveBorder},
    {"clappworkspace", clAppWorkSpace},
    {"clhighlight", clHighlight},
    {"clhighlighttext", clHighlightText},
    {"clbtnface", clBtnFace},
    {"clbtnshadow", clBtnShadow},
    {"clgraytext", clGrayText},
    {"clbtntext", clBtnText},
    {"clinactivecaptiontext", clInactiveCaptionText},
    {"clbtnhighlight", clBtnHighlight},
    {"cl3ddkshadow", cl3DDkShadow},
    {"cl3dlight", cl3DLight},
    {"clinfotext", clInfoText},
    {"clinfobk", clInfoBk},
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Upper(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

// One attribute of a tag's text (after the tag name); std::nullopt when absent.
struct AttrValue {
  std::string Text;
  bool Quoted = false;
};
std::optional<AttrValue> FindAttr(std::string_view tag, std::string_view name) {
  size_t i = 0, n = tag.size();
  while (i < n && !IsSpace(tag[i])) ++i;  // the tag's own name
  while (i < n) {
    while (i < n && IsSpace(tag[i])) ++i;
    size_t start = i;
    while (i < n && !IsSpace(tag[i]) && tag[i] != '=') ++i;
    std::string_view attr = tag.substr(start, i - start);
    size_t j = i;
    while (j < n && IsSpace(tag[j])) ++j;
    AttrValue v;
    bool hasValue = j < n && tag[j] == '=';
    if (hasValue) {
      ++j;
      while (j < n && IsSpace(tag[j])) ++j;
      if (j < n && tag[j] == '"') {
        size_t close = tag.find('"', j + 1);
        if (close == std::string_view::npos) close = n;
        v.Text = std::string(tag.substr(j + 1, close - j - 1));
        v.Quoted = true;
        i = close < n ? close + 1 : n;
      } else {
        size_t end = j;
        while (end < n && !IsSpace(tag[end])) ++end;
        v.Text = std::string(tag.substr(j, end - j));
        i = end;
      }
    } else if (i == start) {
      ++i;  // a stray character: step over it
    }
    if (!attr.empty() && EqualsNoCase(attr, name)) return v;
  }
  return std::nullopt;
}

// "<#" is no tag: the '<' and the next '>' after it go, the rest is text.
std::string DropHashMarks(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t pending = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '<' && i + 1 < s.size() && s[i + 1] == '#') {
      ++pending;
      continue;
    }
    if (s[i] == '>' && pending > 0) {
      --pending;
      continue;
    }
    out += s[i];
  }
  return out;
}

constexpr int kListIndent = 12;
constexpr int kMaxFontPoints = 500;
constexpr int kMaxImageSide = 10000;

enum class TextMode { Bottom, Top, Middle };

struct State {
  FontSpec Font;
  TColor Color = clWindowText;
  TColor Background = clNone;
  TColor BackgroundBeforeAnchor = clNone;
  int Anchor = 0;
  bool AnchorColor = false, AnchorBackground = false;
  int Script = 0;  // 1 superscript, -1 subscript
  bool Shadow = false, Blink = false;
  int ListLevel = 0;
  enum { Left, Right, Center } Align = Left;
  TColor ParagraphColor = clNone;
};

struct PendingText {
  TextPiece Piece;
  int X, W, H, Script;
};
struct PendingImage {
  ImagePiece Piece;
  int X, W, H;
};

class LineBuilder {
 public:
  LineBuilder(std::string_view text, const Params& p, Measurer& m) : FText(DropHashMarks(text)), FP(p), FM(m) {
    FSt.Font = p.Font;
    FSt.Color = p.FontColor;
  }

  Layout Run() {
    int y = FP.Area.Top;
    while (FPos < FText.size() && y < FP.Area.Bottom) y += BuildLine(y);
    FOut.Height = y - FP.Area.Top;
    return std::move(FOut);
  }

 private:
  // The position of the '>' closing a '<' at pos, or npos. Positions only grow, so the search
  // is remembered: text full of unclosed '<' costs one pass, not one pass per '<'.
  size_t ClosingAfter(size_t pos) {
    if (FNextGt != std::string::npos && FNextGt > pos) return FNextGt;
    if (FNoMoreGt) return std::string::npos;
    FNextGt = FText.find('>', pos + 1);
    if (FNextGt == std::string::npos) FNoMoreGt = true;
    return FNextGt;
  }

  int Avail() const { return FP.Area.Right - (FP.Area.Left + 1); }

  // Lays out one line starting at y; returns its height.
  int BuildLine(int y) {
    FTexts.clear();
    FImages.clear();
    int ghHeight = FM.Text(FSt.Font, "gh").H;
    int x = 0, trailing = 0, baseH = std::max(ghHeight, 0), supExtra = 0, subExtra = 0, alignImageH = 0;
    bool hasContent = false, hasItem = false, rule = false;
    TextMode mode = TextMode::Bottom;
    TColor lineFill = FSt.ParagraphColor;

    while (FPos < FText.size()) {
      size_t gt = FText[FPos] == '<' ? ClosingAfter(FPos) : std::string::npos;
      if (gt != std::string::npos) {
        std::string_view tag = std::string_view(FText).substr(FPos + 1, gt - FPos - 1);
        bool end = !tag.empty() && tag[0] == '/';
        std::string_view body = end ? tag.substr(1) : tag;
        char letter = body.empty() ? 0 : Upper(body[0]);
        size_t nameEnd = 0;
        while (nameEnd < body.size() && !IsSpace(body[nameEnd])) ++nameEnd;
        std::string_view name = body.substr(0, nameEnd);
        if (!name.empty() && name.back() == '/') name.remove_suffix(1);  // <br/>
        if (!end && letter == 'L' && hasItem) break;  // a second item starts a new line
        Extent image;
        if (!end && letter == 'I' && StartsWithNoCase(name, "IMG")) {
          image = ImageExtent(body);
          if (hasContent && x + image.W > Avail()) break;
        }
        FPos = gt + 1;
        if (end) {
          if (EndTag(letter, name)) break;
          continue;
        }
        switch (letter) {
          case 'B':
            if (EqualsNoCase(name, "B")) {
              FSt.Font.Bold = true;
            } else if (EqualsNoCase(name, "BR")) {
              return Finish(y, x, trailing, baseH, supExtra, subExtra, mode, alignImageH, lineFill, false);
            } else if (StartsWithNoCase(name, "BODY")) {
              if (auto v = FindAttr(body, "bgcolor")) FOut.BodyColor = ParseColor(v->Text);
              if (auto v = FindAttr(body, "background"); v && v->Text.find("://") != std::string::npos)
                FOut.BodyBackground = v->Text;
            } else if (StartsWithNoCase(name, "BLINK")) {
              FSt.Blink = true;
              FOut.HasBlink = true;
            }
            break;
          case 'I':
            if (EqualsNoCase(name, "I")) {
              FSt.Font.Italic = true;
            } else if (StartsWithNoCase(name, "IND")) {
              if (auto v = FindAttr(body, "x")) {
                int to = ParseNumber(v->Text);
                if (to > x) {
                  x = to;
                  trailing = 0;
                }
              }
            } else if (StartsWithNoCase(name, "IMG")) {
              auto src = FindAttr(body, "src");
              if (!src || (image.W <= 0 && image.H <= 0)) break;
              PendingImage pi;
              pi.Piece.Src = src->Text;
              pi.Piece.Stretch = Stretched(body);
              pi.Piece.Anchor = FSt.Anchor;
              pi.X = x;
              pi.W = image.W;
              pi.H = image.H;
              FImages.push_back(std::move(pi));
              x += image.W;
              trailing = 0;
              hasContent = true;
              baseH = std::max(baseH, image.H);
              if (auto a = FindAttr(body, "align"); a && a->Quoted) {
                if (EqualsNoCase(a->Text, "top")) {
                  mode = TextMode::Top;
                  alignImageH = image.H;
                } else if (EqualsNoCase(a->Text, "middle")) {
                  mode = TextMode::Middle;
                  alignImageH = image.H;
                }
              }
            }
            break;
          case 'U':
            if (EqualsNoCase(name, "UL"))
              ++FSt.ListLevel;
            else
              FSt.Font.Underline = true;
            break;
          case 'S':
            if (EqualsNoCase(name, "S"))
              FSt.Font.StrikeOut = true;
            else if (EqualsNoCase(name, "SUB"))
              FSt.Script = -1;
            else if (EqualsNoCase(name, "SUP"))
              FSt.Script = 1;
            else if (StartsWithNoCase(name, "SHAD"))
              FSt.Shadow = true;
            break;
          case 'A': {
            if (FSt.Anchor) EndAnchor();
            auto href = FindAttr(body, "href");
            FOut.Anchors.push_back(AnchorInfo{href ? href->Text : std::string(), {}});
            FSt.Anchor = static_cast<int>(FOut.Anchors.size());
            FSt.AnchorColor = true;
            FSt.AnchorBackground = true;
            FSt.BackgroundBeforeAnchor = FSt.Background;
            break;
          }
          case 'F':
            if (auto v = FindAttr(body, "face"); v && !v->Text.empty()) FSt.Font.Name = v->Text;
            if (auto v = FindAttr(body, "color")) {
              FSt.Color = ParseColor(v->Text);
              FSt.AnchorColor = false;
            }
            if (auto v = FindAttr(body, "bgcolor")) {
              FSt.Background = ParseColor(v->Text);
              FSt.AnchorBackground = false;
            }
            if (auto v = FindAttr(body, "size")) {
              int pt = std::min(ParseNumber(v->Text), kMaxFontPoints);
              if (pt > 0) FSt.Font.Height = -((pt * 96 + 36) / 72);
            }
            break;
          case 'P':
            if (auto v = FindAttr(body, "align")) {
              if (EqualsNoCase(v->Text, "left"))
                FSt.Align = State::Left;
              else if (EqualsNoCase(v->Text, "right"))
                FSt.Align = State::Right;
              else if (EqualsNoCase(v->Text, "center"))
                FSt.Align = State::Center;
            }
            if (auto v = FindAttr(body, "bgcolor")) lineFill = FSt.ParagraphColor = ParseColor(v->Text);
            break;
          case 'H':
            rule = true;
            return Finish(y, x, trailing, baseH, supExtra, subExtra, mode, alignImageH, lineFill, rule);
          case 'L': {
            hasItem = true;
            x = std::max(x, kListIndent * FSt.ListLevel);
            PendingText b;
            b.Piece.Font = FSt.Font;
            b.Piece.Font.Name = "Symbol";
            b.Piece.Font.Underline = b.Piece.Font.StrikeOut = false;
            b.Piece.Text = FSt.ListLevel % 2 ? "\xB7 " : "o ";
            b.Piece.Color = FSt.Color;
            Extent e = FM.Text(b.Piece.Font, b.Piece.Text);
            b.X = x;
            b.W = e.W;
            b.H = e.H;
            b.Script = 0;
            FTexts.push_back(std::move(b));
            x += e.W;
            trailing = 0;
            baseH = std::max(baseH, e.H);
            break;
          }
          case 'R':
            if (auto v = FindAttr(body, "a")) FSt.Font.Escapement = (ParseNumber(v->Text) % 360) * 10;
            break;
        }
        continue;
      }

      // A piece of text: up to and including the next space, or up to the next '<'.
      size_t j = FPos + 1;  // a '<' here opens no tag: it is text
      while (j < FText.size() && FText[j] != ' ' && FText[j] != '<') ++j;
      if (FText[j - 1] != ' ' && j < FText.size() && FText[j] == ' ') ++j;
      std::string_view raw = std::string_view(FText).substr(FPos, j - FPos);
      std::string piece = DecodeEntities(raw);
      Extent e = FM.Text(FSt.Font, piece);
      int bare = e.W;
      if (!piece.empty() && piece.back() == ' ') {
        size_t k = piece.find_last_not_of(' ');
        bare = k == std::string::npos ? 0 : FM.Text(FSt.Font, std::string_view(piece).substr(0, k + 1)).W;
      }
      if (hasContent && x + bare > Avail()) break;  // the next line takes it
      FPos = j;
      PendingText t;
      t.Piece.Text = std::move(piece);
      t.Piece.Font = FSt.Font;
      t.Piece.Color = FSt.Color;
      t.Piece.Background = FSt.Background;
      t.Piece.Anchor = FSt.Anchor;
      t.Piece.AnchorColor = FSt.Anchor && FSt.AnchorColor;
      t.Piece.AnchorBackground = FSt.Anchor && FSt.AnchorBackground;
      t.Piece.Shadow = FSt.Shadow;
      t.Piece.Blink = FSt.Blink;
      t.X = x;
      t.W = e.W;
      t.H = e.H;
      t.Script = FSt.Script;
      if (t.Script > 0) supExtra = std::max(supExtra, e.H / 4);
      if (t.Script < 0) subExtra = std::max(subExtra, e.H / 4);
      FTexts.push_back(std::move(t));
      x += e.W;
      trailing = e.W - bare;
      hasContent = true;
      baseH = std::max(baseH, e.H);
    }
    return Finish(y, x, trailing, baseH, supExtra, subExtra, mode, alignImageH, lineFill, rule);
  }

  // An end tag; true when it ends the line.
  bool EndTag(char letter, std::string_view name) {
    switch (letter) {
      case 'A':
        if (FSt.Anchor) EndAnchor();
        break;
      case 'B':
        if (StartsWithNoCase(name, "BL"))
          FSt.Blink = false;
        else
          FSt.Font.Bold = false;
        break;
      case 'I': FSt.Font.Italic = false; break;
      case 'U':
        if (EqualsNoCase(name, "UL"))
          FSt.ListLevel = std::max(0, FSt.ListLevel - 1);
        else
          FSt.Font.Underline = false;
        break;
      case 'S':
        if (StartsWithNoCase(name, "SU"))
          FSt.Script = 0;
        else if (StartsWithNoCase(name, "SH"))
          FSt.Shadow = false;
        else
          FSt.Font.StrikeOut = false;
        break;
      case 'F':
        FSt.Font.Name = FP.Font.Name;
        FSt.Font.Height = FP.Font.Height;
        FSt.Color = FP.FontColor;
        FSt.Background = clNone;
        FSt.AnchorColor = FSt.AnchorBackground = false;
        break;
      case 'P':
        FSt.ParagraphColor = clNone;
        return true;
      case 'R': FSt.Font.Escapement = 0; break;
    }
    return false;
  }

  void EndAnchor() {
    FSt.Anchor = 0;
    FSt.AnchorColor = FSt.AnchorBackground = false;
    FSt.Background = FSt.BackgroundBeforeAnchor;
    FSt.Color = FP.FontColor;
  }

  Extent ImageExtent(std::string_view body) {
    auto src = FindAttr(body, "src");
    if (!src) return {};
    if (Stretched(body))
      return Extent{std::min(ParseNumber(FindAttr(body, "width")->Text), kMaxImageSide),
                    std::min(ParseNumber(FindAttr(body, "height")->Text), kMaxImageSide)};
    Extent e = FM.Image(src->Text);
    return Extent{std::clamp(e.W, 0, kMaxImageSide), std::clamp(e.H, 0, kMaxImageSide)};
  }

  static bool Stretched(std::string_view body) {
    auto w = FindAttr(body, "width"), h = FindAttr(body, "height");
    return w && h && ParseNumber(w->Text) > 0 && ParseNumber(h->Text) > 0;
  }

  int Finish(int y, int x, int trailing, int baseH, int supExtra, int subExtra, TextMode mode, int alignImageH,
             TColor fill, bool rule) {
    const Rect& a = FP.Area;
    int width = x - trailing;
    int lineH = baseH + supExtra + subExtra;
    int left = a.Left + 1;
    if (FSt.Align == State::Right)
      left = a.Right - width;
    else if (FSt.Align == State::Center)
      left = a.Left + 1 + (a.Right - (a.Left + 1) - width) / 2;
    if (fill != clNone) FOut.Fills.push_back(Fill{Rect{a.Left, y, a.Right, y + lineH}, fill});
    int top = y + supExtra;
    for (auto& t : FTexts) {
      int ty;
      switch (mode) {
        case TextMode::Top: ty = top; break;
        case TextMode::Middle: ty = top + (alignImageH - t.H) / 2; break;
        default: ty = top + baseH - t.H; break;
      }
      ty -= t.Script * (t.H / 4);
      t.Piece.Box = Rect{left + t.X, ty, left + t.X + t.W, ty + t.H};
      if (t.Piece.Anchor) FOut.Anchors[t.Piece.Anchor - 1].Boxes.push_back(t.Piece.Box);
      FOut.Texts.push_back(std::move(t.Piece));
    }
    for (auto& i : FImages) {
      i.Piece.Box = Rect{left + i.X, top, left + i.X + i.W, top + i.H};
      if (i.Piece.Anchor) FOut.Anchors[i.Piece.Anchor - 1].Boxes.push_back(i.Piece.Box);
      FOut.Images.push_back(std::move(i.Piece));
    }
    if (rule) FOut.Rules.push_back(Rect{a.Left, y + lineH - 1, a.Right, y + lineH});
    FOut.Width = std::max(FOut.Width, width);
    return lineH;
  }

  std::string FText;
  const Params& FP;
  Measurer& FM;
  State FSt;
  Layout FOut;
  size_t FPos = 0;
  size_t FNextGt = std::string::npos;
  bool FNoMoreGt = false;
  std::vector<PendingText> FTexts;
  std::vector<PendingImage> FImages;
};

}  // namespace

TColor ParseColor(std::string_view v) {
  if (!v.empty() && v[0] == '#') {
    int d[6] = {};
    for (size_t i = 0; i < 6 && i + 1 < v.size(); ++i) d[i] = HexDigit(v[i + 1]);
    return RGBColor(d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]);
  }
  for (const auto& c : kColors)
    if (EqualsNoCase(v, c.Name)) return c.Color;
  return clBlack;
}

int ParseNumber(std::string_view v) {
  constexpr int kLimit = 1000000;
  size_t i = 0;
  bool negative = false;
  if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
  if (i == v.size()) return 0;
  int n = 0;
  for (; i < v.size(); ++i) {
    if (v[i] < '0' || v[i] > '9') return 0;
    n = std::min(n * 10 + (v[i] - '0'), kLimit);
  }
  return negative ? -n : n;
}

std::string DecodeEntities(std::string_view s) {
  static const struct {
    std::string_view Name;
    char Char;
  } kEntities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '&') {
      out += s[i++];
      continue;
    }
    bool found = false;
    for (const auto& e : kEntities)
      if (s.substr(i, e.Name.size()) == e.Name) {
        out += e.Char;
        i += e.Name.size();
        found = true;
        break;
      }
    if (!found) {
      out.append(s.substr(i));  // an unknown '&' ends the decoding
      break;
    }
  }
  return out;
}

ImageSource ParseImageSource(std::string_view src) {
  ImageSource s;
  if (StartsWithNoCase(src, "idx:")) {
    s.Kind = ImageSource::ListIndex;
    s.Index = ParseNumber(src.substr(4));
  } else if (StartsWithNoCase(src, "ssys:") || StartsWithNoCase(src, "lsys:")) {
    s.Kind = Upper(src[0]) == 'S' ? ImageSource::SmallShell : ImageSource::LargeShell;
    std::string_view rest = src.substr(5);
    bool digits = !rest.empty() && std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits) {
      s.Index = ParseNumber(rest);
    } else {
      s.ByPath = true;
      s.Path = std::string(rest);
    }
  } else if (StartsWithNoCase(src, "RES://")) {
    s.Kind = ImageSource::Resource;
    s.Path = std::string(src.substr(6));
  } else if (StartsWithNoCase(src, "FILE://")) {
    s.Kind = ImageSource::File;
    s.Path = std::string(src.substr(7));
  }
  return s;
}

bool IsShellTarget(std::string_view href) {
  return href.find("://") != std::string_view::npos || href.find("mailto:") != std::string_view::npos;
}

int Layout::AnchorAt(int x, int y) const {
  for (size_t i = 0; i < Anchors.size(); ++i)
    for (const Rect& r : Anchors[i].Boxes)
      if (r.Contains(x, y)) return static_cast<int>(i) + 1;
  return 0;
}

void Layout::Offset(int dy) {
  auto move = [dy](Rect& r) {
    r.Top += dy;
    r.Bottom += dy;
  };
  for (auto& f : Fills) move(f.Box);
  for (auto& t : Texts) move(t.Box);
  for (auto& i : Images) move(i.Box);
  for (auto& r : Rules) move(r);
  for (auto& a : Anchors)
    for (auto& r : a.Boxes) move(r);
}

Layout LayoutHTML(std::string_view text, const Params& params, Measurer& measurer) {
  return LineBuilder(text, params, measurer).Run();
}

std::vector<TextPiece> JoinRuns(const std::vector<TextPiece>& texts) {
  auto alike = [](const TextPiece& a, const TextPiece& b) {
    return a.Box.Right == b.Box.Left && a.Box.Top == b.Box.Top && a.Box.Bottom == b.Box.Bottom &&
           a.Font == b.Font && a.Color == b.Color && a.Background == b.Background && a.Anchor == b.Anchor &&
           a.AnchorColor == b.AnchorColor && a.AnchorBackground == b.AnchorBackground && a.Shadow == b.Shadow &&
           a.Blink == b.Blink;
  };
  std::vector<TextPiece> runs;
  for (const TextPiece& t : texts) {
    if (!runs.empty() && alike(runs.back(), t)) {
      runs.back().Text += t.Text;
      runs.back().Box.Right = t.Box.Right;
    } else {
      runs.push_back(t);
    }
  }
  return runs;
}

}  // namespace html
