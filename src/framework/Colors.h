// Colour values: 0x00BBGGRR for an RGB colour, or 0x80000000 plus a system colour index that is
// resolved only when drawing, so that a change of the system colours shows at the next paint.
#pragma once
#include <cstdint>
#include <string>
#include "framework/TypeInfo.h"

using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// "No colour" (nothing is painted) and "whatever the context uses by default".
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours: the high bit set, the low byte the index of GetSysColor.
constexpr TColor clScrollBar = (TColor)0x80000000;
constexpr TColor clBackground = (TColor)0x80000001;
constexpr TColor clActiveCaption = (TColor)0x80000002;
constexpr TColor clInactiveCaption = (TColor)0x80000003;
constexpr TColor clMenu = (TColor)0x80000004;
constexpr TColor clWindow = (TColor)0x80000005;
constexpr TColor clWindowFrame = (TColor)0x80000006;
constexpr TColor clMenuText = (TColor)0x80000007;
constexpr TColor clWindowText = (TColor)0x80000008;
constexpr TColor clCaptionText = (TColor)0x80000009;
constexpr TColor clActiveBorder = (TColor)0x8000000A;
constexpr TColor clInactiveBorder = (TColor)0x8000000B;
constexpr TColor clAppWorkSpace = (TColor)0x8000000C;
constexpr TColor clHighlight = (TColor)0x8000000D;
constexpr TColor clHighlightText = (TColor)0x8000000E;
constexpr TColor clBtnFace = (TColor)0x8000000F;
constexpr TColor clBtnShadow = (TColor)0x80000010;
constexpr TColor clGrayText = (TColor)0x80000011;
constexpr TColor clBtnText = (TColor)0x80000012;
constexpr TColor clInactiveCaptionText = (TColor)0x80000013;
constexpr TColor clBtnHighlight = (TColor)0x80000014;
constexpr TColor cl3DDkShadow = (TColor)0x80000015;
constexpr TColor cl3DLight = (TColor)0x80000016;
constexpr TColor clInfoText = (TColor)0x80000017;
constexpr TColor clInfoBk = (TColor)0x80000018;

// An RGB colour from its components (each taken modulo 256).
constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// All the names above ("clBtnFace" <-> 0x8000000F), for descriptions and stored text.
const TIdentMap& ColorIdents();

// True for 0x80000000 + index values (the index is the low byte).
bool IsSystemColor(TColor c);

// The 0x00BBGGRR value of a colour. RGB colours pass through with the top byte cleared (so clNone
// and clDefault come out as their low 24 bits); system colours go through sysColor with their
// index, or give black when sysColor is null.
uint32_t ColorRGB(TColor c, uint32_t (*sysColor)(int index));

// Text form used by stored settings: the colour's name when it has one, else "$00BBGGRR".
std::string ColorToString(TColor c);
// Reads a name or a number (decimal or "$" hex); false, leaving c alone, for anything else.
bool StringToColor(const std::string& s, TColor& c);
