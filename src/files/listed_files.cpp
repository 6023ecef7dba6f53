#include "files/listed_files.h"

#include <windows.h>

#include "support/trace.h"

void ReadFileList(const char* profilePath, FileList& list) {
  Trace("Retrieving file list...\n");
  TraceValue("File list ini file: ", profilePath);
  list.clear();
  for (unsigned number = 1;; ++number) {
    std::string key = "File" + std::to_string(number);
    char entry[MAX_PATH] = "";
    if (GetPrivateProfileStringA("Files", key.c_str(), "", entry, sizeof entry, profilePath) == 0) {
      break;
    }
    TraceValue("Putting file in the list: ", entry);
    list.emplace_back(entry);
  }
}

// Placeholder until the listed-file removal is built: removes nothing.
void RemoveListedFiles(const char*, FileList&) {}
