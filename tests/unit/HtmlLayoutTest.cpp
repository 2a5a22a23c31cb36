#include <gtest/gtest.h>
#include "shell/HtmlLayout.h"

using namespace html;

namespace {

// Every character 6 pixels wide (7 in bold), lines |height| + 2 high; images 16 x 16, or
// 20 x 30 for sources containing "big".
class FakeMeasurer : public Measurer {
 public:
  Extent Text(const FontSpec& f, std::string_view t) override {
    ++Calls;
    int h = (f.Height < 0 ? -f.Height : f.Height) + 2;
    return Extent{static_cast<int>(t.size()) * (f.Bold ? 7 : 6), h};
  }
  Extent Image(const std::string& src) override {
    return src.find("big") != std::string::npos ? Extent{20, 30} : Extent{16, 16};
  }
  int Calls = 0;
};

Layout Lay(std::string_view text, int width = 393, int height = 100) {
  FakeMeasurer m;
  Params p;
  p.Area = Rect{0, 0, width, height};
  p.Font.Name = "MS Sans Serif";
  p.FontColor = clWindowText;
  return LayoutHTML(text, p, m);
}

std::string Joined(const Layout& l) {
  std::string s;
  for (const auto& t : l.Texts) s += t.Text;
  return s;
}

}  // namespace

TEST(HtmlLayout, LinkPanelLineHasABoldBlueAnchorBetweenPlainText) {
  Layout l = Lay("Have you tried the power of <a href=\"http://www.velmora.com/compare.html\"><b>Velmora Pro</b></a>?");
  ASSERT_EQ(l.Anchors.size(), 1u);
  EXPECT_EQ(l.Anchors[0].Href, "http://www.velmora.com/compare.html");
  EXPECT_EQ(Joined(l), "Have you tried the power of Velmora Pro?");
  int plain = 28 * 6, bold = 11 * 7;
  EXPECT_EQ(l.Width, plain + bold + 6);
  EXPECT_EQ(l.Height, 13);
  for (const auto& t : l.Texts) {
    bool inAnchor = t.Text == "Velmora " || t.Text == "Pro";
    EXPECT_EQ(t.Anchor, inAnchor ? 1 : 0) << t.Text;
    EXPECT_EQ(t.AnchorColor, inAnchor) << t.Text;
    EXPECT_EQ(t.Font.Bold, inAnchor) << t.Text;
    EXPECT_EQ(t.Box.Top, 0);
    if (!inAnchor) {
      EXPECT_EQ(t.Color, clWindowText) << t.Text;
    }
  }
  // Left-aligned text starts one pixel inside; the anchor is hit exactly over its pieces.
  EXPECT_EQ(l.Texts.front().Box.Left, 1);
  EXPECT_EQ(l.AnchorAt(1 + plain, 5), 1);
  EXPECT_EQ(l.AnchorAt(plain + bold, 12), 1);
  EXPECT_EQ(l.AnchorAt(plain - 1, 5), 0);        // beside the link
  EXPECT_EQ(l.AnchorAt(1 + plain + bold, 5), 0);  // on the question mark
  EXPECT_EQ(l.AnchorAt(1 + plain, 13), 0);        // below the line
}

TEST(HtmlLayout, EntitiesAndTheUnknownAmpersand) {
  EXPECT_EQ(DecodeEntities("&lt;b&gt;&amp;&quot;"), "<b>&\"");
  EXPECT_EQ(DecodeEntities("a&nbsp;&lt;"), "a&nbsp;&lt;");  // decoding ends at the unknown one
  EXPECT_EQ(DecodeEntities("&lt"), "&lt");
  EXPECT_EQ(Joined(Lay("x&lt;y&gt;z &amp; w")), "x<y>z & w");
  // "<#" is no tag: the '<' and the next '>' go.
  EXPECT_EQ(Joined(Lay("a<#b>c")), "a#bc");
}

TEST(HtmlLayout, MalformedTextNeverReadsPastItsEnd) {
  // An unclosed '<' is plain text, wherever it stands.
  EXPECT_EQ(Joined(Lay("a < b")), "a < b");
  EXPECT_EQ(Joined(Lay("<b")), "<b");
  EXPECT_EQ(Joined(Lay("x<")), "x<");
  EXPECT_EQ(Joined(Lay("<b>bold<")), "bold<");
  EXPECT_EQ(Joined(Lay("<a href=\"unclosed>t</a>")), "t");
  // Short and bad colours, oversized and malformed numbers.
  EXPECT_EQ(ParseColor("#"), clBlack);
  EXPECT_EQ(ParseColor("#F"), RGBColor(0xF0, 0, 0));
  EXPECT_EQ(ParseColor("#FF00"), RGBColor(0xFF, 0, 0));
  EXPECT_EQ(ParseColor("#zz00FF"), RGBColor(0, 0, 0xFF));
  EXPECT_EQ(ParseNumber("99999999999999999999"), 1000000);
  EXPECT_EQ(ParseNumber("-99999999999999999999"), -1000000);
  EXPECT_EQ(ParseNumber("12px"), 0);
  EXPECT_EQ(ParseNumber("-"), 0);
  EXPECT_EQ(ParseNumber("+7"), 7);
  Layout l = Lay("<font size=99999999999999>big</font><ind x=99999999999><img src=\"x\" width=-5 height=99999999>");
  EXPECT_EQ(Joined(l), "big");
  // Thousands of unclosed '<' cost one pass, not one pass each.
  FakeMeasurer m;
  Params p;
  p.Area = Rect{0, 0, 100, 1000000};
  LayoutHTML(std::string(200000, '<'), p, m);
  EXPECT_GT(m.Calls, 0);
}

TEST(HtmlLayout, ColoursByNameOrHex) {
  EXPECT_EQ(ParseColor("clred"), ParseColor("#FF0000"));
  EXPECT_EQ(ParseColor("CLRED"), clRed);
  EXPECT_EQ(ParseColor("#0000ff"), clBlue);
  EXPECT_EQ(ParseColor("clBtnFace"), clBtnFace);
  EXPECT_EQ(ParseColor("cl3ddkshadow"), cl3DDkShadow);
  EXPECT_EQ(ParseColor("clNoSuchColour"), clBlack);
  Layout l = Lay("<font color=clred bgcolor=\"#00FF00\">r</font>n<p bgcolor=clyellow>p</p>");
  ASSERT_EQ(l.Texts.size(), 3u);
  EXPECT_EQ(l.Texts[0].Color, clRed);
  EXPECT_EQ(l.Texts[0].Background, clLime);  // "bgcolor" is not taken for "color"
  EXPECT_EQ(l.Texts[1].Color, clWindowText);
  EXPECT_EQ(l.Texts[1].Background, clNone);
  ASSERT_EQ(l.Fills.size(), 1u);
  EXPECT_EQ(l.Fills[0].Color, clYellow);
  EXPECT_EQ(l.Fills[0].Box.Right, 393);
}

TEST(HtmlLayout, WrappingAndAlignment) {
  // 10 characters per 61-pixel line: "aaaa bbbb " is 60 wide but its trailing space does not count.
  Layout l = Lay("aaaa bbbb cccc", 61);
  ASSERT_EQ(l.Texts.size(), 3u);
  EXPECT_EQ(l.Texts[2].Box.Top, 13);
  EXPECT_EQ(l.Width, 54);
  EXPECT_EQ(l.Height, 26);
  // A word wider than the line gets a line of its own.
  l = Lay("a verylongwordindeed b", 61);
  ASSERT_EQ(l.Texts.size(), 3u);
  EXPECT_EQ(l.Texts[1].Box.Top, 13);
  EXPECT_EQ(l.Texts[1].Box.Left, 1);
  EXPECT_EQ(l.Texts[2].Box.Top, 26);
  // Right: the line's last glyph ends at the right edge; centre: the free space halved.
  l = Lay("<p align=right>ab </p><p align=\"center\">cd</p>", 101);
  ASSERT_EQ(l.Texts.size(), 2u);
  EXPECT_EQ(l.Texts[0].Box.Left, 101 - 12);
  EXPECT_EQ(l.Texts[1].Box.Left, 1 + (101 - 1 - 12) / 2);
  EXPECT_EQ(l.Texts[1].Box.Top, 13);
  // Lines whose top is below the area are not laid out.
  l = Lay("a<br>b<br>c<br>d", 100, 26);
  EXPECT_EQ(Joined(l), "ab");
  // A zero-wide area still ends: one piece per line.
  l = Lay("a b c", 0, 1000);
  EXPECT_EQ(l.Texts.size(), 3u);
  EXPECT_EQ(l.Height, 39);
}

TEST(HtmlLayout, LineBreakingTagsListsRulesAndIndents) {
  Layout l = Lay("x<ul><li>one<li>two<ul><li>three</ul></ul><hr>y<ind x=50>z");
  std::vector<std::string> texts;
  for (const auto& t : l.Texts) texts.push_back(t.Text);
  const std::vector<std::string> want{"x", "o ", "one", "o ", "two", "\xB7 ", "three", "y", "z"};
  // Level 1 takes the odd-level bullet, level 2 the even one; the item text follows its bullet.
  ASSERT_EQ(texts.size(), want.size());
  EXPECT_EQ(texts[1], "\xB7 ");
  EXPECT_EQ(texts[5], "o ");
  EXPECT_EQ(l.Texts[1].Font.Name, "Symbol");
  EXPECT_EQ(l.Texts[1].Box.Left, 1 + 12);
  EXPECT_EQ(l.Texts[5].Box.Left, 1 + 24);
  EXPECT_EQ(l.Texts[1].Box.Top, 0);   // the first item shares the line of "x"
  EXPECT_EQ(l.Texts[3].Box.Top, 13);  // the second item starts a new line
  EXPECT_EQ(l.Texts[5].Box.Top, 26);
  // The rule ends the line of "three" and lies along its bottom.
  ASSERT_EQ(l.Rules.size(), 1u);
  EXPECT_EQ(l.Rules[0].Top, 38);
  EXPECT_EQ(l.Texts[7].Box.Top, 39);
  EXPECT_EQ(l.Texts[8].Box.Left, 1 + 50);
}

TEST(HtmlLayout, ScriptsImagesAndAnchorsInOrder) {
  // A superscript raises its text by a quarter of its height and makes room above it.
  Layout l = Lay("a<sup>2</sup>b<sub>c</sub>");
  ASSERT_EQ(l.Texts.size(), 4u);
  EXPECT_EQ(l.Height, 13 + 3 + 3);
  EXPECT_EQ(l.Texts[0].Box.Top, 3);
  EXPECT_EQ(l.Texts[1].Box.Top, 0);
  EXPECT_EQ(l.Texts[3].Box.Top, 6);
  // Images sit at the line's top; the text goes to their bottom, or their top or middle when
  // the align value is quoted.
  l = Lay("<img src=\"big\">t<br><img src=\"big\" align=\"middle\">m<br><img src=\"big\" align=middle>u");
  ASSERT_EQ(l.Images.size(), 3u);
  EXPECT_EQ(l.Images[0].Box.Top, 0);
  EXPECT_EQ(l.Texts[0].Box.Top, 30 - 13);
  EXPECT_EQ(l.Texts[1].Box.Top, 30 + (30 - 13) / 2);
  EXPECT_EQ(l.Texts[2].Box.Top, 60 + 30 - 13);
  EXPECT_FALSE(l.Images[0].Stretch);
  l = Lay("<a href=\"mailto:x@y\"><img src=\"s\" width=40 height=10></a> <a href=bare>b</a><a>c</a>");
  ASSERT_EQ(l.Anchors.size(), 3u);
  EXPECT_TRUE(l.Images[0].Stretch);
  EXPECT_EQ(l.Images[0].Box.Right - l.Images[0].Box.Left, 40);
  EXPECT_EQ(l.AnchorAt(5, 5), 1);
  EXPECT_EQ(l.Anchors[1].Href, "bare");
  EXPECT_EQ(l.Anchors[2].Href, "");
  EXPECT_TRUE(IsShellTarget(l.Anchors[0].Href));
  EXPECT_FALSE(IsShellTarget(l.Anchors[1].Href));
  EXPECT_TRUE(IsShellTarget("http://x/compare.html"));
  // After an anchor the text colour is the control's again, even inside a coloured font.
  l = Lay("<font color=clred><a href=\"h\">a</a>b</font>");
  EXPECT_TRUE(l.Texts[0].AnchorColor);
  EXPECT_FALSE(l.Texts[1].AnchorColor);
  EXPECT_EQ(l.Texts[1].Color, clWindowText);
}

TEST(HtmlLayout, ImageSources) {
  ImageSource s = ParseImageSource("idx:3");
  EXPECT_EQ(s.Kind, ImageSource::ListIndex);
  EXPECT_EQ(s.Index, 3);
  s = ParseImageSource("IDX:-2");
  EXPECT_EQ(s.Index, -2);
  EXPECT_FALSE(ValidImageIndex(s.Index, 5));  // negative: never drawn
  EXPECT_FALSE(ValidImageIndex(5, 5));
  EXPECT_TRUE(ValidImageIndex(0, 1));
  s = ParseImageSource("ssys:4");
  EXPECT_EQ(s.Kind, ImageSource::SmallShell);
  EXPECT_FALSE(s.ByPath);
  s = ParseImageSource("lsys:C:\\Windows");
  EXPECT_EQ(s.Kind, ImageSource::LargeShell);
  EXPECT_TRUE(s.ByPath);
  EXPECT_EQ(s.Path, "C:\\Windows");
  EXPECT_EQ(ParseImageSource("RES://LOGO").Path, "LOGO");
  EXPECT_EQ(ParseImageSource("file://c:\\a.bmp").Kind, ImageSource::File);
  EXPECT_EQ(ParseImageSource("http://x/y.gif").Kind, ImageSource::None);
}

TEST(HtmlLayout, RunsJoinWordsThatDrawAlikeOnOneLineOnly) {
  // 10 characters fit a line of 61: "one two " and "three " wrap apart; the link and the red word
  // stand alone.
  Layout l = Lay("one two three <a href=x>four</a> <font color=#FF0000>five</font> six", 61);
  std::vector<TextPiece> runs = JoinRuns(l.Texts);
  std::vector<std::string> texts;
  for (const auto& r : runs) texts.push_back(r.Text);
  ASSERT_EQ(texts, (std::vector<std::string>{"one two ", "three ", "four", " ", "five", " six"}));
  // A run covers its pieces exactly.
  EXPECT_EQ(runs[0].Box.Left, l.Texts[0].Box.Left);
  EXPECT_EQ(runs[0].Box.Right, l.Texts[1].Box.Right);
  EXPECT_EQ(runs[2].Anchor, 1);
  EXPECT_EQ(runs[4].Color, clRed);
  EXPECT_TRUE(JoinRuns({}).empty());
}
