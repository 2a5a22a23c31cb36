// The link text control: its drawing, links, cursor, keyboard and images under the real GDI.
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "framework/Bitmaps.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Strings.h"
#include "shell/HtmlText.h"
#include "TestSupport.h"

namespace {

std::vector<std::string> g_opened;
void Record(const std::string& target) { g_opened.push_back(target); }

const char* kLink =
    "Have you tried the power of <a href=\"http://www.velmora.com/compare.html\"><b>Velmora Pro</b></a>?";

class THtmlTestForm : public TForm {
  VELMORA_CLASS(THtmlTestForm, TForm)
 public:
  explicit THtmlTestForm(TComponent* owner) : TForm(owner) {
    ClientWidthSet();
    Text = new THTMLText(this);
    Text->SetParent(this);
    Text->SetBounds(10, 10, 393, 16);
    Text->HTMLText().Add(kLink);
    Text->OnClick = [this](TObject*) { ++Clicks; };
    Text->OnAnchorClick = [this](TObject*, const std::string& a) { Events.push_back("click " + a); };
    Text->OnAnchorKeypress = [this](TObject*, const std::string& a) { Events.push_back("key " + a); };
    Text->OnAnchorEnter = [this](TObject*, const std::string& a) { Events.push_back("enter " + a); };
    Text->OnAnchorExit = [this](TObject*, const std::string& a) { Events.push_back("exit " + a); };
  }
  void ClientWidthSet() {
    SetBounds(0, 0, 440, 140);
    SetColor(clYellow);
  }
  THTMLText* Text = nullptr;
  int Clicks = 0;
  std::vector<std::string> Events;
};
VELMORA_CLASS_INFO(THtmlTestForm) {}

class HtmlText : public ::testing::Test {
 protected:
  void SetUp() override {
    g_opened.clear();
    previous = SetHtmlShellOpen(Record);
    app = new TApplication(nullptr);
    app->Initialize();
    form = new THtmlTestForm(app);
    form->Show();
    text = form->Text;
  }
  void TearDown() override {
    delete app;
    SetHtmlShellOpen(previous);
  }
  void Press(UINT down, UINT up, int x, int y) {
    SendMessageA(text->Handle(), down, 0, MAKELPARAM(x, y));
    SendMessageA(text->Handle(), up, 0, MAKELPARAM(x, y));
  }
  // The middle of the anchor's first piece, and a point on the plain text before it.
  POINT OnLink() {
    const html::Rect& b = text->Layout().Anchors.at(0).Boxes.at(0);
    return POINT{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
  }
  static int Count(TBitmap& bmp, RECT r, COLORREF c) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += bmp.PixelRGB(x, y) == c;
    return n;
  }
  THtmlShellOpen previous = nullptr;
  TApplication* app = nullptr;
  THtmlTestForm* form = nullptr;
  THTMLText* text = nullptr;
};

}  // namespace

TEST_F(HtmlText, LinkIsBlueBoldAndUnderlinedAfterPlainBlackText) {
  const html::Layout& l = text->Layout();
  ASSERT_EQ(l.Anchors.size(), 1u);
  const auto& boxes = l.Anchors[0].Boxes;
  RECT link{boxes.front().Left, boxes.front().Top, boxes.back().Right, boxes.back().Bottom};
  // Its width is that of "Velmora Pro" in the bold font.
  TFont bold;
  bold.Assign(text->Font());
  bold.SetStyle(FontStyleBit(fsBold));
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bold.Handle());
  SIZE s;
  GetTextExtentPoint32A(dc, "Velmora Pro", 11, &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(link.right - link.left, s.cx);

  TBitmap bmp;
  text->PaintTo(bmp);
  const COLORREF blue = RGB(0, 0, 255), black = RGB(0, 0, 0);
  EXPECT_GT(Count(bmp, link, blue), 40);
  EXPECT_EQ(Count(bmp, link, black), 0);
  EXPECT_GT(Count(bmp, RECT{0, 0, link.left, 16}, black), 100);
  EXPECT_EQ(Count(bmp, RECT{0, 0, link.left, 16}, blue), 0);
  // One row of the link is blue almost all the way: the underline.
  int longest = 0;
  for (int y = link.top; y < link.bottom; ++y) longest = std::max(longest, Count(bmp, RECT{link.left, y, link.right, y + 1}, blue));
  EXPECT_GE(longest, link.right - link.left - 2);
  EXPECT_EQ(bmp.PixelRGB(390, 2), RGB(255, 255, 0));  // the parent's yellow behind

  // Disabled: grey text over a white shadow, no link colour.
  text->SetEnabled(false);
  text->PaintTo(bmp);
  EXPECT_EQ(Count(bmp, RECT{0, 0, 393, 16}, blue), 0);
  EXPECT_GT(Count(bmp, RECT{0, 0, 393, 16}, RGB(128, 128, 128)), 100);
  EXPECT_GT(Count(bmp, RECT{0, 0, 393, 16}, RGB(255, 255, 255)), 50);
}

TEST_F(HtmlText, PressOnTheLinkOpensItOnceAndTheClickFollows) {
  POINT p = OnLink();
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP, p.x, p.y);
  EXPECT_EQ(g_opened, (std::vector<std::string>{"http://www.velmora.com/compare.html"}));
  EXPECT_EQ(form->Clicks, 1);
  // The right button opens it as well (and clicks nothing).
  Press(WM_RBUTTONDOWN, WM_RBUTTONUP, p.x, p.y);
  EXPECT_EQ(g_opened.size(), 2u);
  EXPECT_EQ(form->Clicks, 1);
  // Beside the link: a click, nothing opened.
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP, 5, 8);
  EXPECT_EQ(g_opened.size(), 2u);
  EXPECT_EQ(form->Clicks, 2);
  // A target that is no address goes to the event instead.
  text->HTMLText().Clear();
  text->HTMLText().Add("<a href=\"first\">one</a> <a href=\"mailto:x@y.z\">two</a> <a href=\"third\">three</a>");
  p = OnLink();
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP, p.x, p.y);
  EXPECT_EQ(form->Events.back(), "click first");
  EXPECT_EQ(g_opened.size(), 2u);
}

TEST_F(HtmlText, PointerOverTheLinkShowsTheHandAndRaisesEnterAndExit) {
  POINT p = OnLink();
  MovePointer(text->ClientToScreen(p));
  SendMessageA(text->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  SendMessageA(text->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(text->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), CursorHandle(crHandPoint));
  EXPECT_EQ(text->HoverAnchor(), 1);
  SendMessageA(text->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x + 1, p.y));  // same link: nothing new
  SendMessageA(text->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 8));
  EXPECT_EQ(text->HoverAnchor(), 0);
  EXPECT_EQ(form->Events, (std::vector<std::string>{"enter http://www.velmora.com/compare.html", "exit "}));
}

TEST_F(HtmlText, KeyboardWalksTheLinksRoundAndOpensTheFocusedOne) {
  text->HTMLText().Clear();
  text->HTMLText().Add("<a href=\"a\">A</a> <a href=\"b\">B</a> <a href=\"c\">C</a>");
  text->SetTabStop(true);
  text->SetFocus();
  EXPECT_EQ(text->FocusAnchor(), 1);  // focus puts it on the first link
  auto key = [&](WPARAM k) { SendMessageA(text->Handle(), WM_KEYDOWN, k, 0); };
  key(VK_LEFT);
  EXPECT_EQ(text->FocusAnchor(), 3);  // from the first to the last
  key(VK_DOWN);
  EXPECT_EQ(text->FocusAnchor(), 1);  // from the last to the first
  key(VK_RIGHT);
  key(VK_RETURN);
  EXPECT_EQ(form->Events.back(), "key b");
  EXPECT_EQ(SendMessageA(text->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
}

TEST_F(HtmlText, AutoSizingFitsTheWidthAndNeverShrinksTheHeight) {
  text->SetBounds(10, 10, 50, 40);
  text->SetAutoSizing(true);
  EXPECT_EQ(text->Width(), text->Layout().Width + 6);
  EXPECT_GT(text->Width(), 200);
  EXPECT_EQ(text->Height(), 40);
  // Centred vertically, the single line moves down by half the control's free height (not by
  // half of the room added for sizing, which would hide it).
  text->SetVAlignment(tvaCenter);
  const html::Layout& l = text->Layout();
  EXPECT_EQ(l.Texts.front().Box.Top, (40 - l.Height) / 2);
}

TEST_F(HtmlText, ImageIndexesOutsideTheListDrawNothing) {
  auto* images = new TImageList(form);
  TBitmap red;
  red.SetSize(16, 16);
  red.Canvas().Brush().SetColor(clRed);
  red.Canvas().FillRect(RECT{0, 0, 16, 16});
  red.Canvas().Brush().SetColor(clLime);  // the clear colour
  red.Canvas().FillRect(RECT{0, 15, 1, 16});
  ASSERT_EQ(images->AddMasked(red), 0);
  text->SetImages(images);
  text->SetBounds(10, 10, 200, 20);
  TBitmap bmp;
  for (const char* src : {"idx:-1", "idx:1", "idx:-2147483648", "idx:99999999999"}) {
    text->HTMLText().Clear();
    text->HTMLText().Add(std::string("<img src=\"") + src + "\">x");
    text->PaintTo(bmp);
    EXPECT_EQ(Count(bmp, RECT{0, 0, 200, 20}, RGB(255, 0, 0)), 0) << src;
    EXPECT_TRUE(text->Layout().Images.empty()) << src;
  }
  text->HTMLText().Clear();
  text->HTMLText().Add("<img src=\"idx:0\">x");
  text->PaintTo(bmp);
  EXPECT_GT(Count(bmp, RECT{0, 0, 200, 20}, RGB(255, 0, 0)), 200);
  // The list going away leaves no reference behind.
  delete images;
  EXPECT_EQ(text->Images(), nullptr);
  text->PaintTo(bmp);
}
