#include "second_copy.h"

#include <windows.h>

#include <string>

#include "launch_record.h"

namespace {

const char kSection[] = "SecondCopy";

}  // namespace

void RequestSecondCopy() {
  WritePrivateProfileStringA(kSection, "Requested", "1", LaunchRecordPath().c_str());
}

bool SecondCopyRequested() {
  return GetPrivateProfileIntA(kSection, "Requested", 0, LaunchRecordPath().c_str()) == 1;
}

void RecordSecondCopyExit(long exitCode) {
  WritePrivateProfileStringA(kSection, "Exit", std::to_string(exitCode).c_str(), LaunchRecordPath().c_str());
}

std::optional<long> RecordedSecondCopyExit() {
  char text[32] = "";
  GetPrivateProfileStringA(kSection, "Exit", "", text, sizeof text, LaunchRecordPath().c_str());
  if (text[0] == '\0') return std::nullopt;
  return std::stol(text);
}
