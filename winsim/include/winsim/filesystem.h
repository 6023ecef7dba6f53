// The simulated file system: in-memory volumes with Windows path rules (drive letters,
// backslashes, names compared without case), attributes, files held open by other
// programs, and the list of moves and deletions pending until the next restart.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace winsim {

struct FileNode {
  std::string name;
  FileNode* parent = nullptr;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  std::string content;
  std::vector<std::unique_ptr<FileNode>> children;  // listing order
  bool heldOpen = false;                            // in use by another program
  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  FileNode* Child(std::string_view childName) const;
};

struct PendingMove {
  std::string from;
  std::optional<std::string> to;  // none: delete at restart
};

class FileSystem {
 public:
  FileSystem();

  // Setting the machine up. Missing parent directories are created.
  void AddVolume(char letter);
  void AddDirectory(std::string_view path);
  void AddFile(std::string_view path, std::string_view content = "");
  void SetAttributes(std::string_view path, DWORD attributes);
  void HoldOpen(std::string_view path, bool held = true);

  // Reading it back.
  bool Exists(std::string_view path) const;
  bool IsDirectory(std::string_view path) const;
  std::optional<std::string> ReadFile(std::string_view path) const;
  std::vector<std::string> List(std::string_view directory) const;
  std::string Dump() const;  // every directory and file, one line each
  std::size_t OpenHandles() const { return findHandles_.size() + fileHandles_.size(); }

  // Moves and deletions pending until restart, in the order they were asked for.
  std::vector<PendingMove> pending;
  // Carries out the pending list as a restart does, then empties it.
  void Restart();

  // For the API layer.
  FileNode* Lookup(std::string_view path) const;
  // The directory that would hold `path`, and the path's last name; null when missing.
  FileNode* ParentOf(std::string_view path, std::string* leaf) const;
  std::string PathOf(const FileNode& node) const;
  void Remove(FileNode& node);
  std::string currentDirectory = "C:\\";

  struct Listing {
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
  };
  HANDLE OpenFind(Listing listing);
  Listing* GetFind(HANDLE handle);
  bool CloseFind(HANDLE handle);
  HANDLE OpenFile(std::string path);
  bool CloseFile(HANDLE handle);

  // Devices that CreateFileA can open as "\\.\NAME" (names compared without case).
  std::set<std::string> devices;

 private:
  std::vector<std::string> Components(std::string_view path, char* drive) const;
  FileNode* Ensure(std::string_view path);

  std::map<char, std::unique_ptr<FileNode>> volumes_;
  std::map<ULONG_PTR, Listing> findHandles_;
  std::map<ULONG_PTR, std::string> fileHandles_;
  ULONG_PTR nextHandle_ = 0x5000;
};

}  // namespace winsim
