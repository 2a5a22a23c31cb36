// The multimedia class's table, lifetime and report lines.
#include "sysinfo/KSI_Media.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TMedia) {
  using T = TMedia;
  b.Int("GamePortIndex", &T::GamePortIndex, &T::SetGamePortIndex);
  b.Int("SoundCardIndex", &T::SoundCardIndex, &T::SetSoundCardIndex);
  b.Strings("Devices", &T::Devices);
  b.Strings("WAVEIn", &T::WAVEIn);
  b.Strings("WAVEOut", &T::WAVEOut);
  b.Strings("MIDIIn", &T::MIDIIn);
  b.Strings("MIDIOut", &T::MIDIOut);
  b.Strings("AUX", &T::AUX);
  b.Strings("Mixer", &T::Mixer);
}

TMedia::TMedia() {
  FGamePortIndex = -1;
  FSoundCardIndex = -1;
}

void TMedia::Report(TStrings& report) const {
  AddSection(report, "Media");
  WriteList(report, "Count", "Device", *FDevices);
  AddSection(report, "Sound");
  WriteList(report, "WaveInCount", "WaveIn", *FWAVEIn);
  WriteList(report, "WaveOutCount", "WaveOut", *FWAVEOut);
  WriteList(report, "MIDIInCount", "MIDIIn", *FMIDIIn);
  WriteList(report, "MIDIOutCount", "MIDIOut", *FMIDIOut);
  WriteList(report, "AUXCount", "AUX", *FAUX);
  WriteList(report, "MixerCount", "Mixer", *FMixer);
}

std::string SoundDeviceText(const std::string& product, uint32_t driverVersion) {
  const unsigned major = (driverVersion >> 8) & 0xFF, minor = driverVersion & 0xFF;
  return product + " v" + std::to_string(major) + "." + std::to_string(minor);
}

void AddOnce(TStrings& list, const std::string& s) {
  for (const std::string& item : list.Items())
    if (item == s) return;
  list.Add(s);
}
