// What the system information dialog computes from the categories before it shows them: texts,
// number patterns, process identifiers, the device tree's grouping, report file names.
#pragma once
#include <cstdint>
#include <functional>
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

// The first byte of a double-byte character of the system's code page (null: none are).
using TLeadByteTest = bool (*)(unsigned char byte);

// A text from the system shown as a caption (a tab, a group box) or a window's text: made one
// line, and when it does not fit cut with "...", after its last whole word where that keeps most
// of it. fits says whether a text fits (it is asked of ever shorter ones); by default, whether it
// has at most maxChars characters.
constexpr size_t kCaptionMax = 32;
std::string ShortCaption(const std::string& text, const std::function<bool(const std::string&)>& fits,
                         TLeadByteTest isLead = nullptr);
std::string ShortCaption(const std::string& text, size_t maxChars = kCaptionMax, TLeadByteTest isLead = nullptr);

// The proposed report file: the tab caption trimmed, with ".txt", at most kFileNameMax
// characters in all. Characters that no file name may hold become "_", trailing dots and blanks
// go, a device's name (CON, NUL, COM1...) gets a "_" before it, and an empty caption gives
// "SystemInfo.txt".
constexpr size_t kFileNameMax = 64;
std::string ReportFileName(const std::string& tabCaption, TLeadByteTest isLead = nullptr);

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
