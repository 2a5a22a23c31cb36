// Operating-system identification: version, product data, environment, folders, time zone and
// NT product details, gathered by GetInfo and written as report sections by Report.
// The classes and their reports need no Windows; GetInfo lives in the Windows-only source.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "probes/OsKind.h"
#include "sysinfo/OsLogic.h"
#include "sysinfo/ReportText.h"
#include "sysinfo/SysInfoProps.h"

class TTimeZone : public TPersistent {
  VELMORA_CLASS(TTimeZone, TPersistent)

 public:
  void GetInfo();
  void Report(TStrings& report) const;

  const std::string& DisplayName() const { return FDisplayName; }
  const std::string& StandardName() const { return FStandardName; }
  const std::string& DaylightName() const { return FDaylightName; }
  TDateTime DaylightStart() const { return FDaylightStart; }
  TDateTime StandardStart() const { return FStandardStart; }
  int Bias() const { return FBias; }
  int DaylightBias() const { return FDaylightBias; }
  int StandardBias() const { return FStandardBias; }
  const std::string& MapID() const { return FMapID; }
  // Stored descriptions may set these; GetInfo overwrites them.
  void SetDisplayName(const std::string& v) { FDisplayName = v; }
  void SetStandardName(const std::string& v) { FStandardName = v; }
  void SetDaylightName(const std::string& v) { FDaylightName = v; }
  void SetDaylightStart(TDateTime v) { FDaylightStart = v; }
  void SetStandardStart(TDateTime v) { FStandardStart = v; }
  void SetBias(int v) { FBias = v; }
  void SetDaylightBias(int v) { FDaylightBias = v; }
  void SetStandardBias(int v) { FStandardBias = v; }

 private:
  void Fill();
  std::string FDisplayName, FStandardName, FDaylightName, FMapID;
  TDateTime FDaylightStart = 0, FStandardStart = 0;
  int FBias = 0, FDaylightBias = 0, FStandardBias = 0;
};

class TNTSpecific : public TPersistent {
  VELMORA_CLASS(TNTSpecific, TPersistent)

 public:
  void GetInfo();
  void Report(TStrings& report) const;

  TNtProductType ProductType() const { return FProductType; }
  TNTSuites InstalledSuites() const { return FInstalledSuites; }
  unsigned ServicePackMajorVersion() const { return FSPMajor; }
  unsigned ServicePackMinorVersion() const { return FSPMinor; }

  void SetProductType(TNtProductType v) { FProductType = v; }
  void SetInstalledSuites(TNTSuites v) { FInstalledSuites = v & 0xFFu; }
  void SetServicePackMajorVersion(unsigned v) { FSPMajor = static_cast<uint16_t>(v); }
  void SetServicePackMinorVersion(unsigned v) { FSPMinor = static_cast<uint16_t>(v); }

 private:
  void Fill();
  TNtProductType FProductType = ptUnknown;
  TNTSuites FInstalledSuites = 0;
  uint16_t FSPMajor = 0, FSPMinor = 0;
};

class TOperatingSystem : public TSysInfoCategory {
  VELMORA_CLASS(TOperatingSystem, TSysInfoCategory)

 public:
  // Gathers everything; a failure is shown in a message box and the rest is skipped.
  void GetInfo();
  // Appends the "[Operating System]" .. "[Time Zone]" sections.
  void Report(TStrings& report) const;

  int MajorVersion() const { return FMajorVersion; }
  int MinorVersion() const { return FMinorVersion; }
  int BuildNumber() const { return FBuildNumber; }
  const std::string& Platform() const { return FPlatform; }
  const std::string& Version() const { return FVersion; }
  const std::string& CSD() const { return FCSD; }
  const std::string& ProductID() const { return FProductID; }
  const std::string& ProductKey() const { return FProductKey; }
  const std::string& RegisteredUser() const { return FRegisteredUser; }
  const std::string& RegisteredOrg() const { return FRegisteredOrg; }
  const std::string& DVDRegion() const { return FDVDRegion; }
  TTimeZone* TimeZone() const { return FTimeZone.get(); }
  TStrings* Environment() const { return FEnvironment.get(); }
  TStrings* Folders() const { return FFolders.get(); }
  TNTSpecific* NTSpecific() const { return FNTSpecific.get(); }

  // Stored descriptions may set these; GetInfo overwrites them.
  void SetMajorVersion(int v) { FMajorVersion = v; }
  void SetMinorVersion(int v) { FMinorVersion = v; }
  void SetBuildNumber(int v) { FBuildNumber = v; }
  void SetPlatform(const std::string& v) { FPlatform = v; }
  void SetVersion(const std::string& v) { FVersion = v; }
  void SetCSD(const std::string& v) { FCSD = v; }
  void SetProductID(const std::string& v) { FProductID = v; }
  void SetProductKey(const std::string& v) { FProductKey = v; }
  void SetRegisteredUser(const std::string& v) { FRegisteredUser = v; }
  void SetRegisteredOrg(const std::string& v) { FRegisteredOrg = v; }
  void SetDVDRegion(const std::string& v) { FDVDRegion = v; }

 private:
  void Fill();
  int FMajorVersion = 0, FMinorVersion = 0, FBuildNumber = 0;
  std::string FPlatform, FVersion, FCSD, FProductID, FProductKey, FRegisteredUser,
      FRegisteredOrg, FDVDRegion;
  std::unique_ptr<TTimeZone> FTimeZone = std::make_unique<TTimeZone>();
  std::unique_ptr<TStrings> FEnvironment = std::make_unique<TStringList>();
  std::unique_ptr<TStrings> FFolders = std::make_unique<TStringList>();
  std::unique_ptr<TNTSpecific> FNTSpecific = std::make_unique<TNTSpecific>();

};

// The version record as GetInfo sees it, in one reading (ReadSystemVersion on the Windows side);
// tests replace the reader to play systems Wine cannot (a domain controller, NT 4.0 with
// "Service Pack 6", Windows 11).
using TVersionReader = bool (*)(TVersionRecord& record);
// nullptr restores the system's own reader.
void SetVersionReader(TVersionReader reader);

// The file-system path of a shell folder (CSIDL), empty for a folder that has none.
std::string SpecialFolderPath(int csidl);
