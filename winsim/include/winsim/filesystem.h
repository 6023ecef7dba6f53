// The simulated file system: in-memory volumes with Windows path rules (drive letters,
// backslashes, names compared without case), attributes, the program's open files with
// their sharing modes, and files held open by other programs.
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
  FileNode();
  std::string name;
  std::string shortName;  // the 8.3 alias where the volume gave one; opens like `name`
  FileNode* parent = nullptr;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  std::string content;
  std::vector<std::unique_ptr<FileNode>> children;  // listing order
  // In use by another program that shares nothing (as a running program's own file is),
  // for good or until the virtual clock reaches `heldUntil`.
  bool heldOpen = false;
  std::uint64_t heldUntil = 0;
  // Deleted while open with FILE_SHARE_DELETE: still listed, but opens fail, until its
  // last handle closes.
  bool deletePending = false;
  std::string linkTarget;  // a junction or symbolic link: the absolute path it points to
  // The order FindFirstFileA lists the entries in, "." and ".." included; children not
  // named follow in their own order. None: ".", "..", then the children.
  std::optional<std::vector<std::string>> listingOrder;
  // Its number on the volume (GetFileInformationByHandle), never given twice; a volume's
  // serial number is its root's index.
  DWORD index;
  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool IsLink() const { return !linkTarget.empty(); }
  FileNode* Child(std::string_view childName) const;
};

class FileSystem {
 public:
  FileSystem();

  // Setting the machine up. Missing parent directories are created.
  void AddVolume(char letter);
  // A volume reached through an old network redirector: GetFileInformationByHandle gives
  // file index 0 and volume serial number 0 for every file on it.
  void AddVolumeWithoutFileIndexes(char letter);
  bool GivesFileIndexes(const FileNode& root) const { return !withoutIndexes_.contains(&root); }
  void AddDirectory(std::string_view path);
  void AddFile(std::string_view path, std::string_view content = "");
  void SetAttributes(std::string_view path, DWORD attributes);
  void HoldOpen(std::string_view path, bool held = true);
  // In use until the virtual clock reaches `releaseTime` (a program still closing).
  void HoldOpenUntil(std::string_view path, std::uint64_t releaseTime);
  // A directory junction at `path` leading to the absolute directory `target`. Paths
  // through it reach the target; the link itself is removed like an empty directory.
  void AddJunction(std::string_view path, std::string_view target);
  // A symbolic link to a file at `path`, leading to the absolute file `target`. Deleting
  // it removes the link; setting its attributes through the API reaches the target.
  void AddFileLink(std::string_view path, std::string_view target);
  // Puts the listing of `directory` in this order; "." and ".." may be placed, or left
  // out to list without them (as a drive's root does).
  void SetListingOrder(std::string_view directory, std::vector<std::string> names);
  // Gives the entry at `path` an 8.3 alias, by which it can be opened too.
  void SetShortName(std::string_view path, std::string_view shortName);
  // A share: "\\server\name\rest" reaches `target` (an absolute directory) + "\rest".
  void AddShare(std::string_view server, std::string_view name, std::string_view target);
  // A SUBST or mapped drive: "X:\rest" reaches `target` + "\rest".
  void AddSubstDrive(char letter, std::string_view target);
  // A removable drive without a medium: every path on it fails with ERROR_NOT_READY, and
  // the system first asks for a disk in a box of its own, unless the program's error
  // mode has SEM_FAILCRITICALERRORS.
  void AddDriveWithoutMedium(char letter);
  bool IsWithoutMedium(std::string_view path) const;
  // The drive letters in use (volumes, SUBST drives, empty drives), in order.
  std::vector<char> DriveLetters() const;
  bool IsVolume(char letter) const;

  // Reading it back.
  bool Exists(std::string_view path) const;
  bool IsDirectory(std::string_view path) const;
  std::optional<std::string> ReadFile(std::string_view path) const;
  std::vector<std::string> List(std::string_view directory) const;
  std::string Dump() const;  // every directory and file, one line each
  std::size_t OpenHandles() const { return findHandles_.size() + fileHandles_.size(); }
  // The error Windows gives for a `path` that names nothing: ERROR_PATH_NOT_FOUND when
  // its directory is missing too, else ERROR_FILE_NOT_FOUND.
  DWORD NotFoundError(std::string_view path) const;
  // The memory the open listings hold: the simulation's own, which Windows keeps in a
  // fixed buffer (for measuring what a program itself uses).
  std::size_t ListingBytes() const;

  // What a restart does to the volumes themselves: every program has ended, so nothing
  // is held or open any more, and what was deleted while open is gone.
  void Restart();
  // Moves the entry to `target` (whose directory must exist); false when it cannot.
  bool Move(FileNode& node, std::string_view target);
  // The power fails: every file written through a handle since its last FlushFileBuffers
  // loses what the system had only in its cache.
  void LosePower();

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
  // The program's one current directory (SetCurrentDirectoryA sets it), and the
  // directories other drives had at the command prompt that started it (the "=D:"
  // environment variables, by upper-case letter), from which "D:name" goes on; a drive
  // without one goes on from its root. SetCurrentDirectoryA leaves them as they are.
  std::string currentDirectory = "C:\\";
  std::map<char, std::string> driveDirectories;

  struct Listing {
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
  };
  HANDLE OpenFind(Listing listing);
  Listing* GetFind(HANDLE handle);
  bool CloseFind(HANDLE handle);
  // A file the program opened (or a device, by name, with no node).
  struct OpenedFile {
    FileNode* node = nullptr;
    std::string device;
    DWORD access = 0;
    DWORD share = 0;
    std::uint64_t position = 0;
    std::string path;  // the full path it was opened by
    bool Writable() const;
  };
  HANDLE OpenFile(OpenedFile file);
  OpenedFile* GetFile(HANDLE handle);
  // What GetFinalPathNameByHandleA gives for an open file or directory: "\\?\" and its
  // own path on its drive, or "\\?\UNC\" and its path on the share it was opened through.
  std::string FinalPathName(const OpenedFile& file) const;
  // Closes the handle; a file deleted while open goes with its last handle.
  bool CloseFile(HANDLE handle);
  // Whether an open of `node` for `access` that shares `share` goes with every open of
  // it, the program's own and other programs' holds, as the system checks sharing modes.
  bool SharingAllows(const FileNode& node, DWORD access, DWORD share) const;
  bool IsOpen(const FileNode& node) const;
  // Writes `data` at the handle's position, keeping the file's flushed content for
  // LosePower; FlushFileBuffers makes it lasting.
  void Write(OpenedFile& file, std::string_view data);
  void Flush(FileNode& node) { unflushed_.erase(&node); }

  // Devices that CreateFileA can open as "\\.\NAME" (names compared without case).
  std::set<std::string> devices;

 private:
  std::vector<std::string> Components(std::string_view path, char* drive) const;
  FileNode* Walk(char drive, const std::vector<std::string>& parts, std::size_t count,
                 int hops) const;
  FileNode* Ensure(std::string_view path);
  void AddLink(std::string_view path, std::string_view target, DWORD attributes);
  std::string WithoutSubstDrives(std::string path) const;
  std::string StoredNamesOnShare(const std::string& path) const;

  std::map<char, std::unique_ptr<FileNode>> volumes_;
  std::set<const FileNode*> withoutIndexes_;  // roots of volumes without file indexes
  std::map<char, std::string> substDrives_;
  std::set<char> withoutMedium_;
  std::map<std::string, std::string> shares_;  // "\\SERVER\NAME" (upper case) to target
  std::map<ULONG_PTR, Listing> findHandles_;
  std::map<ULONG_PTR, OpenedFile> fileHandles_;
  std::map<FileNode*, std::string> unflushed_;  // content as last flushed
  ULONG_PTR nextHandle_ = 0x5000;
};

}  // namespace winsim
