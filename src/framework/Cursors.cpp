#include "framework/Cursors.h"
#include <map>
#include "framework/HandShape.h"

const TIdentMap& CursorIdents() {
  static const TIdentMap map{{
      {"crDefault", crDefault},
      {"crNone", crNone},
      {"crArrow", crArrow},
      {"crCross", crCross},
      {"crIBeam", crIBeam},
      {"crSize", crSize},
      {"crSizeNESW", crSizeNESW},
      {"crSizeNS", crSizeNS},
      {"crSizeNWSE", crSizeNWSE},
      {"crSizeWE", crSizeWE},
      {"crUpArrow", crUpArrow},
      {"crHourGlass", crHourGlass},
      {"crNo", crNo},
      {"crAppStart", crAppStart},
      {"crHelp", crHelp},
      {"crHandPoint", crHandPoint},
      {"crSizeAll", crSizeAll},
  }};
  return map;
}

static std::map<TCursor, HCURSOR>& Registered() {
  static std::map<TCursor, HCURSOR> cursors;
  return cursors;
}

void RegisterCursor(TCursor cursor, HCURSOR handle) {
  if (handle)
    Registered()[cursor] = handle;
  else
    Registered().erase(cursor);
}


HCURSOR BuiltInHandCursor() {
  static HCURSOR hand = [] {
    constexpr int size = 32, rowBytes = size / 8;
    BYTE andMask[size * rowBytes], xorMask[size * rowBytes];
    for (int i = 0; i < size * rowBytes; ++i) {
      andMask[i] = 0xFF;  // clear everywhere but on the hand
      xorMask[i] = 0;
    }
    int rows = kHandPatternRows;
    for (int y = 0; y < rows; ++y)
      for (int x = 0; HandPattern[y][x]; ++x) {
        char c = HandPattern[y][x];
        BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
        if (c == '.') continue;
        andMask[y * rowBytes + x / 8] &= static_cast<BYTE>(~bit);
        if (c == 'o') xorMask[y * rowBytes + x / 8] |= bit;
      }
    return CreateCursor(GetModuleHandleA(nullptr), kHandHotSpotX, kHandHotSpotY, size, size, andMask, xorMask);
  }();
  return hand;
}

HCURSOR CursorHandle(TCursor cursor) {
  auto& reg = Registered();
  auto it = reg.find(cursor);
  if (it != reg.end()) return it->second;
  LPCSTR id;
  switch (cursor) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSize:
    case crSizeAll: id = IDC_SIZEALL; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: {
      // IDC_HAND (32649) came with Windows 98 and 2000.
      static HCURSOR hand = [] {
        HCURSOR h = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
        return h ? h : BuiltInHandCursor();
      }();
      return hand;
    }
    default: id = IDC_ARROW; break;
  }
  HCURSOR h = LoadCursorA(nullptr, id);
  return h ? h : LoadCursorA(nullptr, IDC_ARROW);
}
