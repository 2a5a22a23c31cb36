// Registry entries that Wine lacks and the system-information report reads: device-tree entries
// with their classes, drivers and services in the layouts of both families, display hardware
// information, BIOS strings, startup entries, an uninstall entry and a DirectX key. The Windows
// tests write them under a key of their own that the categories read as their roots; the
// end-to-end tests write them into the build's prefix and remove them afterwards.
#pragma once
#include <windows.h>
#include <string>

namespace fixtures {

// Device captions, class texts and values the fixtures carry.
constexpr const char kDisplayDevice[] = "Velmora Test Display";
constexpr const char kDisplayClass[] = "Velmora Display Adapters";
constexpr const char kNicDevice[] = "Velmora Test NIC";  // its FriendlyName is not text
constexpr const char kAbsentNic[] = "Velmora Absent NIC";
constexpr const char kSkippedNetwork[] = "Velmora 9x Network Entry";
constexpr const char kSoundCard[] = "Velmora Sound Card";
constexpr const char kGamePort[] = "Velmora Game Port";
constexpr const char kProtocol[] = "Velmora Test Protocol";
constexpr const char kComputer[] = "Velmora Test PC";
constexpr const char kBusName[] = "Velmora Bus";
constexpr const char kDac[] = "Velmora DAC";
constexpr const char kChip[] = "Velmora Chip";
constexpr DWORD kVideoMemory = 8388608;
constexpr const char kSoftware[] = "Velmora Fixture Tool 1.0";
constexpr const char kRunName[] = "VelmoraFixture";
constexpr const char kRunCommand[] = "C:\\velmora\\tray.exe /min";
constexpr const char kBinaryRunName[] = "VelmoraFixtureBinary";
constexpr const char kMachineRunName[] = "VelmoraFixtureMachine";
constexpr const char kMachineRunCommand[] = "C:\\velmora\\agent.exe";
constexpr const char kOnceName[] = "VelmoraFixtureOnce";
constexpr const char kUserOnceCommand[] = "C:\\velmora\\once.exe /user";
constexpr const char kMachineOnceCommand[] = "C:\\velmora\\once.exe /machine";

// Writes every entry: those read under HKEY_LOCAL_MACHINE below localMachine, the per-user ones
// below currentUser. Both families' layouts are written side by side. With bios, also the NT
// BIOS strings and the DirectX key, which a real prefix has of its own.
bool Write(HKEY localMachine, HKEY currentUser, bool bios);
// Removes what Write created, and nothing else.
void Remove(HKEY localMachine, HKEY currentUser, bool bios);

// Deletes a key with everything below it.
void DeleteTree(HKEY parent, const std::string& path);

// A shortcut file pointing at target with arguments; false when it cannot be written.
bool WriteShortcut(const std::string& file, const std::string& target, const std::string& args);
// The user's Startup folder of this prefix.
std::string UserStartupFolder();

}  // namespace fixtures
