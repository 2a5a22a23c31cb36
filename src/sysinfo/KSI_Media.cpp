// The multimedia devices of the running system: the class keys, the device tree and the
// multimedia interface's device capabilities.
#include "sysinfo/KSI_Media.h"
#include <windows.h>
#include <mmsystem.h>
#include <cctype>
#include <cstring>
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/SysInfoWin.h"

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// One entry per device whose capabilities can be read: product name and driver version.
template <class Caps>
void ReadSoundDevices(TStrings& list, UINT count, MMRESULT (WINAPI* caps)(UINT_PTR, Caps*, UINT)) {
  list.Clear();
  for (UINT i = 0; i < count; ++i) {
    Caps c;
    ZeroMemory(&c, sizeof c);
    if (caps(i, &c, sizeof c) != MMSYSERR_NOERROR) continue;
    AddOnce(list, SoundDeviceText(std::string(c.szPname, strnlen(c.szPname, sizeof c.szPname)),
                                  c.vDriverVersion));
  }
}
}  // namespace

void TMedia::GetInfo() {
  GatherGuarded("TMedia.GetInfo", [this] {
    FDevices->Clear();
    for (const std::string& s : ClassLookup("MEDIA", "DriverDesc")) FDevices->Add(s);

    FSoundCardIndex = FGamePortIndex = -1;
    TDevices devices;
    ReadDevices(devices);
    for (int i = 0; i < devices.DeviceCount(); ++i) {
      const TDeviceRecord& d = devices.Device(i);
      if (d.ClassKind != ckMedia) continue;
      const std::string name = d.Caption();
      const int index = FDevices->IndexOf(name);
      if (index < 0) continue;
      if (Upper(name).find("GAME") != std::string::npos)
        FGamePortIndex = index;
      else if (FSoundCardIndex < 0 && !d.Location.empty())
        FSoundCardIndex = index;
    }

    // Emptied first: a device removed since the last gathering must go.
    ReadSoundDevices<WAVEOUTCAPSA>(*FWAVEOut, waveOutGetNumDevs(), waveOutGetDevCapsA);
    ReadSoundDevices<WAVEINCAPSA>(*FWAVEIn, waveInGetNumDevs(), waveInGetDevCapsA);
    ReadSoundDevices<MIDIOUTCAPSA>(*FMIDIOut, midiOutGetNumDevs(), midiOutGetDevCapsA);
    ReadSoundDevices<MIDIINCAPSA>(*FMIDIIn, midiInGetNumDevs(), midiInGetDevCapsA);
    ReadSoundDevices<AUXCAPSA>(*FAUX, auxGetNumDevs(), auxGetDevCapsA);
    ReadSoundDevices<MIXERCAPSA>(*FMixer, mixerGetNumDevs(), mixerGetDevCapsA);
  });
}
