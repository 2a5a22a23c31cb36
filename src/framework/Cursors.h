// Mouse cursors by number, as controls and descriptions name them.
#pragma once
#include <windows.h>
#include "framework/TypeInfo.h"

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -5;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

const TIdentMap& CursorIdents();  // "crHandPoint" <-> -21 ...

// The cursor to show: a registered one first, then the system's; crNone gives null (no cursor)
// and numbers nobody knows give the arrow. crHandPoint is the system hand where the system has
// one (not on Windows 95 and NT 4.0) and else a hand made at run time.
HCURSOR CursorHandle(TCursor cursor);
// Makes a number stand for a cursor (application cursors such as the instruments' hand, 99).
// The caller keeps ownership and must keep the cursor alive; null removes the number.
void RegisterCursor(TCursor cursor, HCURSOR handle);
// The hand made at run time (made once, kept for the process).
HCURSOR BuiltInHandCursor();
