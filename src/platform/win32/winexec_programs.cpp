#include "platform/win32/winexec_programs.h"

#include <windows.h>

#include <string>

namespace velk0::platform::win32 {

bool WinExecPrograms::start(std::string_view command_line) {
  // WinExec reports success with a value above 31.
  constexpr UINT kFirstSuccess = 32;
  std::string line(command_line);
  if (WinExec(line.c_str(), SW_SHOWMAXIMIZED) >= kFirstSuccess) return true;
  const std::size_t slash = line.find_last_of('\\');
  if (slash == std::string::npos || slash + 1 >= line.size()) return false;
  return WinExec(line.substr(slash + 1).c_str(), SW_SHOWMAXIMIZED) >= kFirstSuccess;
}

}  // namespace velk0::platform::win32
