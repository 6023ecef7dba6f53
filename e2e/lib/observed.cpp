#include "observed.h"

#include <fstream>
#include <sstream>

#include "scenario.h"
#include "tvtrace/piece_log.h"

namespace {

const char* const kButtonNames[] = {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = path + " cannot be read";
    return false;
  }
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
  }
  return true;
}

}  // namespace

std::string ButtonName(int id) { return id >= 1 && id <= 7 ? kButtonNames[id] : ""; }

int ButtonId(const std::string& name) {
  for (int id = 1; id <= 7; ++id) {
    if (name == kButtonNames[id]) return id;
  }
  return 0;
}

std::string ButtonsOfStyle(unsigned style) {
  switch (style & 0xF) {
    case 0:
      return "OK";
    case 1:
      return "OK,Cancel";
    case 2:
      return "Abort,Retry,Ignore";
    case 3:
      return "Yes,No,Cancel";
    case 4:
      return "Yes,No";
    case 5:
      return "Retry,Cancel";
    default:
      return "";
  }
}

std::string ChooseAnswer(const Scenario& scenario, std::size_t index, const std::string& caption,
                         const std::string& buttons) {
  if (index < scenario.boxes.size() && caption == scenario.caption) {
    const std::string& answer = scenario.boxes[index].pressed;
    if (("," + buttons + ",").find("," + answer + ",") != std::string::npos) return answer;
  }
  const std::size_t comma = buttons.rfind(',');
  return comma == std::string::npos ? buttons : buttons.substr(comma + 1);
}

std::string BoxLogLine(const ObservedBox& box) {
  return "box " + box.pressed + "\t" + box.buttons + "\t" + EscapePiece(box.caption) + "\t" +
         EscapePiece(box.text);
}

std::string ExitLogLine(long exitCode) { return "exit " + std::to_string(exitCode); }

bool ReadBoxLog(const std::string& path, Observed* observed, std::string* error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines, error)) return false;
  bool exitSeen = false;
  for (const std::string& line : lines) {
    if (line.rfind("elapsed ", 0) == 0) continue;  // for the benchmark
    if (line.rfind("exit ", 0) == 0) {
      observed->exitCode = std::stol(line.substr(5));
      exitSeen = true;
      continue;
    }
    std::vector<std::string> fields = Split(line.rfind("box ", 0) == 0 ? line.substr(4) : "", '\t');
    std::optional<std::string> caption =
        fields.size() == 4 ? UnescapePiece(fields[2]) : std::nullopt;
    std::optional<std::string> text = fields.size() == 4 ? UnescapePiece(fields[3]) : std::nullopt;
    if (!caption || !text) {
      *error = path + ": malformed line: " + line;
      return false;
    }
    observed->boxes.push_back({*caption, *text, fields[1], fields[0]});
  }
  if (!exitSeen) *error = path + ": the program's exit code is missing";
  return exitSeen;
}

bool ReadPieceLog(const std::string& path, std::vector<std::string>* trace, std::string* error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines, error)) return false;
  for (const std::string& line : lines) {
    std::optional<std::string> piece = line.rfind('#', 0) == 0 ? line : UnescapePiece(line);
    if (!piece) {
      *error = path + ": malformed piece: " + line;
      return false;
    }
    trace->push_back(*piece);
  }
  return true;
}
