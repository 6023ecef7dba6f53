// The simulated file system: in-memory volumes with Windows path rules (drive letters,
// backslashes, names compared without case), attributes, files held open by other
// programs, and the list of moves and deletions pending until the next restart.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace winsim {

struct FileNode {
  std::string name;
  std::string shortName;  // the 8.3 alias where the volume gave one; opens like `name`
  FileNode* parent = nullptr;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  std::string content;
  std::vector<std::unique_ptr<FileNode>> children;  // listing order
  bool heldOpen = false;                            // in use by another program
  std::uint64_t heldUntil = 0;                      // in use until this virtual time
  std::string linkTarget;  // a junction or symbolic link: the absolute path it points to
  // The order FindFirstFileA lists the entries in, "." and ".." included; children not
  // named follow in their own order. None: ".", "..", then the children.
  std::optional<std::vector<std::string>> listingOrder;
  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool IsLink() const { return !linkTarget.empty(); }
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
  // In use until the virtual clock reaches `releaseTime` (a program still closing).
  void HoldOpenUntil(std::string_view path, std::uint64_t releaseTime);
  // A directory junction at `path` leading to the absolute directory `target`. Paths
  // through it reach the target; the link itself is removed like an empty directory.
  void AddJunction(std::string_view path, std::string_view target);
  // Puts the listing of `directory` in this order; "." and ".." may be placed, or left
  // out to list without them (as a drive's root does).
  void SetListingOrder(std::string_view directory, std::vector<std::string> names);
  // Gives the entry at `path` an 8.3 alias, by which it can be opened too.
  void SetShortName(std::string_view path, std::string_view shortName);

  // Reading it back.
  bool Exists(std::string_view path) const;
  bool IsDirectory(std::string_view path) const;
  std::optional<std::string> ReadFile(std::string_view path) const;
  std::vector<std::string> List(std::string_view directory) const;
  std::string Dump() const;  // every directory and file, one line each
  std::size_t OpenHandles() const { return findHandles_.size() + fileHandles_.size(); }
  // The memory the open listings hold: the simulation's own, which Windows keeps in a
  // fixed buffer (for measuring what a program itself uses).
  std::size_t ListingBytes() const;

  // Moves and deletions pending until restart, in the order they were asked for.
  std::vector<PendingMove> pending;
  // Carries out the pending list as a restart does, then empties it.
  void Restart();

  // For the API layer. Links on the way are followed, a link at the end is not.
  FileNode* Lookup(std::string_view path) const;
  // The directory that would hold `path` (a link's target), and the path's last name;
  // null when missing.
  FileNode* ParentOf(std::string_view path, std::string* leaf) const;
  // A link's target directory (following further links); other nodes as they are; null
  // for a dangling link or a loop of links.
  FileNode* Resolve(FileNode* node, int hops = 0) const;
  std::string PathOf(const FileNode& node) const;
  // What GetFullPathNameA makes of `path` (see path_names.cpp); empty when it cannot.
  std::string FullPathName(std::string_view path) const;
  // What GetShortPathNameA makes of an existing `path`: each name as its 8.3 alias
  // where it has one. None when the path is missing.
  std::optional<std::string> ShortPathName(std::string_view path) const;
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
  FileNode* Walk(char drive, const std::vector<std::string>& parts, std::size_t count,
                 int hops) const;
  FileNode* Ensure(std::string_view path);

  std::map<char, std::unique_ptr<FileNode>> volumes_;
  std::map<ULONG_PTR, Listing> findHandles_;
  std::map<ULONG_PTR, std::string> fileHandles_;
  ULONG_PTR nextHandle_ = 0x5000;
};

}  // namespace winsim
