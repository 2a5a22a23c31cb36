// The drives of the running system.
#include <windows.h>
#include "sysinfo/KSI_Disk.h"
#include "sysinfo/ReportText.h"
#include "sysinfo/SysInfoWin.h"

namespace {
// A drive without media must not bring up the system's "insert a disk" box.
class TQuietErrors {
 public:
  TQuietErrors() : FPrevious(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~TQuietErrors() { SetErrorMode(FPrevious); }
  TQuietErrors(const TQuietErrors&) = delete;
  TQuietErrors& operator=(const TQuietErrors&) = delete;

 private:
  UINT FPrevious;
};

class TSystemDriveQueries : public TDriveQueries {
 public:
  unsigned DriveType(const std::string& root) override { return GetDriveTypeA(root.c_str()); }
  bool FreeSpace(const std::string& root, uint32_t& spc, uint32_t& bps, uint32_t& freeClusters,
                 uint32_t& totalClusters) override {
    TQuietErrors quiet;
    DWORD a = 0, b = 0, c = 0, d = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &a, &b, &c, &d)) return false;
    spc = a, bps = b, freeClusters = c, totalClusters = d;
    return true;
  }
  bool FreeSpaceEx(const std::string& root, uint64_t& freeToCaller, uint64_t& total) override {
    const auto query = SysApi().GetDiskFreeSpaceExA;
    if (!query) return false;
    TQuietErrors quiet;
    ULARGE_INTEGER avail, all, free;
    if (!query(root.c_str(), &avail, &all, &free)) return false;
    freeToCaller = avail.QuadPart;
    total = all.QuadPart;
    return true;
  }
  bool Volume(const std::string& root, std::string& label, std::string& fileSystem,
              uint32_t& serial, uint32_t& maxComponentLength, uint32_t& flags) override {
    TQuietErrors quiet;
    char name[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
    DWORD s = 0, m = 0, f = 0;
    if (!GetVolumeInformationA(root.c_str(), name, MAX_PATH, &s, &m, &f, fs, MAX_PATH))
      return false;
    label = name;
    fileSystem = fs;
    serial = s, maxComponentLength = m, flags = f;
    return true;
  }
  std::string NetworkName(const std::string& drive) override {
    char buf[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    return WNetGetConnectionA(drive.c_str(), buf, &size) == NO_ERROR ? std::string(buf)
                                                                     : std::string();
  }
};

TSystemDriveQueries gSystemQueries;
TDriveQueries* gQueries = &gSystemQueries;
}  // namespace

VELMORA_CLASS_INFO(TDisk) {
  using T = TDisk;
  b.Str("Drive", &T::Drive, &T::SetDrive);
  b.Str("AvailableDisks", &T::AvailableDisks, &T::SetAvailableDisks);
  b.Enum("MediaType", &T::MediaType, &T::SetMediaType, kMediaTypeInfo);
  b.Set("FileFlags", &T::FileFlags, &T::SetFileFlags, kFileFlagInfo);
  b.Str("FileSystem", &T::FileSystem, &T::SetFileSystem);
  b.Int("FreeClusters", &T::FreeClusters, &T::SetFreeClusters);
  b.Int("TotalClusters", &T::TotalClusters, &T::SetTotalClusters);
  b.Int("FreeSpace", &T::FreeSpace, &T::SetFreeSpace);
  b.Int("Capacity", &T::Capacity, &T::SetCapacity);
  b.Str("SerialNumber", &T::SerialNumber, &T::SetSerialNumber);
  b.Str("VolumeLabel", &T::VolumeLabel, &T::SetVolumeLabel);
  b.Int("SectorsPerCluster", &T::SectorsPerCluster, &T::SetSectorsPerCluster);
  b.Int("BytesPerSector", &T::BytesPerSector, &T::SetBytesPerSector);
}

TDriveQueries& DriveQueries() { return *gQueries; }

void SetDriveQueries(TDriveQueries* queries) { gQueries = queries ? queries : &gSystemQueries; }

void TDisk::GetInfo() {
  GatherGuarded("TDisk.GetInfo", [this] {
    FAvailableDisks.clear();
    char roots[256] = {};
    const DWORD n = GetLogicalDriveStringsA(sizeof roots - 1, roots);
    if (n > 0 && n < sizeof roots) FAvailableDisks = DriveLettersFromRoots(roots, n);
  });
}

void TDisk::SetDrive(const std::string& value) {
  GatherGuarded("TDisk.SetDisk", [&] { FData = ReadDriveData(DriveQueries(), value); });
}

bool TDisk::MediaPresent() const {
  uint32_t a, b, c, d;
  return !FData.Drive.empty() && DriveQueries().FreeSpace(FData.Drive + "\\", a, b, c, d);
}

void TDisk::Report(TStrings& report) {
  AddSection(report, "Disks");
  AddValue(report, "Available", FAvailableDisks);
  const std::string letters = FAvailableDisks;
  for (char letter : letters) {
    SetDrive(std::string(1, letter) + ":");
    WriteDriveSections(report, FData);
  }
}
