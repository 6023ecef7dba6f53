#include "launch_record.h"

#include <windows.h>

namespace {

std::string Key(std::size_t number) { return "Launch" + std::to_string(number); }

}  // namespace

std::string LaunchRecordPath() {
  char directory[MAX_PATH] = "";
  UINT length = GetWindowsDirectoryA(directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) return "";
  return std::string(directory) + "\\" + kLaunchRecordName;
}

void RecordLaunch(const std::string& commandLine) {
  const std::string path = LaunchRecordPath();
  const std::size_t number = RecordedLaunches().size() + 1;
  // Quoted, so that the profile keeps blanks at either end of the command line.
  WritePrivateProfileStringA("Launches", Key(number).c_str(), ("\"" + commandLine + "\"").c_str(),
                             path.c_str());
}

std::vector<std::string> RecordedLaunches() {
  const std::string path = LaunchRecordPath();
  std::vector<std::string> launches;
  for (std::size_t number = 1;; ++number) {
    char commandLine[1024] = "";
    if (GetPrivateProfileStringA("Launches", Key(number).c_str(), "", commandLine,
                                 sizeof commandLine, path.c_str()) == 0) {
      return launches;
    }
    launches.emplace_back(commandLine);
  }
}
