// The disk category: the drive letters, and the type, volume data, file-system flags and space
// figures of one selected drive. Reading a drive asks the system through TDriveQueries, which
// tests replace.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "framework/TypeInfo.h"
#include "sysinfo/SysInfoProps.h"

// <windows.h> maps SetVolumeLabel to the system's function; here it is VolumeLabel's setter.
#ifdef SetVolumeLabel
#undef SetVolumeLabel
#endif

enum TMediaType { dtUnknown, dtNotExists, dtRemovable, dtFixed, dtRemote, dtCDROM, dtRAMDisk };
enum TFileFlag {
  fsCaseIsPreserved, fsCaseSensitive, fsUnicodeStoredOnDisk, fsPersistentAcls,
  fsFileCompression, fsVolumeIsCompressed, fsLongFileNames, fsEncryptedFileSystemSupport,
  fsObjectIDsSupport, fsReparsePointsSupport, fsSparseFilesSupport, fsDiskQuotasSupport,
  fsCount
};
using TFileFlags = unsigned;  // bit i = flag i
inline bool HasFileFlag(TFileFlags s, TFileFlag f) { return (s >> f) & 1u; }

// "Unknown", "Not Exists", "Removable", "Fixed", "Remote", "CDROM", "RAMDisk".
const char* MediaTypeText(TMediaType t);
// "Case Is Preserved", ... as the report writes them before "=".
const char* FileFlagLabel(TFileFlag f);
// From the volume's file-system flag bits and its longest file-name component.
TFileFlags FileFlagsFromSystem(uint32_t systemFlags, uint32_t maxComponentLength);
// 1234ABCD -> "1234-ABCD".
std::string VolumeSerialText(uint32_t serial);
// The upper-cased drive letters of a list of roots ("A:\", "C:\", ...), read within size.
std::string DriveLettersFromRoots(const char* roots, size_t size);

// What reading one drive asks of the system. root is the drive and "\" ("C:\").
class TDriveQueries {
 public:
  virtual ~TDriveQueries() = default;
  virtual unsigned DriveType(const std::string& root) = 0;
  // The cluster figures, asked with the system's critical-error boxes off; false without media.
  virtual bool FreeSpace(const std::string& root, uint32_t& sectorsPerCluster,
                         uint32_t& bytesPerSector, uint32_t& freeClusters,
                         uint32_t& totalClusters) = 0;
  // The 64-bit figures; false when the system has no such query or it fails.
  virtual bool FreeSpaceEx(const std::string& root, uint64_t& freeToCaller, uint64_t& total) = 0;
  virtual bool Volume(const std::string& root, std::string& label, std::string& fileSystem,
                      uint32_t& serial, uint32_t& maxComponentLength, uint32_t& flags) = 0;
  // The network name of a redirected drive ("\\server\share"); empty for a local one.
  virtual std::string NetworkName(const std::string& drive) = 0;
};

// One drive as read: everything is reset before a drive is read, so a query that fails never
// leaves the previous drive's values.
struct TDriveData {
  std::string Drive;  // "C:"
  std::string UNC;    // the drive expanded to its network name where it has one
  TMediaType MediaType = dtUnknown;
  TFileFlags FileFlags = 0;
  std::string FileSystem, VolumeLabel, SerialNumber;
  uint32_t Serial = 0;
  uint32_t FreeClusters = 0, TotalClusters = 0, SectorsPerCluster = 0, BytesPerSector = 0;
  int64_t FreeSpace = 0, Capacity = 0;
};
// Reads the drive named by the first two characters of value ("D:\DATA" reads "D:").
TDriveData ReadDriveData(TDriveQueries& queries, const std::string& value);
// The "[DiskC:]" and "[DiskC:_Flags]" sections.
void WriteDriveSections(TStrings& report, const TDriveData& drive);

#define KSI_DRIVE_VALUE(Type, Name)                     \
 public:                                                \
  const Type& Name() const { return FData.Name; }       \
  void Set##Name(const Type& v) { FData.Name = v; }     \
                                                        \
 private:

class TDisk : public TSysInfoCategory {
  VELMORA_CLASS(TDisk, TSysInfoCategory)
  KSI_VALUE(std::string, AvailableDisks)
  KSI_DRIVE_VALUE(TMediaType, MediaType)
  KSI_DRIVE_VALUE(TFileFlags, FileFlags)
  KSI_DRIVE_VALUE(std::string, FileSystem)
  KSI_DRIVE_VALUE(uint32_t, FreeClusters)
  KSI_DRIVE_VALUE(uint32_t, TotalClusters)
  KSI_DRIVE_VALUE(int64_t, FreeSpace)
  KSI_DRIVE_VALUE(int64_t, Capacity)
  KSI_DRIVE_VALUE(std::string, SerialNumber)
  KSI_DRIVE_VALUE(std::string, VolumeLabel)
  KSI_DRIVE_VALUE(uint32_t, SectorsPerCluster)
  KSI_DRIVE_VALUE(uint32_t, BytesPerSector)

 public:
  // Rebuilds AvailableDisks; shown as "TDisk.GetInfo" when it fails.
  void GetInfo();
  const std::string& Drive() const { return FData.Drive; }
  // Reads the drive named by the first two characters ("C:"); shown as "TDisk.SetDisk" when it
  // fails.
  void SetDrive(const std::string& value);
  // Tests the current drive for media, now.
  bool MediaPresent() const;
  const std::string& UNC() const { return FData.UNC; }
  uint32_t Serial() const { return FData.Serial; }
  const TDriveData& Data() const { return FData; }
  // "[Disks]" and every drive's sections; selects each drive in turn.
  void Report(TStrings& report);

 private:
  TDriveData FData;
};

#undef KSI_DRIVE_VALUE

extern const TEnumInfo kMediaTypeInfo;
extern const TEnumInfo kFileFlagInfo;

// The queries SetDrive uses: the system's own, or ones a test installs (nullptr restores).
TDriveQueries& DriveQueries();
void SetDriveQueries(TDriveQueries* queries);
