// What the system information dialog computes from the categories before it shows them: texts,
// number patterns, process identifiers, the device tree's grouping, report file names.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "framework/Strings.h"

namespace overview {

// "#,##": grouped, a zero gives an empty text; "#,#0": grouped, a zero gives "0".
std::string GroupedOrEmpty(uint64_t value);
std::string GroupedOrZero(uint64_t value);

// The process list's "PID" column: decimal on the NT family, "0x%x" on the 9x family; and back
// (decimal, or hexadecimal after "0x"). false for anything that is not a whole identifier.
std::string PidText(uint32_t id, bool ntFamily);
bool ParsePid(const std::string& text, uint32_t& id);
// The folder part (ending with "\", or empty) and the file part of an image name.
std::pair<std::string, std::string> SplitImageName(const std::string& image);
// The question asked before a process is terminated.
std::string TerminateQuestion(const std::string& imageName);

// The proposed report file: the tab caption trimmed, with ".txt". Characters that no file name
// may hold become "_", and an empty caption gives "SystemInfo.txt".
std::string ReportFileName(const std::string& tabCaption);

// Used space in whole percent, halves to even; -1 when the capacity gives nothing to compute.
int UsedPercent(int64_t capacity, int64_t freeSpace);

// Lines "Label=0|1" (section headers skipped) as check-list items.
std::vector<std::pair<std::string, bool>> FlagItems(const TStrings& lines);

// The device tree: one class node per run of devices of one class, each device under it.
struct DeviceInput {
  std::string ClassName, ClassDescription, FriendlyName, Description;
  int Kind = 0;
};
struct DeviceLeaf {
  std::string Caption;
  int Index;  // in the input
};
struct DeviceClassNode {
  std::string Caption, ClassName;
  int Kind = 0;
  std::vector<DeviceLeaf> Devices;
};
std::vector<DeviceClassNode> GroupDevices(const std::vector<DeviceInput>& devices);

}  // namespace overview
