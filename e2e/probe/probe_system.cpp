// Profiles, system message texts, the environment, starting programs, and the service
// manager.
#include <windows.h>

#include <cstring>
#include <vector>

#include "probe.h"
#include "probe_report.h"
#include "support/handles.h"

namespace {

// A section named twice, quoting, blanks, numbers in several bases.
const char kProfile[] =
    "[Strings]\r\n"
    "Caption =  \"Quoted text\"  \r\n"
    "Spaced =   padded value   \r\n"
    "Single='single'\r\n"
    "Long=0123456789abcdef\r\n"
    "Caption=the same key again\r\n"
    "[Settings]\r\n"
    "Int=42x\r\n"
    "Hex=0x1F\r\n"
    "Negative=-7\r\n"
    "Empty=\r\n"
    "[ strings ]\r\n"
    "Second=from the second section\r\n"
    "Caption=from the second section\r\n";

std::string ProfileText(const char* section, const char* key, DWORD capacity = 64,
                        const char* file = "probe.ini") {
  char text[64] = "";
  const DWORD length =
      GetPrivateProfileStringA(section, key, "default", text, capacity, InProbe(file).c_str());
  return std::to_string(length) + " \"" + text + "\"";
}

// A missing key's default, as given back: which of its blanks stay.
std::string ProfileDefault(const char* fallback) {
  char text[64] = "";
  const DWORD length = GetPrivateProfileStringA("Strings", "None", fallback, text, sizeof text, InProbe("probe.ini").c_str());
  return std::to_string(length) + " \"" + text + "\"";
}

// The last error that reading a missing profile leaves.
std::string MissingProfileError() {
  char text[64] = "";
  SetLastError(ERROR_SUCCESS);
  GetPrivateProfileStringA("Strings", "Caption", "default", text, sizeof text, InProbe("none.ini").c_str());
  return "last error " + std::to_string(GetLastError());
}

std::string ProfileNumber(const char* key) {
  return std::to_string(GetPrivateProfileIntA("Settings", key, 5, InProbe("probe.ini").c_str()));
}

// How the system's text for `code` ends and how many line ends it holds, which the
// program's trace depends on (the wording is each system's own).
std::string MessageShape(DWORD code, DWORD flags) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | flags, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0, nullptr);
  if (length == 0) return "FAILED " + std::to_string(GetLastError());
  const std::string message(text, length);
  LocalFree(text);
  int lineEnds = 0, bareLineFeeds = 0;
  for (std::size_t at = message.find('\n'); at != std::string::npos;
       at = message.find('\n', at + 1)) {
    ++(at > 0 && message[at - 1] == '\r' ? lineEnds : bareLineFeeds);
  }
  const bool endsWithLineEnd =
      message.size() >= 2 && message.compare(message.size() - 2, 2, "\r\n") == 0;
  return "ends with CRLF " + YesNo(endsWithLineEnd) + ", line ends " + std::to_string(lineEnds) +
         ", bare LF " + YesNo(bareLineFeeds > 0) + ", has inserts " +
         YesNo(message.find("%1") != std::string::npos);
}

// `source` expanded into a buffer of `capacity` characters: the size reported, and the
// text when it fitted (a buffer too small holds nothing to rely on).
std::string Expanded(const char* source, DWORD capacity = 64) {
  char text[64] = "";
  const DWORD size = ExpandEnvironmentStringsA(source, text, capacity);
  if (size == 0) return "FAILED " + std::to_string(GetLastError());
  std::string result = "size " + std::to_string(size);
  if (size <= capacity) result += ", " + Escaped(text);
  return result;
}

// Whether `source` expands to the Windows directory, which differs between machines.
std::string IsWindowsDirectory(const char* source) {
  char windows[MAX_PATH] = "", text[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  const DWORD size = ExpandEnvironmentStringsA(source, text, sizeof text);
  return "the Windows directory " + YesNo(length > 0 && std::strcmp(text, windows) == 0) +
         ", size counts the terminator " + YesNo(size == length + 1);
}

// Starts a program and waits for it: "TRUE" and the wait's result, or the failure.
std::string Start(const char* application, std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return Outcome(FALSE);
  }
  const KernelHandle processHandle(process.hProcess);
  const KernelHandle threadHandle(process.hThread);
  return "TRUE, wait " + std::to_string(WaitForSingleObject(processHandle.Get(), INFINITE));
}

// A named mutex: the last error of a first and a second CreateMutexA, and of one made
// again once every handle to it was closed.
std::string Created(KernelHandle& mutex) {
  SetLastError(ERROR_SUCCESS);
  mutex = KernelHandle(CreateMutexA(nullptr, FALSE, "TvProbe mutex"));
  return (mutex ? "handle" : "FAILED") + std::string(", last error ") + std::to_string(GetLastError());
}

void ProbeMutexes() {
  KernelHandle first, second;
  Report("mutex.first", Created(first));
  Report("mutex.second", Created(second));
  first.Reset();
  second.Reset();
  Report("mutex.after-closing", Created(first));
}

ServiceHandle CreateProbeService(SC_HANDLE manager, const std::string& name) {
  return ServiceHandle(
      CreateServiceA(manager, name.c_str(), ("Display " + name).c_str(), SERVICE_ALL_ACCESS,
                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                     InProbe("child.exe").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

std::string Query(SC_HANDLE service) {
  SERVICE_STATUS status{};
  const std::string outcome = Outcome(QueryServiceStatus(service, &status));
  return outcome + ", state " + std::to_string(status.dwCurrentState);
}

DWORD RecordBytes(const ENUM_SERVICE_STATUSA& record) {
  return static_cast<DWORD>(sizeof record + std::strlen(record.lpServiceName) + 1 +
                            std::strlen(record.lpDisplayName) + 1);
}

std::string Compared(DWORD reported, DWORD actual) {
  return reported == actual ? "exact" : reported > actual ? "more" : "less";
}

// EnumServicesStatusA over every Win32 service: at once, with no buffer, in half the
// buffer, and continued from the resume handle.
void ProbeServiceEnumeration(SC_HANDLE manager) {
  const DWORD kType = SERVICE_WIN32, kState = SERVICE_STATE_ALL;
  std::vector<ENUM_SERVICE_STATUSA> all(0x40000 / sizeof(ENUM_SERVICE_STATUSA));
  DWORD needed = 0, returned = 0, resume = 0;
  const BOOL listed = EnumServicesStatusA(manager, kType, kState, all.data(),
                                          static_cast<DWORD>(all.size() * sizeof all[0]), &needed,
                                          &returned, &resume);
  std::vector<DWORD> bytes;
  DWORD total = 0;
  int probes = 0;
  for (DWORD i = 0; listed && i < returned; ++i) {
    bytes.push_back(RecordBytes(all[i]));
    total += bytes.back();
    probes += std::strncmp(all[i].lpServiceName, "TvProbe", 7) == 0;
  }
  Report("services.enum-whole-list", Outcome(listed) + ", probe services " +
                                         std::to_string(probes) + ", resume " +
                                         std::to_string(resume));
  if (!listed) return;

  resume = 0;
  BOOL result =
      EnumServicesStatusA(manager, kType, kState, nullptr, 0, &needed, &returned, &resume);
  Report("services.enum-without-buffer",
         Outcome(result) + ", returned " + std::to_string(returned) + ", resume " +
             std::to_string(resume) + ", size needed against the whole list " +
             Compared(needed, total));

  std::vector<ENUM_SERVICE_STATUSA> half(total / 2 / sizeof(ENUM_SERVICE_STATUSA) + 1);
  resume = 0;
  result = EnumServicesStatusA(manager, kType, kState, half.data(), total / 2, &needed, &returned,
                               &resume);
  bool named = returned > 0;
  DWORD written = 0;
  for (DWORD i = 0; i < returned && i < bytes.size(); ++i) {
    named = named && half[i].lpServiceName &&
            std::strcmp(half[i].lpServiceName, all[i].lpServiceName) == 0;
    written += bytes[i];
  }
  Report("services.enum-half-buffer",
         Outcome(result) + ", some returned " + YesNo(returned > 0) + ", all named in order " +
             YesNo(named) + ", resume at the next " + YesNo(resume == returned) +
             ", size needed against the rest " + Compared(needed, total - written));

  const DWORD first = returned;
  std::vector<ENUM_SERVICE_STATUSA> rest(all.size());
  result = EnumServicesStatusA(manager, kType, kState, rest.data(),
                               static_cast<DWORD>(rest.size() * sizeof rest[0]), &needed, &returned,
                               &resume);
  const bool continues = result && returned > 0 && first < bytes.size() &&
                         std::strcmp(rest[0].lpServiceName, all[first].lpServiceName) == 0;
  Report("services.enum-resumed", Outcome(result) + ", goes on after the first part " +
                                      YesNo(continues) + ", the rest returned " +
                                      YesNo(returned == bytes.size() - first) + ", resume " +
                                      std::to_string(resume));
}

}  // namespace

void ProbeProfile() {
  MakeFile(InProbe("probe.ini"), kProfile);
  Report("profile.quoted", ProfileText("Strings", "Caption"));
  Report("profile.blanks", ProfileText("strings", "SPACED"));
  Report("profile.single-quotes", ProfileText("Strings", "Single"));
  Report("profile.cut-to-capacity", ProfileText("Strings", "Long", 8));
  Report("profile.second-section", ProfileText("Strings", "Second"));
  Report("profile.missing-key", ProfileText("Strings", "None"));
  Report("profile.missing-section", ProfileText("None", "Caption"));
  Report("profile.missing-file", ProfileText("Strings", "Caption", 64, "none.ini"));
  Report("profile.default-with-blanks", ProfileDefault("  padded default  "));
  Report("profile.missing-file-error", MissingProfileError());
  Report("profile.number-with-text", ProfileNumber("Int"));
  Report("profile.number-hex", ProfileNumber("Hex"));
  Report("profile.number-negative", ProfileNumber("Negative"));
  Report("profile.number-empty", ProfileNumber("Empty"));
  Report("profile.number-missing", ProfileNumber("None"));
}

void ProbeMessages() {
  for (DWORD code : {2, 3, 5, 32, 87, 145, 1051, 1060, 1062, 1072}) {
    Report("message." + std::to_string(code), MessageShape(code, FORMAT_MESSAGE_IGNORE_INSERTS));
  }
  Report("message.34-inserts-ignored", MessageShape(34, FORMAT_MESSAGE_IGNORE_INSERTS));
  Report("message.missing", MessageShape(0x2BADF00D, FORMAT_MESSAGE_IGNORE_INSERTS));
}

void ProbeEnvironment() {
  Report("environment.system-drive", Expanded("%SystemDrive%\\tvprobe"));
  Report("environment.system-root", IsWindowsDirectory("%SystemRoot%"));
  Report("environment.windir-any-case", IsWindowsDirectory("%WINDIR%"));
  Report("environment.undefined", Expanded("a%TVPROBE_UNDEFINED%b"));
  Report("environment.unpaired-percent", Expanded("%SystemDrive% 100%"));
  Report("environment.buffer-too-small", Expanded("%SystemDrive%\\tvprobe", 4));
}

void ProbeProcesses(const std::string& childProgram) {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  const std::string inWindows = std::string(windows) + "\\tvprobe_child.exe";
  CreateDirectoryA(InProbe("two words").c_str(), nullptr);
  for (const std::string& copy :
       {InProbe("child.exe"), InProbe("two words\\child.exe"), inWindows}) {
    if (!CopyFileA(childProgram.c_str(), copy.c_str(), FALSE))
      Report("process.copy " + copy, Outcome(FALSE));
  }
  Report("process.application", Start(InProbe("child.exe").c_str(), "child.exe child"));
  Report("process.application-without-extension", Start(InProbe("child").c_str(), "child child"));
  Report("process.application-missing", Start(InProbe("none.exe").c_str(), "none.exe child"));
  Report("process.application-missing-directory",
         Start(InProbe("none\\child.exe").c_str(), "child"));
  Report("process.command-line", Start(nullptr, InProbe("child.exe") + " child"));
  Report("process.command-line-without-extension", Start(nullptr, InProbe("child") + " child"));
  Report("process.command-line-unquoted-blank",
         Start(nullptr, InProbe("two words\\child.exe") + " child"));
  Report("process.command-line-quoted",
         Start(nullptr, std::string("\"") + InProbe("two words\\child.exe") + "\" child"));
  Report("process.command-line-windows-directory", Start(nullptr, "tvprobe_child child"));
  Report("process.command-line-missing", Start(nullptr, InProbe("none.exe") + " child"));
  Report("process.command-line-missing-directory",
         Start(nullptr, InProbe("none\\child.exe") + " child"));
  Report("process.command-line-missing-with-blank",
         Start(nullptr, InProbe("two words\\none.exe") + " child"));
  Report("process.command-line-empty", Start(nullptr, ""));
  DeleteFileA(inWindows.c_str());
  ProbeMutexes();
}

void ProbeServices() {
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  Report("services.open-manager", YesNo(static_cast<bool>(manager)));
  if (!manager) return;
  const ServiceHandle missing(OpenServiceA(manager.Get(), "TvProbeMissing", SERVICE_ALL_ACCESS));
  Report("services.open-missing", Outcome(static_cast<bool>(missing)));
  ServiceHandle a = CreateProbeService(manager.Get(), "TvProbeA");
  Report("services.create", Outcome(static_cast<bool>(a)));
  const ServiceHandle again = CreateProbeService(manager.Get(), "TvProbeA");
  Report("services.create-existing", Outcome(static_cast<bool>(again)));
  const ServiceHandle b = CreateProbeService(manager.Get(), "TvProbeB");
  const ServiceHandle c = CreateProbeService(manager.Get(), "TvProbeC");
  Report(
      "services.open-other-case",
      Outcome(ServiceHandle(OpenServiceA(manager.Get(), "tvprobea", SERVICE_QUERY_STATUS)).Get() !=
              nullptr));
  Report("services.query", Query(a.Get()));
  SERVICE_STATUS status{};
  Report("services.stop-stopped", Outcome(ControlService(a.Get(), SERVICE_CONTROL_STOP, &status)));
  ProbeServiceEnumeration(manager.Get());

  Report("services.delete", Outcome(DeleteService(a.Get())));
  Report("services.delete-again", Outcome(DeleteService(a.Get())));
  Report("services.query-marked", Query(a.Get()));
  Report("services.start-marked", Outcome(StartServiceA(a.Get(), 0, nullptr)));
  {
    const ServiceHandle reopened(OpenServiceA(manager.Get(), "TvProbeA", SERVICE_QUERY_STATUS));
    Report("services.open-marked", Outcome(static_cast<bool>(reopened)));
    const ServiceHandle recreated = CreateProbeService(manager.Get(), "TvProbeA");
    Report("services.create-marked", Outcome(static_cast<bool>(recreated)));
  }
  a.Reset();
  const ServiceHandle gone(OpenServiceA(manager.Get(), "TvProbeA", SERVICE_QUERY_STATUS));
  Report("services.open-after-last-handle", Outcome(static_cast<bool>(gone)));
  DeleteService(b.Get());
  DeleteService(c.Get());
}
