// The drives of the running system.
#include <windows.h>
#include <cwchar>
#include <functional>
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

// A network drive whose server does not answer holds a query for as long as the network waits:
// such a drive is asked on a thread of its own, and given up after this.
constexpr unsigned kNetworkDriveTimeoutMs = 4000;


struct TClusters {
  bool Ok = false;
  uint32_t SectorsPerCluster = 0, BytesPerSector = 0, FreeClusters = 0, TotalClusters = 0;
};
struct TSpace {
  bool Ok = false;
  uint64_t FreeToCaller = 0, Total = 0;
};
struct TVolume {
  bool Ok = false;
  std::string Label, FileSystem;
  uint32_t Serial = 0, MaxComponentLength = 0, Flags = 0;
};

class TSystemDriveQueries : public TDriveQueries {
 public:
  unsigned DriveType(const std::string& root) override {
    FTypedRoot = root;
    return FType = GetDriveTypeA(root.c_str());
  }
  bool FreeSpace(const std::string& root, uint32_t& spc, uint32_t& bps, uint32_t& freeClusters,
                 uint32_t& totalClusters) override {
    TClusters c;
    Ask<TClusters>(root, [root] {
      TQuietErrors quiet;
      TClusters r;
      DWORD a = 0, b = 0, f = 0, t = 0;
      r.Ok = GetDiskFreeSpaceA(root.c_str(), &a, &b, &f, &t) != FALSE;
      r.SectorsPerCluster = a, r.BytesPerSector = b, r.FreeClusters = f, r.TotalClusters = t;
      return r;
    }, c);
    if (!c.Ok) return false;
    spc = c.SectorsPerCluster, bps = c.BytesPerSector, freeClusters = c.FreeClusters, totalClusters = c.TotalClusters;
    return true;
  }
  bool FreeSpaceEx(const std::string& root, uint64_t& freeToCaller, uint64_t& total) override {
    const auto query = SysApi().GetDiskFreeSpaceExA;
    if (!query) return false;
    TSpace s;
    Ask<TSpace>(root, [root, query] {
      TQuietErrors quiet;
      TSpace r;
      ULARGE_INTEGER avail, all, free;
      r.Ok = query(root.c_str(), &avail, &all, &free) != FALSE;
      r.FreeToCaller = avail.QuadPart, r.Total = all.QuadPart;
      return r;
    }, s);
    if (!s.Ok) return false;
    freeToCaller = s.FreeToCaller;
    total = s.Total;
    return true;
  }
  bool Volume(const std::string& root, std::string& label, std::string& fileSystem,
              uint32_t& serial, uint32_t& maxComponentLength, uint32_t& flags) override {
    TVolume v;
    const auto wide = SysInfoWide() ? SysApi().GetVolumeInformationW : nullptr;
    Ask<TVolume>(root, [root, wide] {
      TQuietErrors quiet;
      TVolume r;
      DWORD s = 0, m = 0, f = 0;
      if (wide) {
        // A label may hold any character: read as stored, shown without look-alikes.
        WCHAR name[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
        const std::wstring w(root.begin(), root.end());
        r.Ok = wide(w.c_str(), name, MAX_PATH, &s, &m, &f, fs, MAX_PATH) != FALSE;
        r.Label = AnsiText(name, wcsnlen(name, MAX_PATH));
        r.FileSystem = AnsiText(fs, wcsnlen(fs, MAX_PATH));
      } else {
        char name[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
        r.Ok = GetVolumeInformationA(root.c_str(), name, MAX_PATH, &s, &m, &f, fs, MAX_PATH) != FALSE;
        r.Label = name;
        r.FileSystem = fs;
      }
      r.Serial = s, r.MaxComponentLength = m, r.Flags = f;
      return r;
    }, v);
    if (!v.Ok) return false;
    label = v.Label;
    fileSystem = v.FileSystem;
    serial = v.Serial, maxComponentLength = v.MaxComponentLength, flags = v.Flags;
    return true;
  }
  std::string NetworkName(const std::string& drive) override {
    char buf[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    return WNetGetConnectionA(drive.c_str(), buf, &size) == NO_ERROR ? std::string(buf)
                                                                     : std::string();
  }

 private:
  template <class R>
  bool Ask(const std::string& root, std::function<R()> ask, R& result) {
    if (root != FTypedRoot) DriveType(root);
    if (FType != DRIVE_REMOTE) {
      result = ask();
      return true;
    }
    return RunBounded(kNetworkDriveTimeoutMs, std::move(ask), result);
  }

  std::string FTypedRoot;  // the drive type last asked, which every reading of a drive asks first
  unsigned FType = DRIVE_UNKNOWN;
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
