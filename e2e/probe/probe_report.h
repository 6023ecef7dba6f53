// The probe's output: one line per observation, "<name>: <result>", the same names on
// every machine, so that two runs compare line by line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

void Report(const std::string& name, const std::string& result);

// "TRUE", or "FALSE <last error>" (read at once, before anything else can change it).
std::string Outcome(BOOL succeeded);
// A registry function's status as its number.
std::string Status(LONG status);
std::string Hex(DWORD value);
std::string YesNo(bool yes);
std::string Joined(const std::vector<std::string>& parts);
// The text with its bytes below 0x20 and the backslash escaped, so that NULs and line
// ends show.
std::string Escaped(const std::string& text);

// The probe's own folder and a path in it.
extern const char kProbeRoot[];
std::string InProbe(const std::string& name);
// Makes a file with this content (CREATE_ALWAYS); true when all of it was written.
bool MakeFile(const std::string& path, const std::string& content);
