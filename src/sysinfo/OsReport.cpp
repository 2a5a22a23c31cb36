// The identification classes' tables, lifetime and report lines (no Windows needed).
#include "sysinfo/KSI_OS.h"

static const TEnumInfo kProductTypeInfo{
    "TNtProductType", {"ptUnknown", "ptWorkStation", "ptServer", "ptAdvancedServer"}};
static const TEnumInfo kSuiteInfo{
    "TNTSuite",
    {"suSmallBusiness", "suEnterprise", "suBackOffice", "suCommunications", "suTerminal",
     "suSmallBusinessRestricted", "suEmbeddedNT", "suDataCenter"}};

// Date-time values have no property kind of their own; they are read through the getters.
VELMORA_CLASS_INFO(TTimeZone) {
  b.Str("DisplayName", &TTimeZone::DisplayName, &TTimeZone::SetDisplayName);
  b.Str("StandardName", &TTimeZone::StandardName, &TTimeZone::SetStandardName);
  b.Str("DaylightName", &TTimeZone::DaylightName, &TTimeZone::SetDaylightName);
  b.Int("Bias", &TTimeZone::Bias, &TTimeZone::SetBias);
  b.Int("DaylightBias", &TTimeZone::DaylightBias, &TTimeZone::SetDaylightBias);
  b.Int("StandardBias", &TTimeZone::StandardBias, &TTimeZone::SetStandardBias);
}

VELMORA_CLASS_INFO(TNTSpecific) {
  b.Enum("ProductType", &TNTSpecific::ProductType, &TNTSpecific::SetProductType,
         kProductTypeInfo);
  b.Set("InstalledSuites", &TNTSpecific::InstalledSuites, &TNTSpecific::SetInstalledSuites,
        kSuiteInfo);
  b.Int("ServicePackMajorVersion", &TNTSpecific::ServicePackMajorVersion,
        &TNTSpecific::SetServicePackMajorVersion);
  b.Int("ServicePackMinorVersion", &TNTSpecific::ServicePackMinorVersion,
        &TNTSpecific::SetServicePackMinorVersion);
}

VELMORA_CLASS_INFO(TOperatingSystem) {
  using T = TOperatingSystem;
  b.Int("MajorVersion", &T::MajorVersion, &T::SetMajorVersion);
  b.Int("MinorVersion", &T::MinorVersion, &T::SetMinorVersion);
  b.Int("BuildNumber", &T::BuildNumber, &T::SetBuildNumber);
  b.Str("Platform", &T::Platform, &T::SetPlatform);
  b.Str("Version", &T::Version, &T::SetVersion);
  b.Str("CSD", &T::CSD, &T::SetCSD);
  b.Str("ProductID", &T::ProductID, &T::SetProductID);
  b.Str("ProductKey", &T::ProductKey, &T::SetProductKey);
  b.Str("RegisteredUser", &T::RegisteredUser, &T::SetRegisteredUser);
  b.Str("RegisteredOrg", &T::RegisteredOrg, &T::SetRegisteredOrg);
  b.Object("TimeZone", &T::TimeZone);
  b.Strings("Environment", &T::Environment);
  b.Strings("Folders", &T::Folders);
  b.Object("NTSpecific", &T::NTSpecific);
  b.Str("DVDRegion", &T::DVDRegion, &T::SetDVDRegion);
}

void TNTSpecific::Report(TStrings& report) const {
  AddSection(report, "NT Specific");
  AddValue(report, "ProductType", ProductTypeText(FProductType));
  for (int s = suSmallBusiness; s <= suDataCenter; ++s)
    AddBool(report, SuiteLabel(static_cast<TNTSuite>(s)),
            HasSuite(FInstalledSuites, static_cast<TNTSuite>(s)));
  AddValue(report, "ServicePackMajorVersion", static_cast<int64_t>(FSPMajor));
  AddValue(report, "ServicePackMinorVersion", static_cast<int64_t>(FSPMinor));
}

void TTimeZone::Report(TStrings& report) const {
  AddSection(report, "Time Zone");
  AddValue(report, "TimeZone", FDisplayName);
  AddValue(report, "StdName", DateTimeText(FStandardStart));
  AddValue(report, "StdBias", static_cast<int64_t>(FStandardBias));
  AddValue(report, "DlghtName", DateTimeText(FDaylightStart));
  AddValue(report, "DlghtBias", static_cast<int64_t>(FDaylightBias));
}

void TOperatingSystem::Report(TStrings& report) const {
  AddSection(report, "Operating System");
  AddValue(report, "Platform", FPlatform);
  AddValue(report, "VersionName", FVersion);
  AddValue(report, "Version", std::to_string(FMajorVersion) + "." + std::to_string(FMinorVersion));
  AddValue(report, "BuildNumber", static_cast<int64_t>(FBuildNumber));
  AddValue(report, "CSD", FCSD);
  AddValue(report, "ProductID", FProductID);
  AddValue(report, "ProductKey", FProductKey);
  AddValue(report, "RegUser", FRegisteredUser);
  AddValue(report, "RegOrganization", FRegisteredOrg);
  AddValue(report, "DVDRegion", FDVDRegion);
  FNTSpecific->Report(report);
  AddSection(report, "Environment");
  AddEntries(report, *FEnvironment);
  AddSection(report, "Folders");
  AddEntries(report, *FFolders);
  FTimeZone->Report(report);
}
