#include "wizard/AutoRunLogic.h"

namespace autorun {

bool KindIsUser(TAutoExecKind kind) { return kind == aekUserRun || kind == aekUserRunOnce; }

bool KindIsService(TAutoExecKind kind) { return kind == aekServiceRun || kind == aekServiceRunOnce; }

std::string KindKeyPath(TAutoExecKind kind) {
  static const char* const kLists[] = {"Run", "RunOnce", "Run", "RunOnce", "RunServices", "RunServicesOnce"};
  int i = static_cast<int>(kind);
  if (i < 0 || i > 5) i = 0;
  return std::string("Software\\Microsoft\\Windows\\CurrentVersion\\") + kLists[i];
}

std::string ValueName(const std::string& fileName) {
  size_t p = fileName.find_last_of("\\:/");
  return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

std::string CommandLine(const std::string& fileName) {
  if (fileName.empty() || (fileName.size() >= 2 && fileName.front() == '"' && fileName.back() == '"')) return fileName;
  return "\"" + fileName + "\"";
}

bool CallFor(TShutdownActionType action, bool force, ShutdownCall& call) {
  // EWX_FORCE, EWX_POWEROFF, EWX_SHUTDOWN, EWX_REBOOT, EWX_LOGOFF.
  const unsigned base = force ? 4u : 0u;
  switch (action) {
    case aatPowerOff: call = {false, base + 8, false}; return true;
    case aatShutdown: call = {false, base + 1, false}; return true;
    case aatReboot: call = {false, base + 2, false}; return true;
    case aatLogOff: call = {false, base + 0, false}; return true;
    case aatSuspend: call = {true, 0, true}; return true;
    case aatHibernate: call = {true, 0, false}; return true;
  }
  return false;
}

}  // namespace autorun
