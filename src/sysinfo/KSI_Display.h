// The display category: the adapter and its chipset, DAC, memory and BIOS from the device tree
// and the registry; the screen's resolution, depth, technology, aspect and font resolution; its
// five drawing-capability sets; and the display modes.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "framework/TypeInfo.h"
#include "sysinfo/SysInfoProps.h"

// Bit i of a set = member i of that capability's table, in the report's order.
using TCapSet = unsigned;
enum TCapKind { ckCurve, ckLine, ckPolygon, ckRaster, ckText, ckCount };

// "Curve Capabilities", "Line Capabilities", "Polygonal Capabilities", ...
const char* CapSectionTitle(TCapKind kind);
// The set's members from the screen's capability value.
TCapSet CapSetFromValue(TCapKind kind, uint32_t value);
// "Circles=1", ... one line per member of the kind, 0 or 1.
void WriteCapLines(TStrings& lines, TCapKind kind, TCapSet set);
const TEnumInfo& CapEnumInfo(TCapKind kind);
// "Vector Plotter", ... by the screen's technology code; nullptr for other codes.
const char* TechnologyText(int code);
// "1024 x 768 - 16 bit".
std::string VideoModeText(uint32_t width, uint32_t height, uint32_t bitsPerPixel);

class TDisplay : public TSysInfoCategory {
  VELMORA_CLASS(TDisplay, TSysInfoCategory)
  KSI_VALUE(std::string, Adapter)
  KSI_VALUE(std::string, DAC)
  KSI_VALUE(std::string, Chipset)
  KSI_VALUE(int, Memory)
  KSI_VALUE(int, HorzRes)
  KSI_VALUE(int, VertRes)
  KSI_VALUE(int, ColorDepth)
  KSI_VALUE(std::string, BIOSVersion)
  KSI_VALUE(std::string, BIOSDate)
  KSI_VALUE(std::string, Technology)
  KSI_VALUE(int, PixelWidth)
  KSI_VALUE(int, PixelHeight)
  KSI_VALUE(int, PixelDiagonal)
  KSI_VALUE(TCapSet, RasterCaps)
  KSI_VALUE(TCapSet, CurveCaps)
  KSI_VALUE(TCapSet, LineCaps)
  KSI_VALUE(TCapSet, PolygonCaps)
  KSI_VALUE(TCapSet, TextCaps)
  KSI_VALUE(uint32_t, FontResolution)
  KSI_LIST(Modes)

 public:

  void GetInfo();
  void Report(TStrings& report) const;
  // One capability section: its header, then its lines.
  void ReportCaps(TStrings& report, TCapKind kind) const;
  TCapSet Caps(TCapKind kind) const;

  int WidthMM() const { return FWidthMM; }
  int HeightMM() const { return FHeightMM; }

 private:
  void ReadAdapter();
  void ReadScreen();
  int FWidthMM = 0, FHeightMM = 0;
};
