#include "scenario.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>

#include "tvtrace/piece_log.h"

namespace {

std::string ExpandWindowsDirectory(std::string text, const std::string& windowsDirectory) {
  const std::string kPlaceholder = "%WINDIR%";
  for (std::size_t at = text.find(kPlaceholder); at != std::string::npos;
       at = text.find(kPlaceholder, at + windowsDirectory.size())) {
    text.replace(at, kPlaceholder.size(), windowsDirectory);
  }
  return text;
}

// The system's text for an error code, line end included, as FormatMessageA gives it.
std::string SystemText(DWORD code) {
  char* text = nullptr;
  if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
                     nullptr) == 0) {
    return "(no text for error " + std::to_string(code) + ")";
  }
  std::unique_ptr<char, decltype(&LocalFree)> owned(text, &LocalFree);
  return owned.get();
}

// Replaces each "%MESSAGE:<code>%" by the system's text for that code; none when a
// placeholder is malformed.
std::optional<std::string> ExpandMessages(std::string text) {
  const std::string kOpening = "%MESSAGE:";
  for (std::size_t at = text.find(kOpening); at != std::string::npos;
       at = text.find(kOpening, at)) {
    const std::size_t digits = at + kOpening.size();
    const std::size_t end = text.find('%', digits);
    if (end == std::string::npos || end == digits ||
        text.find_first_not_of("0123456789", digits) != end) {
      return std::nullopt;
    }
    const std::string message = SystemText(std::stoul(text.substr(digits, end - digits)));
    text.replace(at, end + 1 - at, message);
    at += message.size();
  }
  return text;
}

// Splits "word rest" at the first blank.
std::pair<std::string, std::string> TakeWord(const std::string& line) {
  const std::size_t blank = line.find(' ');
  if (blank == std::string::npos) return {line, ""};
  return {line.substr(0, blank), line.substr(blank + 1)};
}

// A stub service stops at once, slowly or never; a stub program quits on WM_QUIT or not.
bool KnownBehaviour(const std::string& kind, const std::string& behaviour) {
  if (kind == "service") {
    return behaviour == "normal" || behaviour == "slow" || behaviour == "refusing";
  }
  return behaviour == "quits" || behaviour == "ignores";
}

// "Q:\notes.txt": a letter, a colon, a backslash and a name.
bool IsFileInADrivesRoot(const std::string& path) {
  return path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         path[2] == '\\' && path.find('\\', 3) == std::string::npos;
}

class Reader {
 public:
  Reader(Scenario& scenario, const std::string& windowsDirectory)
      : scenario_(scenario), windowsDirectory_(windowsDirectory) {}

  bool ReadFile(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return Fail(error, path, 0, "cannot be read");
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      std::string problem = ReadLine(path, line, error);
      if (!problem.empty()) return Fail(error, path, number, problem);
      if (!error->empty()) return false;  // from an included file
    }
    return true;
  }

 private:
  static bool Fail(std::string* error, const std::string& path, int line,
                   const std::string& problem) {
    *error = path + ":" + std::to_string(line) + ": " + problem;
    return false;
  }

  std::string Expand(const std::string& text) const {
    return ExpandWindowsDirectory(text, windowsDirectory_);
  }

  std::optional<std::string> Piece(const std::string& escaped) const {
    std::optional<std::string> piece = UnescapePiece(escaped);
    if (!piece) return piece;
    return ExpandMessages(Expand(*piece));
  }

  // Reads one line into the scenario; returns what is wrong with it, or nothing.
  std::string ReadLine(const std::string& path, const std::string& line, std::string* error) {
    auto [word, rest] = TakeWord(line);
    if (word == "windows") {
      std::optional<WindowsVersion> version = WindowsVersionNamed(rest);
      if (!version) return "unknown Windows version " + rest;
      scenario_.windows = rest;
      scenario_.version = *version;
    } else if (word == "install") {
      if (!ParseSampleVariant(rest, &scenario_.variant)) return "unknown install variant " + rest;
    } else if (word == "app-path") {
      if (rest.empty()) return "app-path needs a directory";
      scenario_.appPath = rest;  // as written: its spelling is what is tried
    } else if (word == "current-directory") {
      scenario_.currentDirectory = Expand(rest);
    } else if (word == "caption") {
      scenario_.caption = Expand(rest);
    } else if (word == "box") {
      auto [pressed, afterPressed] = TakeWord(rest);
      auto [buttons, text] = TakeWord(afterPressed);
      std::optional<std::string> piece = Piece(text);
      if (!piece || buttons.empty()) return "a box needs: <pressed> <buttons> <text>";
      scenario_.boxes.push_back({pressed, buttons, *piece});
    } else if (word == "exit") {
      std::istringstream number(rest);
      if (!(number >> scenario_.exitCode)) return "exit needs a number";
    } else if (word == "trace") {
      std::optional<std::string> piece = Piece(rest);
      if (!piece) return "bad escape or message code in trace piece";
      scenario_.trace.push_back(*piece);
    } else if (word == "key" || word == "value" || word == "file" || word == "group" ||
               word == "item") {
      auto [presence, target] = TakeWord(rest);
      if (presence != "present" && presence != "absent") return word + " needs present or absent";
      StateExpectation expectation{presence == "present", Expand(target), std::nullopt};
      if (word == "value" || word == "item") {
        const std::size_t bar = expectation.path.find('|');
        if (bar == std::string::npos) {
          return word == "value" ? "a value needs <key>|<name>" : "an item needs <group>|<name>";
        }
        expectation.value = expectation.path.substr(bar + 1);
        expectation.path.erase(bar);
      }
      ExpectationsOf(word).push_back(expectation);
    } else if (word == "hold") {
      scenario_.held.push_back(Expand(rest));
    } else if (word == "pending") {
      scenario_.pending.push_back(Expand(rest));
    } else if (word == "log") {
      scenario_.log = Expand(rest);
    } else if (word == "log-summary") {
      std::optional<std::string> line = Piece(rest);
      if (!line) return "bad escape or message code in log-summary line";
      scenario_.logSummary += *line + "\n";
    } else if (word == "launch") {
      scenario_.launches.push_back(Expand(rest));
    } else if (word == "power-cut") {
      PowerCutMoment moment;
      if (!ParsePowerCutMoment(rest, &moment)) return "unknown power-cut moment " + rest;
      if (scenario_.powerCut) return "a scenario has one power cut";
      scenario_.powerCut = moment;
      scenario_.cutRunBoxes = std::move(scenario_.boxes);
      scenario_.boxes.clear();
    } else if (word == "second-copy") {
      char* end = nullptr;
      const long code = std::strtol(rest.c_str(), &end, 10);
      if (rest.empty() || *end != '\0') return "second-copy needs an exit code";
      scenario_.secondCopyExit = code;
    } else if (word == "winsim-only") {
      scenario_.winsimOnly = rest;  // the Wine runner skips the scenario
    } else if (word == "c-runtime") {
      scenario_.cRuntime = rest;  // the Wine runner's to check: winsim loads no DLLs
    } else if (word == "setup") {
      return ReadSetup(rest);
    } else if (word == "service" || word == "window") {
      auto [state, name] = TakeWord(rest);
      const bool known = word == "service"
                             ? state == "running" || state == "stopped" || state == "absent"
                             : state == "present" || state == "absent";
      if (!known || name.empty()) return word + " needs a state and a name";
      scenario_.components.push_back({word, state, name});
    } else if (word == "include") {
      const std::size_t slash = path.find_last_of("/\\");
      const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
      ReadFile(folder + rest, error);
    } else {
      return "unknown line " + word;
    }
    return "";
  }

  std::vector<StateExpectation>& ExpectationsOf(const std::string& word) {
    if (word == "file") return scenario_.files;
    if (word == "group" || word == "item") return scenario_.programGroups;
    return scenario_.keys;
  }

  std::string ReadSetup(const std::string& rest) {
    auto [kind, afterKind] = TakeWord(rest);
    SetupStep step{kind, "", afterKind};
    if (kind == "service" || kind == "program") {
      auto [behaviour, name] = TakeWord(afterKind);
      if (!KnownBehaviour(kind, behaviour))
        return "unknown behaviour of a " + kind + ": " + behaviour;
      step.behaviour = behaviour;
      step.name = name;
    } else if (kind == "setting") {
      if (afterKind.find('=') == std::string::npos) return "setup setting needs <Key>=<value>";
      step.name = Expand(afterKind);
    } else if (kind == "drive") {
      if (!IsFileInADrivesRoot(afterKind)) return "setup drive needs <letter>:\\<file>";
    } else if (kind == "file") {  // the runner's to make, not e2e_setup.exe's to start
      if (afterKind.size() < 4 || afterKind[1] != ':' || afterKind[2] != '\\')
        return "setup file needs <letter>:\\<path>";
      scenario_.userFiles.push_back(afterKind);
      return "";
    } else if (kind == "value") {  // written by the runner's setup, not started
      return ReadSetupValue(Expand(afterKind));
    } else if (kind != "event-source" && kind != "device") {
      return "unknown setup " + kind;
    }
    if (step.name.empty()) return "setup " + kind + " needs a name";
    scenario_.setup.push_back(step);
    return "";
  }

  // "HKCU\key|name=text": the root, a key, a name (none for the default value) and text.
  std::string ReadSetupValue(const std::string& line) {
    const std::size_t bar = line.find('|');
    const std::size_t equals = bar == std::string::npos ? bar : line.find('=', bar);
    const std::string key = line.substr(0, bar);
    const bool known = key.rfind("HKLM\\", 0) == 0 || key.rfind("HKCU\\", 0) == 0;
    if (equals == std::string::npos || !known || key.size() == 5)
      return "setup value needs <HKLM|HKCU>\\<key>|<name>=<text>";
    scenario_.setupValues.push_back({key, line.substr(bar + 1, equals - bar - 1), line.substr(equals + 1)});
    return "";
  }

  Scenario& scenario_;
  const std::string& windowsDirectory_;
};

}  // namespace

std::optional<WindowsVersion> WindowsVersionNamed(const std::string& name) {
  if (name == "win95") return WindowsVersion{4, 0, 950, false};
  if (name == "nt351") return WindowsVersion{3, 51, 1057};
  if (name == "nt40") return WindowsVersion{4, 0, 1381};
  if (name == "win2k") return WindowsVersion{5, 0, 2195};
  if (name == "winxp") return WindowsVersion{5, 1, 2600};
  if (name == "win10") return WindowsVersion{10, 0, 19045};
  return std::nullopt;
}

Scenario CutRunOf(const Scenario& scenario) {
  Scenario cutRun = scenario;
  cutRun.boxes = scenario.cutRunBoxes;
  return cutRun;
}

std::optional<Scenario> LoadScenario(const std::string& path, const std::string& windowsDirectory,
                                     std::string* error) {
  Scenario scenario;
  const std::size_t slash = path.find_last_of("/\\");
  scenario.name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  scenario.name = scenario.name.substr(0, scenario.name.rfind('.'));
  error->clear();
  if (!Reader(scenario, windowsDirectory).ReadFile(path, error)) return std::nullopt;
  return scenario;
}
