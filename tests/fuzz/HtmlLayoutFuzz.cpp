// libFuzzer target: the link text's reading and layout take any text without reading past it,
// overflowing or looping, and what they produce is consistent.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "shell/HtmlLayout.h"

namespace {
// Widths and heights that vary with the font and the text, as a real font's would.
class Measurer : public html::Measurer {
 public:
  html::Extent Text(const html::FontSpec& f, std::string_view t) override {
    int h = std::abs(f.Height) % 200 + 1;
    int per = 3 + (f.Bold ? 1 : 0) + static_cast<int>(f.Name.size() % 5);
    return html::Extent{static_cast<int>(t.size()) * per, h};
  }
  html::Extent Image(const std::string& src) override {
    return html::Extent{static_cast<int>(src.size() % 64), static_cast<int>(src.size() % 48)};
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  html::Params p;
  p.Area = html::Rect{0, 0, data[0] * 4, data[1] * 8};
  p.Font.Name = "MS Sans Serif";
  std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  Measurer m;
  html::Layout l = html::LayoutHTML(text, p, m);
  for (const auto& t : l.Texts)
    if (t.Anchor < 0 || t.Anchor > static_cast<int>(l.Anchors.size()) || t.Text.size() > text.size()) abort();
  for (const auto& i : l.Images)
    if (i.Anchor < 0 || i.Anchor > static_cast<int>(l.Anchors.size())) abort();
  if (l.Height < 0 || l.Width < 0) abort();
  l.AnchorAt(data[0], data[1]);
  html::ParseColor(text);
  html::ParseNumber(text);
  html::ParseImageSource(text);
  if (html::DecodeEntities(text).size() > text.size()) abort();
  return 0;
}
