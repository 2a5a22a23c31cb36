// The multimedia category: the multimedia devices of the class keys, the sound card and game
// port among them, and the sound devices of the multimedia interface.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TMedia : public TSysInfoCategory {
  VELMORA_CLASS(TMedia, TSysInfoCategory)
  KSI_VALUE(int, GamePortIndex)
  KSI_VALUE(int, SoundCardIndex)
  KSI_LIST(Devices)
  KSI_LIST(WAVEIn)
  KSI_LIST(WAVEOut)
  KSI_LIST(MIDIIn)
  KSI_LIST(MIDIOut)
  KSI_LIST(AUX)
  KSI_LIST(Mixer)

 public:
  TMedia();

  void GetInfo();
  void Report(TStrings& report) const;
};

// "SB16 Wave Out v4.10": the product name, " v", the driver's major and minor version (high and
// low byte of the version's low word).
std::string SoundDeviceText(const std::string& product, uint32_t driverVersion);
// Adds s unless the list holds it already (compared exactly).
void AddOnce(TStrings& list, const std::string& s);
