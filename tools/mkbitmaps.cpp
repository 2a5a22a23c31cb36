// Draws the instruments' bitmaps (16-colour .bmp) and their hand cursor (.cur) into a folder:
//   mkbitmaps <folder>          writes them
//   mkbitmaps --check <folder>  compares them with what is there; exit status 1 on a difference
// Built with the tests (build/tests/unit/mkbitmaps); after a change run it on resources/instruments.
// The pictures are kept in resources/instruments and compiled into the program.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>
#include "framework/HandShape.h"

namespace {

// The 16 colours every Windows shows, in the usual order.
enum Index : uint8_t {
  Black, Maroon, Green, Olive, Navy, Purple, Teal, Silver, Gray, Red, Lime, Yellow, Blue, Fuchsia, Aqua, White
};
const uint32_t kPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                               0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

struct Picture {
  int w, h;
  std::vector<uint8_t> px;
  Picture(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height, Black) {}
  void Set(int x, int y, uint8_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[y * w + x] = c;
  }
  void Fill(int l, int t, int r, int b, uint8_t c) {  // r, b exclusive
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) Set(x, y, c);
  }
};

void Put16(std::vector<uint8_t>& o, uint32_t v) {
  o.push_back(v & 0xFF);
  o.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& o, uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}

std::vector<uint8_t> Bmp4(const Picture& p) {
  uint32_t stride = ((p.w * 4 + 31) / 32) * 4;
  uint32_t image = stride * p.h, offset = 14 + 40 + 16 * 4;
  std::vector<uint8_t> o;
  Put16(o, 0x4D42);
  Put32(o, offset + image);
  Put32(o, 0);
  Put32(o, offset);
  Put32(o, 40);
  Put32(o, p.w);
  Put32(o, p.h);
  Put16(o, 1);
  Put16(o, 4);
  Put32(o, 0);  // BI_RGB
  Put32(o, image);
  Put32(o, 3780);  // 96 dots per inch
  Put32(o, 3780);
  Put32(o, 16);
  Put32(o, 16);
  for (uint32_t rgb : kPalette) Put32(o, rgb);  // as B, G, R, 0 bytes
  for (int y = p.h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < p.w; ++x) row[x / 2] |= static_cast<uint8_t>(p.px[y * p.w + x] << (x % 2 ? 0 : 4));
    o.insert(o.end(), row.begin(), row.end());
  }
  return o;
}

// ---- Tray gauge strips: 13 frames of 15 x 16, frame k with k of 12 levels lit from the bottom.

// A sunken frame two pixels wide around columns l .. l+width-1 of one gauge frame.
void SunkenFrame(Picture& p, int l, int width) {
  int r = l + width - 1;
  for (int y = 0; y < 16; ++y) {
    for (int x = l; x <= r; ++x) {
      bool edge = y <= 1 || y >= 14 || x <= l + 1 || x >= r - 1;
      if (!edge) continue;
      uint8_t c;
      if (y == 15) c = White;
      else if (y == 14) c = x == l ? Gray : White;
      else if (y == 0) c = Gray;
      else if (y == 1) c = x == r ? White : Gray;
      else c = x <= l + 1 ? Gray : White;
      p.Set(x, y, c);
    }
  }
}

// Level n (1..12) is row 14 - n.
void Bar(Picture& p, int l, int width, int lit, bool stripes) {
  for (int row = 2; row <= 13; ++row) {
    int level = 14 - row;
    uint8_t c = level <= lit ? Lime : (stripes && row % 2 == 0 ? Green : Black);
    p.Fill(l, row, l + width, row + 1, c);
  }
}

Picture Gauge(bool dual) {
  Picture p(195, 16);
  for (int k = 0; k <= 12; ++k) {
    int x0 = k * 15;
    if (!dual) {
      SunkenFrame(p, x0, 15);
      Bar(p, x0 + 2, 11, k, true);
    } else {
      SunkenFrame(p, x0, 7);
      Bar(p, x0 + 2, 3, k, false);
      p.Fill(x0 + 7, 0, x0 + 8, 16, Silver);
      SunkenFrame(p, x0 + 8, 7);
      Bar(p, x0 + 10, 3, k, false);
    }
  }
  return p;
}

// ---- Seven-segment digits: 13 cells, 0-9, all segments unlit, middle unlit, middle lit.

Picture Digits(int cw, int ch) {
  Picture p(cw * 13, ch);
  int t = cw >= 10 ? 2 : 1;   // segment thickness
  int mid = (ch - t) / 2;     // top row of the middle segment
  // Segments a b c d e f g as rectangles (l, t, r, b exclusive) within a cell.
  struct Seg { int l, t, r, b; };
  const Seg seg[7] = {
      {t, 0, cw - t, t},                   // a top
      {cw - t, t, cw, mid},                // b top right
      {cw - t, mid + t, cw, ch - t},       // c bottom right
      {t, ch - t, cw - t, ch},             // d bottom
      {0, mid + t, t, ch - t},             // e bottom left
      {0, t, t, mid},                      // f top left
      {t, mid, cw - t, mid + t},           // g middle
  };
  // Lit segments of 0-9, bit 0 = a.
  const uint8_t digit[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  for (int cell = 0; cell < 13; ++cell) {
    int x0 = cell * cw;
    for (int s = 0; s < 7; ++s) {
      uint8_t c;
      if (cell < 10) c = (digit[cell] >> s) & 1 ? Silver : Gray;
      else if (cell == 10) c = Gray;
      else if (s == 6) c = cell == 12 ? Silver : Gray;
      else continue;
      p.Fill(x0 + seg[s].l, seg[s].t, x0 + seg[s].r, seg[s].b, c);
    }
  }
  return p;
}

// ---- Lights: green, yellow and red cells on black.

struct LightColours { uint8_t on, off; };
const LightColours kLights[3] = {{Lime, Green}, {Yellow, Olive}, {Red, Maroon}};

// inside(x, y) 0 outside, 1 rim, 2 body; a glint near the top left.
Picture Lights(int cw, int ch, bool on, const std::function<int(int, int)>& shape, int gx, int gy) {
  Picture p(cw * 3, ch);
  for (int i = 0; i < 3; ++i) {
    uint8_t body = on ? kLights[i].on : kLights[i].off;
    uint8_t rim = on ? kLights[i].off : static_cast<uint8_t>(Gray);
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x) {
        int s = shape(x, y);
        if (s) p.Set(i * cw + x, y, s == 1 ? rim : body);
      }
    p.Set(i * cw + gx, gy, on ? White : Silver);
    if (on) {
      p.Set(i * cw + gx + 1, gy, White);
      p.Set(i * cw + gx, gy + 1, White);
    }
  }
  return p;
}

int Round13(int x, int y) {
  int d = (x - 6) * (x - 6) + (y - 6) * (y - 6);
  return d <= 20 ? 2 : d <= 32 ? 1 : 0;
}
int Square13(int x, int y) {
  if (x < 1 || y < 1 || x > 11 || y > 11) return 0;
  return x == 1 || y == 1 || x == 11 || y == 11 ? 1 : 2;
}
int Diamond13(int x, int y) {
  int d = std::abs(x - 6) + std::abs(y - 6);
  return d <= 5 ? 2 : d == 6 ? 1 : 0;
}
int Rect17x7(int x, int y) {
  if (x < 1 || y < 1 || x > 15 || y > 5) return 0;
  return x == 1 || y == 1 || x == 15 || y == 5 ? 1 : 2;
}

// ---- Track bar thumbs: a raised button with a black outline.

Picture Thumb(int w, int h) {
  Picture p(w, h);
  p.Fill(0, 0, w, h, Black);
  p.Fill(1, 1, w - 1, h - 1, Silver);
  p.Fill(1, 1, w - 1, 2, White);
  p.Fill(1, 1, 2, h - 1, White);
  p.Fill(1, h - 2, w - 1, h - 1, Gray);
  p.Fill(w - 2, 1, w - 1, h - 1, Gray);
  return p;
}

// ---- The instruments' hand cursor: 32 x 32, monochrome.

std::vector<uint8_t> HandCursor() {
  const int size = 32, rowBytes = 4;
  std::vector<uint8_t> andMask(size * rowBytes, 0xFF), xorMask(size * rowBytes, 0);
  for (int y = 0; y < kHandPatternRows; ++y)
    for (int x = 0; HandPattern[y][x]; ++x) {
      char c = HandPattern[y][x];
      if (c == '.') continue;
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
      andMask[y * rowBytes + x / 8] &= static_cast<uint8_t>(~bit);
      if (c == 'o') xorMask[y * rowBytes + x / 8] |= bit;
    }
  std::vector<uint8_t> dib;
  Put32(dib, 40);
  Put32(dib, size);
  Put32(dib, size * 2);  // colour (XOR) and mask (AND) halves
  Put16(dib, 1);
  Put16(dib, 1);
  for (int i = 0; i < 6; ++i) Put32(dib, 0);
  Put32(dib, 0x000000);
  Put32(dib, 0xFFFFFF);
  for (int y = size - 1; y >= 0; --y) dib.insert(dib.end(), &xorMask[y * rowBytes], &xorMask[y * rowBytes] + rowBytes);
  for (int y = size - 1; y >= 0; --y) dib.insert(dib.end(), &andMask[y * rowBytes], &andMask[y * rowBytes] + rowBytes);
  std::vector<uint8_t> o;
  Put16(o, 0);
  Put16(o, 2);  // cursor
  Put16(o, 1);
  o.push_back(size);
  o.push_back(size);
  o.push_back(0);
  o.push_back(0);
  Put16(o, kHandHotSpotX);
  Put16(o, kHandHotSpotY);
  Put32(o, static_cast<uint32_t>(dib.size()));
  Put32(o, 6 + 16);
  o.insert(o.end(), dib.begin(), dib.end());
  return o;
}

struct Output {
  std::string file;
  std::vector<uint8_t> data;
};

std::vector<Output> Everything() {
  std::vector<Output> out;
  out.push_back({"icgauge.bmp", Bmp4(Gauge(false))});
  out.push_back({"iclevels.bmp", Bmp4(Gauge(true))});
  out.push_back({"num13x24.bmp", Bmp4(Digits(13, 24))});
  out.push_back({"num11x20.bmp", Bmp4(Digits(11, 20))});
  out.push_back({"num7x13.bmp", Bmp4(Digits(7, 13))});
  out.push_back({"num12x17.bmp", Bmp4(Digits(12, 17))});
  out.push_back({"num5x7.bmp", Bmp4(Digits(4, 7))});
  for (bool on : {true, false}) {
    std::string s = on ? "on" : "off";
    out.push_back({"lights_rnd_" + s + ".bmp", Bmp4(Lights(13, 13, on, Round13, 4, 3))});
    out.push_back({"lights_sqr_" + s + ".bmp", Bmp4(Lights(13, 13, on, Square13, 3, 3))});
    out.push_back({"lights_dmd_" + s + ".bmp", Bmp4(Lights(13, 13, on, Diamond13, 5, 4))});
    out.push_back({"lights_rect_" + s + ".bmp", Bmp4(Lights(17, 7, on, Rect17x7, 3, 2))});
  }
  out.push_back({"mttb_hori.bmp", Bmp4(Thumb(9, 17))});
  out.push_back({"mttb_vert.bmp", Bmp4(Thumb(17, 9))});
  out.push_back({"mtcursorhandpoint.cur", HandCursor()});
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  bool check = argc == 3 && std::string(argv[1]) == "--check";
  if (argc != 2 && !check) {
    std::fprintf(stderr, "usage: mkbitmaps [--check] <folder>\n");
    return 2;
  }
  std::string dir = argv[argc - 1];
  int bad = 0;
  for (const Output& o : Everything()) {
    std::string path = dir + "/" + o.file;
    if (check) {
      std::ifstream in(path, std::ios::binary);
      std::vector<uint8_t> have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (have != o.data) {
        std::fprintf(stderr, "%s is out of date: run tools/mkbitmaps (see its header)\n", path.c_str());
        ++bad;
      }
    } else {
      std::ofstream f(path, std::ios::binary);
      f.write(reinterpret_cast<const char*>(o.data.data()), static_cast<std::streamsize>(o.data.size()));
      if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        ++bad;
      }
    }
  }
  return bad ? 1 : 0;
}
