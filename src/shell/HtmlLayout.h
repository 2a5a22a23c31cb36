// The link text's small HTML subset: reads the tags and entities and lays the text out in lines
// (word wrap, alignment, lists, images, anchors). The result is a list of positioned pieces that
// the control draws and hit-tests. Measuring goes through an interface, so this needs no Windows
// and any input can be fed to it (it must never read past the text, loop or overflow).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "framework/Colors.h"

namespace html {

struct Rect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
};

// A font as the layout asks for it.
struct FontSpec {
  std::string Name;
  int Height = -11;  // pixels, negative: character height (as in LOGFONT)
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  int Escapement = 0;  // tenths of a degree
  bool operator==(const FontSpec&) const = default;
};

struct Extent {
  int W = 0, H = 0;
};

class Measurer {
 public:
  virtual ~Measurer() = default;
  virtual Extent Text(const FontSpec& font, std::string_view text) = 0;
  // The natural size of an image source; 0 x 0 when there is none.
  virtual Extent Image(const std::string& src) = 0;
};

enum class VAlign { Top, Center, Bottom };

// A piece of text at its place. Colours that depend on the mouse (anchors) are resolved when
// drawing: FromAnchor says the colour and background are the anchor's own.
struct TextPiece {
  Rect Box;
  std::string Text;  // entities decoded
  FontSpec Font;     // Underline here is the <U> tag's; anchors add theirs when drawn
  TColor Color = clWindowText;
  TColor Background = clNone;
  int Anchor = 0;  // 1-based, 0: none
  bool AnchorColor = false, AnchorBackground = false;
  bool Shadow = false, Blink = false;
};

struct ImagePiece {
  Rect Box;
  std::string Src;
  bool Stretch = false;  // width and height were given
  int Anchor = 0;
};

struct Fill {
  Rect Box;
  TColor Color;
};

struct AnchorInfo {
  std::string Href;
  std::vector<Rect> Boxes;
};

struct Params {
  Rect Area;              // where the text goes
  FontSpec Font;          // the control's font
  TColor FontColor = clWindowText;
  TColor URLColor = clBlue;
};

struct Layout {
  std::vector<Fill> Fills;  // paragraph backgrounds, drawn first
  std::vector<TextPiece> Texts;
  std::vector<ImagePiece> Images;
  std::vector<Rect> Rules;  // horizontal rules, one pixel high
  std::vector<AnchorInfo> Anchors;
  TColor BodyColor = clNone;
  std::string BodyBackground;  // a picture source to tile over the control
  int Width = 0;               // the widest line (without its trailing space)
  int Height = 0;              // from the area's top to the last line's bottom
  bool HasBlink = false;

  // The anchor (1-based) whose text or image contains the point, or 0.
  int AnchorAt(int x, int y) const;
  void Offset(int dy);  // moves everything down (vertical alignment)
};

// The text of the lines, as the control joins them.
Layout LayoutHTML(std::string_view text, const Params& params, Measurer& measurer);

// The pieces, with those that look alike and follow one another on a line joined into one. Drawn
// in one call, a run's glyphs sit where the system places them; a system whose word-by-word
// measurements do not add up to the pixel (Wine's) would otherwise space the words unevenly.
std::vector<TextPiece> JoinRuns(const std::vector<TextPiece>& texts);

// ---- Pieces of the reading, exposed for tests

// A colour attribute: a name from the table (any case), or '#' and six hex digits RRGGBB.
// Unknown names give black; missing or bad hex digits count as 0.
TColor ParseColor(std::string_view value);
// A whole decimal number with an optional sign; anything else gives 0. Limited to +-1000000.
int ParseNumber(std::string_view value);
// Decodes &lt; &gt; &amp; &quot; up to the first other '&', which ends the decoding.
std::string DecodeEntities(std::string_view piece);
// What an image's src names: an entry of the control's image list ("idx:3"), an icon of the
// shell's small or large image list by index ("ssys:4") or by path ("lsys:C:\\x.txt"), or a picture
// ("RES://name", "FILE://path"; other addresses are not fetched).
struct ImageSource {
  enum Kind { None, ListIndex, SmallShell, LargeShell, Resource, File } Kind = None;
  int Index = 0;     // ListIndex, and shell icons given by number
  bool ByPath = false;
  std::string Path;  // shell icons given by path, Resource, File
};
ImageSource ParseImageSource(std::string_view src);
// An image list index that can be drawn: 0 <= index < count.
inline bool ValidImageIndex(int index, int count) { return index >= 0 && index < count; }

// A target that the shell opens (contains "://" or "mailto:"); others go to OnAnchorClick.
bool IsShellTarget(std::string_view href);

}  // namespace html
