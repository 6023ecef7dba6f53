#include "support/program_paths.h"

#include "support/ascii.h"

namespace {

bool StartsWithIgnoringCase(const std::string& text, std::string_view start) {
  return text.size() >= start.size() && EqualIgnoringAsciiCase(std::string_view(text).substr(0, start.size()), start);
}

}  // namespace

std::string ProgramOf(const std::string& command) {
  const std::size_t start = command.find_first_not_of(' ');
  if (start == std::string::npos) return "";
  if (command[start] == '"') {
    const std::size_t end = command.find('"', start + 1);
    return command.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
  }
  const std::string line = command.substr(start);
  for (std::size_t blank = line.find(' '); blank != std::string::npos; blank = line.find(' ', blank + 1)) {
    if (blank < 4) continue;
    const std::string extension = AsciiLowered(line.substr(blank - 4, 4));
    for (const char* known : {".exe", ".sys", ".com", ".dll"}) {
      if (extension == known) return line.substr(0, blank);
    }
  }
  return line;
}

std::string ServiceImage(const std::string& imagePath, const std::string& windowsDirectory) {
  const std::string program = ProgramOf(imagePath);
  if (StartsWithIgnoringCase(program, "\\SystemRoot\\")) return windowsDirectory + program.substr(11);
  if (StartsWithIgnoringCase(program, "\\??\\")) return program.substr(4);
  const bool relative = !program.empty() && program[0] != '\\' && program.find(':') == std::string::npos;
  return relative ? windowsDirectory + "\\" + program : program;
}
