#include "files/listed_files.h"

#include <windows.h>

#include <optional>

#include "files/directory_listing.h"
#include "files/file_deletion.h"
#include "files/relative_path.h"
#include "files/removal_tally.h"
#include "support/failure_text.h"
#include "support/path_values.h"
#include "support/trace.h"

namespace {

// Listed files and their directories are never scheduled: what is not removed now is
// left, unless it was not there.
void TraceOutcome(const std::string& path, bool isDirectory, bool removed) {
  Trace(removed ? " ...ok\n" : " ...not removed\n");
  // The system's own text, with its own line end; nothing when it has none.
  if (!removed) {
    if (const std::string text = SystemMessage(GetLastError()); !text.empty()) Trace(text);
  }
  LeaveUnlessDeleted(path, isDirectory, removed);
}

// True when a directory on the entry's way is a junction or symbolic link, or one whose
// attributes cannot be read: deleting through it could reach files outside the product
// directory. A directory that is not there leads nowhere.
bool MayLeadThroughLink(const std::string& productDirectory, const std::string& entry) {
  for (std::size_t slash = entry.find_first_of("\\/"); slash != std::string::npos;
       slash = entry.find_first_of("\\/", slash + 1)) {
    const std::string directory = productDirectory + "\\" + entry.substr(0, slash);
    const DWORD attributes = GetFileAttributesA(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
      return true;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  }
  return false;
}

void RemoveListedFile(const std::string& productDirectory, const std::string& entry) {
  if (!IsPlainRelativePath(entry)) {
    TraceValue("File entry refused, not a path inside the VDAV directory: ", entry);
    return;
  }
  const std::optional<std::string> path = ChildPath(productDirectory, entry, false);
  if (!path) return;
  if (MayLeadThroughLink(productDirectory, entry)) {
    TraceValue("File entry refused, its path leads through a link: ", entry);
    return;
  }
  TraceValue("Try to remove the file: ", *path);
  TraceOutcome(*path, false, DeleteProductFile(path->c_str()));
}

void AppendDirectory(const std::string& directory, DirectoryList& list) {
  TraceValue("Putting directory in list: ", directory);
  list.push_back(directory);
}

}  // namespace

void ReadFileList(const char* profilePath, FileList& list) {
  Trace("Retrieving file list...\n");
  TraceValue("File list ini file: ", profilePath);
  list.clear();
  for (unsigned number = 1;; ++number) {
    const std::string key = "File" + std::to_string(number);
    // A value that reads as empty text ends the list as a missing one does, even when
    // the file holds more bytes after a NUL.
    std::string entry;
    const PathValue read = ReadProfilePath(profilePath, "Files", key.c_str(), entry);
    if (read == PathValue::kMissing) break;
    if (read == PathValue::kTooLong) {
      TraceValue("File entry refused, it is too long: ", key);
      continue;
    }
    TraceValue("Putting file in the list: ", entry);
    list.push_back(std::move(entry));
  }
}

void RemoveListedFiles(const char* productDirectory, FileList& list) {
  TraceStep("Phase 1. Removing listed files...\n");
  for (const std::string& entry : list) RemoveListedFile(productDirectory, entry);
  FileList().swap(list);

  TraceStep("Phase 2. Making a list of directories to remove...\n");
  DirectoryList directories;
  CollectDirectories(productDirectory, directories);

  // Deepest first: a directory still holding anything stays, and so do those above it.
  TraceStep("Phase 3. Removing directories in list\n");
  for (const std::string& directory : directories) {
    TraceValue("Try to remove the directory: ", directory);
    TraceOutcome(directory, true, RemoveProductDirectory(directory.c_str()));
  }
}

void CollectDirectories(const std::string& directory, DirectoryList& list) {
  ForEachEntry(directory, [&](const WIN32_FIND_DATAA& entry) {
    if (!IsDirectoryEntry(entry)) return;
    const std::optional<std::string> path = EntryPath(directory, entry);
    if (!path) return;
    if (IsLinkEntry(entry)) {
      AppendDirectory(*path, list);  // removing the link leaves its target alone
    } else {
      CollectDirectories(*path, list);
    }
  });
  AppendDirectory(directory, list);
}
