#include "verdict.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "launch_record.h"
#include "program_groups.h"
#include "second_copy.h"
#include "support/ascii.h"
#include "support/handles.h"
#include "tvtrace/piece_log.h"

namespace {

std::string Shown(const std::string& text) {
  std::string shown = "\"";
  shown += EscapePiece(text);
  shown += '"';
  return shown;
}

void CompareLists(const char* what, const std::vector<std::string>& expected,
                  const std::vector<std::string>& actual, bool ignoreCase,
                  std::vector<std::string>& differences) {
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common; ++i) {
    const bool same = expected[i] == kAnyPiece ||
                      (ignoreCase ? EqualIgnoringAsciiCase(expected[i], actual[i]) : expected[i] == actual[i]);
    if (!same) {
      differences.push_back(std::string(what) + " " + std::to_string(i + 1) + ": expected " +
                            Shown(expected[i]) + ", got " + Shown(actual[i]));
      return;  // what follows a first difference is mostly its echo
    }
  }
  for (std::size_t i = common; i < expected.size(); ++i) {
    differences.push_back(std::string(what) + " " + std::to_string(i + 1) +
                          " missing: " + Shown(expected[i]));
  }
  for (std::size_t i = common; i < actual.size(); ++i) {
    differences.push_back(std::string(what) + " " + std::to_string(i + 1) +
                          " not expected: " + Shown(actual[i]));
  }
}

bool SplitRoot(const std::string& path, HKEY* root, std::string* key) {
  const std::pair<const char*, HKEY> roots[] = {
      {"HKLM", HKEY_LOCAL_MACHINE}, {"HKCR", HKEY_CLASSES_ROOT}, {"HKCU", HKEY_CURRENT_USER}};
  const std::size_t slash = path.find('\\');
  for (const auto& [name, handle] : roots) {
    if (path.substr(0, slash) == name) {
      *root = handle;
      *key = slash == std::string::npos ? "" : path.substr(slash + 1);
      return true;
    }
  }
  return false;
}

// Whether the key (and, when one is named, its value) exists; none for a bad root.
std::optional<bool> RegistryHas(const StateExpectation& expectation) {
  HKEY root = nullptr;
  std::string key;
  if (!SplitRoot(expectation.path, &root, &key)) return std::nullopt;
  RegKey opened;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS)
    return false;
  if (!expectation.value) return true;
  return RegQueryValueExA(opened.Get(), expectation.value->c_str(), nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Presence(bool present) { return present ? "present" : "absent"; }

// A Win32 service's state in a scenario's words: "running", "stopped", "absent", or the
// state's number while it is between the two.
std::string ServiceStateNamed(const std::string& name) {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return "unknown (no service manager, error " + std::to_string(GetLastError()) + ")";
  ServiceHandle service(OpenServiceA(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS));
  if (!service) {
    if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return "absent";
    return "unknown (error " + std::to_string(GetLastError()) + ")";
  }
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.Get(), &status))
    return "unknown (error " + std::to_string(GetLastError()) + ")";
  if (status.dwCurrentState == SERVICE_RUNNING) return "running";
  if (status.dwCurrentState == SERVICE_STOPPED) return "stopped";
  return "in state " + std::to_string(status.dwCurrentState);
}

// A value's data as text (a string up to its terminator, a number in decimal), for
// showing; empty when it cannot be read.
std::string ValueText(const StateExpectation& expectation) {
  HKEY root = nullptr;
  std::string key;
  RegKey opened;
  if (!expectation.value || !SplitRoot(expectation.path, &root, &key) ||
      RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS) {
    return "";
  }
  DWORD type = 0;
  char data[MAX_PATH] = "";
  DWORD size = sizeof data - 1;
  if (RegQueryValueExA(opened.Get(), expectation.value->c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) {
    return "";
  }
  if (type == REG_DWORD) {
    DWORD number = 0;
    std::memcpy(&number, data, sizeof number);
    return std::to_string(number);
  }
  return data;
}

// How a service is started, from its key's "Start" value, as the Services control panel
// names it.
std::string StartTypeNamed(const std::string& name) {
  const StateExpectation start{true, "HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + name,
                               "Start"};
  const char* const kNames[] = {"boot", "system", "automatic", "manual", "disabled"};
  const std::string number = ValueText(start);
  if (number.size() == 1 && number[0] >= '0' && number[0] <= '4') return kNames[number[0] - '0'];
  return RegistryHas({true, start.path, std::nullopt}).value_or(false) ? "unknown"
                                                                       : "none, its key is deleted";
}

std::string ProgramManagerEntry(const StateExpectation& expectation) {
  return expectation.value ? "item " + expectation.path + "|" + *expectation.value
                           : "group " + expectation.path;
}

std::string ComponentState(const ComponentExpectation& expectation) {
  if (expectation.kind == "service") return ServiceStateNamed(expectation.name);
  return Presence(FindWindowA(expectation.name.c_str(), nullptr) != nullptr);
}

// The log holds the run's own trace (as captured, not as expected) between its first
// line and the line of its exit code, a completed run's summary just before that one.
void CompareLog(const Scenario& scenario, const Observed& observed, std::vector<std::string>& differences) {
  if (!observed.log) {
    differences.push_back("log " + scenario.log + ": missing");
    return;
  }
  const std::string& log = *observed.log;
  const std::size_t firstLineEnd = log.find('\n');
  const std::string kFirstLineStart = "Run of tvuninst.exe ";
  if (log.rfind(kFirstLineStart, 0) != 0 || firstLineEnd == std::string::npos) {
    differences.push_back("log: the first line is missing: " + Shown(log.substr(0, 80)));
    return;
  }
  std::string expected;
  for (const std::string& piece : observed.trace) expected += piece;
  expected += scenario.logSummary + "Run ended with exit code " + std::to_string(observed.exitCode) + "\n";
  const std::string body = log.substr(firstLineEnd + 1);
  if (body != expected) {
    const std::size_t at = std::mismatch(body.begin(), body.end(), expected.begin(), expected.end()).first -
                           body.begin();
    differences.push_back("log: differs from the trace at character " + std::to_string(at) + ": " +
                          Shown(body.substr(at, 60)) + " instead of " + Shown(expected.substr(at, 60)));
  }
}

}  // namespace

std::string PendingPath(std::string path) {
  if (path.rfind("\\??\\", 0) == 0) path.erase(0, 4);
  return path;
}

std::vector<std::string> DescribeMachine(const Scenario& scenario) {
  auto line = [](bool present, const std::string& what) {
    std::string text = Presence(present);
    text.resize(9, ' ');
    return text + what;
  };
  std::vector<std::string> lines;
  for (const ComponentExpectation& component : scenario.components) {
    std::string state = ComponentState(component);
    if (component.kind == "service" && state != "absent")
      state += ", start type " + StartTypeNamed(component.name);
    lines.push_back(component.kind + "  " + component.name + ": " + state);
  }
  for (const StateExpectation& key : scenario.keys) {
    std::string what = key.path;
    const bool present = RegistryHas(key).value_or(false);
    if (key.value) what += " (value \"" + *key.value + "\")";
    if (key.value && present) what += " = " + ValueText(key);
    lines.push_back(line(present, what));
  }
  for (const StateExpectation& file : scenario.files)
    lines.push_back(line(FileExists(file.path), file.path));
  for (const StateExpectation& entry : scenario.programGroups) {
    lines.push_back(line(ProgramManagerHas(entry.path, entry.value).value_or(false),
                         "Program Manager " + ProgramManagerEntry(entry)));
  }
  return lines;
}

std::vector<std::string> CompareRun(const Scenario& scenario, const Observed& observed) {
  std::vector<std::string> differences;
  if (observed.exitCode != scenario.exitCode) {
    differences.push_back("exit code: expected " + std::to_string(scenario.exitCode) + ", got " +
                          std::to_string(observed.exitCode));
  }
  std::vector<std::string> expectedBoxes, actualBoxes;
  for (const ExpectedBox& box : scenario.boxes) {
    expectedBoxes.push_back(scenario.caption + " | " + box.buttons + " | " + box.text +
                            " | pressed " + box.pressed);
  }
  for (const ObservedBox& box : observed.boxes) {
    actualBoxes.push_back(box.caption + " | " + box.buttons + " | " + box.text + " | pressed " +
                          box.pressed);
  }
  CompareLists("box", expectedBoxes, actualBoxes, false, differences);
  if (!scenario.powerCut || !scenario.trace.empty())
    CompareLists("trace piece", scenario.trace, observed.trace, false, differences);
  if (!scenario.log.empty()) CompareLog(scenario, observed, differences);
  return differences;
}

std::vector<std::string> CompareMachine(const Scenario& scenario,
                                        const std::vector<std::string>& pending) {
  std::vector<std::string> differences;
  for (const StateExpectation& expectation : scenario.keys) {
    const std::string what = expectation.path + (expectation.value ? "|" + *expectation.value : "");
    std::optional<bool> present = RegistryHas(expectation);
    if (!present) {
      differences.push_back("registry " + what + ": unknown root key");
    } else if (*present != expectation.present) {
      differences.push_back("registry " + what + ": expected " + Presence(expectation.present) +
                            ", is " + Presence(*present));
    }
  }
  for (const StateExpectation& expectation : scenario.files) {
    const bool present = FileExists(expectation.path);
    if (present != expectation.present) {
      differences.push_back("file " + expectation.path + ": expected " +
                            Presence(expectation.present) + ", is " + Presence(present));
    }
  }
  for (const StateExpectation& expectation : scenario.programGroups) {
    const std::string what = "Program Manager " + ProgramManagerEntry(expectation);
    std::optional<bool> present = ProgramManagerHas(expectation.path, expectation.value);
    if (!present) {
      differences.push_back(what + ": cannot be read");
    } else if (*present != expectation.present) {
      differences.push_back(what + ": expected " + Presence(expectation.present) + ", is " +
                            Presence(*present));
    }
  }
  for (const ComponentExpectation& expectation : scenario.components) {
    const std::string state = ComponentState(expectation);
    if (state != expectation.state) {
      differences.push_back(expectation.kind + " " + expectation.name + ": expected " +
                            expectation.state + ", is " + state);
    }
  }
  CompareLists("launch", scenario.launches, RecordedLaunches(), false, differences);
  const std::optional<long> secondCopy = RecordedSecondCopyExit();
  if (secondCopy != scenario.secondCopyExit) {
    const auto text = [](std::optional<long> code) { return code ? std::to_string(*code) : "(no second copy)"; };
    differences.push_back("second copy's exit code: expected " + text(scenario.secondCopyExit) + ", got " +
                          text(secondCopy));
  }
  std::vector<std::string> pendingPaths;
  for (const std::string& path : pending) pendingPaths.push_back(PendingPath(path));
  CompareLists("pending", scenario.pending, pendingPaths, true, differences);
  return differences;
}

std::vector<std::string> CompareAfterRestart(const Scenario& scenario,
                                             const std::vector<std::string>& pending) {
  std::vector<std::string> differences;
  for (const std::string& path : pending) {
    differences.push_back("pending after restart: " + PendingPath(path));
  }
  for (const std::string& path : scenario.pending) {
    if (FileExists(path)) differences.push_back("still there after restart: " + path);
  }
  return differences;
}
