// Drawing routines shared by the instruments, beside the arithmetic of MtMath.
#pragma once
#include <windows.h>
#include "framework/Graphics.h"
#include "instruments/MtMath.h"

inline int RectWidth(const RECT& R) { return R.right - R.left; }
inline int RectHeight(const RECT& R) { return R.bottom - R.top; }

// A 3-D frame Width pixels wide inside Rect (top-left lines in TopColor, bottom-right in
// BottomColor); Rect shrinks by Width on every side. A width of 0 draws nothing.
void DrawFrame3D(TCanvas& Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width);

// The 0x00BBGGRR value of a colour, system colours resolved.
inline COLORREF ResolveColor(TColor Color) { return ColorToRGB(Color); }

enum TMtGradientDirection { gdHorizontal, gdVertical };
// Fills Rect with bands Step pixels thick going from FromColor (left or top) to ToColor.
void DrawGradient(TCanvas& Canvas, const RECT& Rect, TColor FromColor, TColor ToColor,
                  TMtGradientDirection Direction, int Step);

// Fills Rect top to bottom in bands BandSize rows high; row r of h takes
// A + r * (B - A) div h per component, so the bottom row stays short of B.
void DrawGradientEx(TCanvas& Canvas, const RECT& Rect, TColor A, TColor B, int BandSize);
