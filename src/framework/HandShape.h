// The pointing hand the program draws itself (a cursor made at run time, and the instruments'
// cursor resource): 32 x 32, 'X' black, 'o' white, '.' clear.
#pragma once

inline const char* const HandPattern[] = {
    ".....XX..........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooXXX.......",
    "....XooXooXXX....",
    "....XooXooXooXX..",
    ".XX.XooXooXooXoX.",
    ".XoXXooooooooXoX.",
    ".XooXoooooooooooX",
    "..XoXoooooooooooX",
    "..XooooooooooooX.",
    "...XoooooooooooX.",
    "...XooooooooooX..",
    "....XoooooooooX..",
    "....XooooooooX...",
    ".....XooooooX....",
    ".....XooooooX....",
    ".....XXXXXXXX....",
};
constexpr int kHandPatternRows = static_cast<int>(sizeof HandPattern / sizeof HandPattern[0]);
// The hot spot: the tip of the finger.
constexpr int kHandHotSpotX = 5, kHandHotSpotY = 0;
