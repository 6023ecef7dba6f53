#include "power_cut.h"

#include <windows.h>

#include <iterator>

#include "launch_record.h"

namespace {

const char kSection[] = "Power";
const char kKey[] = "Cut";
const char kNow[] = "now";  // what the Wine runner watches for
const char* const kMomentNames[] = {"install-shield-start", "install-shield-end"};

}  // namespace

bool ParsePowerCutMoment(const std::string& name, PowerCutMoment* moment) {
  for (std::size_t i = 0; i < std::size(kMomentNames); ++i) {
    if (name == kMomentNames[i]) {
      *moment = static_cast<PowerCutMoment>(i);
      return true;
    }
  }
  return false;
}

void RequestPowerCut(PowerCutMoment moment) {
  WritePrivateProfileStringA(kSection, kKey, kMomentNames[static_cast<int>(moment)],
                             LaunchRecordPath().c_str());
}

std::optional<PowerCutMoment> RequestedPowerCut() {
  char name[64] = "";
  GetPrivateProfileStringA(kSection, kKey, "", name, sizeof name, LaunchRecordPath().c_str());
  PowerCutMoment moment;
  if (!ParsePowerCutMoment(name, &moment)) return std::nullopt;
  return moment;
}

void CutPowerNow() {
  WritePrivateProfileStringA(kSection, kKey, kNow, LaunchRecordPath().c_str());
  LosePower();
}
