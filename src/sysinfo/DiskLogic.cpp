// Reading one drive through the queries, the drive texts and the drive's report sections.
#include <cstdio>
#include "sysinfo/KSI_Disk.h"
#include "sysinfo/ReportText.h"

const TEnumInfo kMediaTypeInfo{
    "TMediaType",
    {"dtUnknown", "dtNotExists", "dtRemovable", "dtFixed", "dtRemote", "dtCDROM", "dtRAMDisk"}};
const TEnumInfo kFileFlagInfo{
    "TFileFlag",
    {"fsCaseIsPreserved", "fsCaseSensitive", "fsUnicodeStoredOnDisk", "fsPersistentAcls",
     "fsFileCompression", "fsVolumeIsCompressed", "fsLongFileNames",
     "fsEncryptedFileSystemSupport", "fsObjectIDsSupport", "fsReparsePointsSupport",
     "fsSparseFilesSupport", "fsDiskQuotasSupport"}};

namespace {
struct TFlagInfo {
  const char* Label;
  uint32_t Bit;  // 0: not a bit of the system's flags
};
// The last five from the system's documented bits for encryption, object identifiers, reparse
// points, sparse files and quotas.
const TFlagInfo kFlags[fsCount] = {
    {"Case Is Preserved", 0x2},
    {"Case Sensitive", 0x1},
    {"Unicode Stored On Disk", 0x4},
    {"Persistent Acls", 0x8},
    {"File Compression", 0x10},
    {"Volume Is Compressed", 0x8000},
    {"Long Filenames", 0},
    {"Encrypted File System Support", 0x20000},
    {"Object IDs Support", 0x10000},
    {"Reparse Points Support", 0x80},
    {"Sparse Files Support", 0x40},
    {"Disk Quotas Support", 0x20},
};
}  // namespace

const char* MediaTypeText(TMediaType t) {
  static const char* const texts[] = {"Unknown", "Not Exists", "Removable", "Fixed",
                                      "Remote",  "CDROM",      "RAMDisk"};
  return t >= dtUnknown && t <= dtRAMDisk ? texts[t] : texts[dtUnknown];
}

const char* FileFlagLabel(TFileFlag f) { return f < fsCount ? kFlags[f].Label : ""; }

TFileFlags FileFlagsFromSystem(uint32_t systemFlags, uint32_t maxComponentLength) {
  TFileFlags set = 0;
  for (int f = 0; f < fsCount; ++f)
    if (kFlags[f].Bit & systemFlags) set |= 1u << f;
  if (maxComponentLength == 255) set |= 1u << fsLongFileNames;
  return set;
}

std::string VolumeSerialText(uint32_t serial) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X-%04X", static_cast<unsigned>(serial >> 16),
                static_cast<unsigned>(serial & 0xFFFF));
  return buf;
}

std::string DriveLettersFromRoots(const char* roots, size_t size) {
  std::string letters;
  if (!roots) return letters;
  for (size_t i = 0; i < size && roots[i] != 0;) {
    const char c = roots[i];
    if (c >= 'a' && c <= 'z')
      letters += static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      letters += c;
    while (i < size && roots[i] != 0) ++i;  // to the end of this root
    ++i;
  }
  return letters;
}

TDriveData ReadDriveData(TDriveQueries& q, const std::string& value) {
  TDriveData d;
  d.Drive = value.substr(0, 2);
  d.UNC = d.Drive;
  if (d.Drive.empty()) return d;

  const std::string root = d.Drive + "\\";
  const unsigned type = q.DriveType(root);
  d.MediaType = type <= dtRAMDisk ? static_cast<TMediaType>(type) : dtUnknown;
  if (d.MediaType == dtRemote) {
    const std::string unc = q.NetworkName(d.Drive);
    if (!unc.empty()) d.UNC = unc;
  }

  uint32_t spc = 0, bps = 0, freeClusters = 0, totalClusters = 0;
  if (!q.FreeSpace(root, spc, bps, freeClusters, totalClusters)) return d;  // no media
  d.SectorsPerCluster = spc;
  d.BytesPerSector = bps;
  d.FreeClusters = freeClusters;
  d.TotalClusters = totalClusters;
  uint64_t freeToCaller = 0, total = 0;
  if (q.FreeSpaceEx(root, freeToCaller, total)) {
    d.Capacity = static_cast<int64_t>(total);
    d.FreeSpace = static_cast<int64_t>(freeToCaller);
  } else {
    // In 64 bits: a 32-bit product wraps above 2 GB.
    const uint64_t cluster = static_cast<uint64_t>(bps) * spc;
    d.Capacity = static_cast<int64_t>(cluster * totalClusters);
    d.FreeSpace = static_cast<int64_t>(cluster * freeClusters);
  }

  std::string label, fileSystem;
  uint32_t serial = 0, maxComponent = 0, flags = 0;
  if (q.Volume(root, label, fileSystem, serial, maxComponent, flags)) {
    d.VolumeLabel = label;
    d.FileSystem = fileSystem;
    d.Serial = serial;
    d.SerialNumber = VolumeSerialText(serial);
    d.FileFlags = FileFlagsFromSystem(flags, maxComponent);
  }
  return d;
}

void WriteDriveSections(TStrings& report, const TDriveData& d) {
  AddSection(report, "Disk" + d.Drive);
  AddValue(report, "VolumeLabel", d.VolumeLabel);
  AddValue(report, "Type", MediaTypeText(d.MediaType));
  AddValue(report, "UNC", d.UNC);
  AddValue(report, "SerialNumber", d.SerialNumber);
  AddValue(report, "Capacity", GroupDigits(d.Capacity));
  AddValue(report, "FreeSpace", GroupDigits(d.FreeSpace));
  AddValue(report, "BytesPerSector", static_cast<int64_t>(d.BytesPerSector));
  AddValue(report, "SectorPerCluster", static_cast<int64_t>(d.SectorsPerCluster));
  AddValue(report, "FreeClusters", GroupDigits(d.FreeClusters));
  AddValue(report, "TotalClusters", GroupDigits(d.TotalClusters));
  AddSection(report, "Disk" + d.Drive + "_Flags");
  for (int f = 0; f < fsCount; ++f)
    AddBool(report, kFlags[f].Label, HasFileFlag(d.FileFlags, static_cast<TFileFlag>(f)));
}
