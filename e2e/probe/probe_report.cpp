#include "probe_report.h"

#include <cstdio>

#include "support/handles.h"

const char kProbeRoot[] = "C:\\tvprobe";

void Report(const std::string& name, const std::string& result) {
  std::printf("%s: %s\n", name.c_str(), result.c_str());
}

std::string Outcome(BOOL succeeded) {
  if (succeeded) return "TRUE";
  return "FALSE " + std::to_string(GetLastError());
}

std::string Status(LONG status) { return std::to_string(status); }

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

std::string YesNo(bool yes) { return yes ? "yes" : "no"; }

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
  return text;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", c);
      out += code;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string InProbe(const std::string& name) { return std::string(kProbeRoot) + "\\" + name; }

bool MakeFile(const std::string& path, const std::string& content) {
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) &&
         written == content.size();
}
