// The DirectX class's table, lifetime, version decoding and report lines.
#include "sysinfo/KSI_DirectX.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TDirectX) {
  using T = TDirectX;
  b.Str("Version", &T::Version, &T::SetVersion);
  b.Strings("Direct3D", &T::Direct3D);
  b.Strings("DirectPlay", &T::DirectPlay);
  b.Strings("DirectMusic", &T::DirectMusic);
}

void TDirectX::Report(TStrings& report) const {
  AddSection(report, "DirectX");
  if (FVersion.empty()) return;
  AddValue(report, "Version", FVersion);
  AddSection(report, "Direct3D");
  WriteList(report, "Count", "Device", *FDirect3D);
  AddSection(report, "DirectPlay");
  WriteList(report, "Count", "Device", *FDirectPlay);
  AddSection(report, "DirectMusic");
  WriteList(report, "Count", "Device", *FDirectMusic);
}

std::string DirectXVersionFromInstalled(const void* data, size_t size) {
  if (!data || size < 4) return {};
  const auto* p = static_cast<const unsigned char*>(data);
  auto bigEndian = [p](size_t at) {
    return (uint32_t{p[at]} << 24) | (uint32_t{p[at + 1]} << 16) | (uint32_t{p[at + 2]} << 8) |
           p[at + 3];
  };
  const uint32_t major = bigEndian(0), minor = size >= 8 ? bigEndian(4) : 0;
  return std::to_string(major) + "." + std::to_string(minor);
}
