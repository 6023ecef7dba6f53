// FindFirstFileA and the other file functions, over the simulated file system.
#include <windows.h>

#include <winsim/pending_moves.h>
#include <winsim/text.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "api.h"

using winsim::FileNode;
using winsim::machine;

namespace {

winsim::FileSystem& fs() { return machine().files; }

bool Matches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*') {
    for (std::size_t skip = 0; skip <= name.size(); ++skip) {
      if (Matches(pattern.substr(1), name.substr(skip))) return true;
    }
    return false;
  }
  if (name.empty()) return false;
  bool same = pattern[0] == '?' || winsim::SameName(pattern.substr(0, 1), name.substr(0, 1));
  return same && Matches(pattern.substr(1), name.substr(1));
}

WIN32_FIND_DATAA Entry(const std::string& name, DWORD attributes, std::size_t size) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = attributes;
  data.nFileSizeLow = static_cast<DWORD>(size);
  std::strncpy(data.cFileName, name.c_str(), MAX_PATH - 1);
  return data;
}

// Calls `visit` with the names a listing of `dir` gives, in order: the test's order
// where it set one, the children it did not name after it; otherwise "." and ".." (not
// in a drive's root) and then the children.
void ForEachListedName(const FileNode& dir, const std::function<void(std::string_view)>& visit) {
  if (!dir.listingOrder) {
    if (dir.parent) {
      visit(".");
      visit("..");
    }
    for (const auto& child : dir.children) visit(child->name);
    return;
  }
  const std::vector<std::string>& order = *dir.listingOrder;
  for (const std::string& name : order) visit(name);
  for (const auto& child : dir.children) {
    bool named = std::any_of(order.begin(), order.end(), [&](const std::string& name) {
      return winsim::SameName(name, child->name);
    });
    if (!named) visit(child->name);
  }
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices in every directory,
// whatever extension follows.
bool IsReservedDeviceName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/:");
  std::string base = winsim::Upper(path.substr(slash == std::string_view::npos ? 0 : slash + 1));
  base = base.substr(0, base.find('.'));
  base.erase(base.find_last_not_of(' ') + 1);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
         base[3] <= '9';
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (auto e = winsim::api::Enter("FindFirstFileA")) {
    return winsim::api::FailWith(*e, INVALID_HANDLE_VALUE);
  }
  const std::string_view pattern = lpFileName ? lpFileName : "";
  std::string leaf;
  FileNode* dir = fs().ParentOf(pattern, &leaf);
  if (!dir) return winsim::api::FailWith(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  // "dir\" names no entry to list: the name after the last separator is empty.
  if (pattern.back() == '\\' || pattern.back() == '/') {
    const DWORD error = fs().IsDirectory(pattern) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    return winsim::api::FailWith(error, INVALID_HANDLE_VALUE);
  }
  // The listing is built in place, so that the memory it takes is counted as the
  // simulation's own from the start (see FileSystem::ListingBytes).
  HANDLE handle = fs().OpenFind({});
  winsim::FileSystem::Listing& listing = *fs().GetFind(handle);
  listing.entries.reserve(dir->children.size() + 2);
  ForEachListedName(*dir, [&](std::string_view name) {
    if (!Matches(leaf, name)) return;
    if (name == "." || name == "..") {
      listing.entries.push_back(Entry(std::string(name), FILE_ATTRIBUTE_DIRECTORY, 0));
    } else if (const FileNode* child = dir->Child(name)) {
      listing.entries.push_back(Entry(child->name, child->attributes, child->content.size()));
    }
  });
  if (listing.entries.empty()) {
    fs().CloseFind(handle);
    return winsim::api::FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  }
  *lpFindFileData = listing.entries[0];
  listing.next = 1;
  return handle;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  if (auto e = winsim::api::Enter("FindNextFileA")) return winsim::api::Fail(*e);
  winsim::FileSystem::Listing* listing = fs().GetFind(hFindFile);
  if (!listing) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  if (listing->next >= listing->entries.size()) return winsim::api::Fail(ERROR_NO_MORE_FILES);
  *lpFindFileData = listing->entries[listing->next++];
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (auto e = winsim::api::Enter("FindClose")) return winsim::api::Fail(*e);
  return fs().CloseFind(hFindFile) ? TRUE : winsim::api::Fail(ERROR_INVALID_HANDLE);
}

// The system deletes a file by opening it for deletion, sharing everything, and marking
// it: it goes when the last handle to it closes.
BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("DeleteFileA")) return winsim::api::Fail(*e);
  FileNode* node = fs().Lookup(lpFileName);
  if (!node) return winsim::api::Fail(fs().NotFoundError(lpFileName));
  if (node->IsDirectory() || node->deletePending) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  // The file is opened before its read-only attribute is looked at.
  if (!fs().SharingAllows(*node, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
    return winsim::api::Fail(ERROR_SHARING_VIOLATION);
  }
  if (node->attributes & FILE_ATTRIBUTE_READONLY) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  if (fs().IsOpen(*node)) {
    node->deletePending = true;
  } else {
    fs().Remove(*node);
  }
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  if (auto e = winsim::api::Enter("RemoveDirectoryA")) return winsim::api::Fail(*e);
  std::string leaf;
  if (!fs().ParentOf(lpPathName, &leaf)) {
    // A drive's root has no parent and cannot be removed.
    return winsim::api::Fail(fs().Lookup(lpPathName) ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
  }
  FileNode* node = fs().Lookup(lpPathName);
  if (!node) return winsim::api::Fail(ERROR_FILE_NOT_FOUND);
  if (!node->IsDirectory()) return winsim::api::Fail(ERROR_DIRECTORY);
  // A link holds no entries of its own: it goes, and what it points to stays.
  if (!node->children.empty()) return winsim::api::Fail(ERROR_DIR_NOT_EMPTY);
  if (node->attributes & FILE_ATTRIBUTE_READONLY) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  fs().Remove(*node);
  return TRUE;
}

// Only moves at the next restart are simulated; they go to the registry's list.
BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (auto e = winsim::api::Enter("MoveFileExA")) return winsim::api::Fail(*e);
  if (!lpExistingFileName || !(dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) ||
      (dwFlags & MOVEFILE_COPY_ALLOWED)) {
    return winsim::api::Fail(ERROR_INVALID_PARAMETER);
  }
  const std::string source = fs().FullPathName(lpExistingFileName);
  const std::string target = lpNewFileName ? fs().FullPathName(lpNewFileName) : "";
  if (source.empty() || (lpNewFileName && target.empty()))
    return winsim::api::Fail(ERROR_INVALID_NAME);
  winsim::PendingMove move{source, std::nullopt, (dwFlags & MOVEFILE_REPLACE_EXISTING) != 0};
  if (lpNewFileName) move.to = target;
  const DWORD error = winsim::SchedulePendingMove(machine().registry, move);
  return error == ERROR_SUCCESS ? TRUE : winsim::api::Fail(error);
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("GetFileAttributesA")) {
    return winsim::api::FailWith(*e, INVALID_FILE_ATTRIBUTES);
  }
  const std::string_view path = lpFileName ? lpFileName : "";
  FileNode* node = fs().Lookup(path);
  if (!node) return winsim::api::FailWith(fs().NotFoundError(path), INVALID_FILE_ATTRIBUTES);
  // The attributes are read through an open, which a file being deleted refuses.
  if (node->deletePending)
    return winsim::api::FailWith(ERROR_ACCESS_DENIED, INVALID_FILE_ATTRIBUTES);
  return node->attributes;
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  if (auto e = winsim::api::Enter("SetFileAttributesA")) return winsim::api::Fail(*e);
  // The file is opened without asking for the reparse point: a link's target is changed.
  FileNode* node = fs().Lookup(lpFileName);
  if (!node) return winsim::api::Fail(fs().NotFoundError(lpFileName));
  node = fs().Resolve(node);
  if (!node) return winsim::api::Fail(ERROR_FILE_NOT_FOUND);  // a dangling link
  if (node->deletePending) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  const DWORD kept = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  node->attributes = (node->attributes & kept) | (dwFileAttributes & ~kept);
  return TRUE;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE) {
  if (auto e = winsim::api::Enter("CreateFileA")) {
    return winsim::api::FailWith(*e, INVALID_HANDLE_VALUE);
  }
  auto fail = [](DWORD error) { return winsim::api::FailWith(error, INVALID_HANDLE_VALUE); };
  const std::string_view name = lpFileName ? lpFileName : "";
  if ((name.rfind("\\\\.\\", 0) == 0 && fs().devices.count(winsim::Upper(name.substr(4)))) ||
      IsReservedDeviceName(name)) {
    return fs().OpenFile({nullptr, std::string(name), dwDesiredAccess, dwShareMode, 0, ""});
  }
  // A directory opens only for backup semantics; a link is followed unless the caller
  // asks for the link itself.
  FileNode* node = fs().Lookup(name);
  if (node && node->IsDirectory()) {
    if (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS)) return fail(ERROR_ACCESS_DENIED);
    if (dwCreationDisposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
    if (!(dwFlagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT)) node = fs().Resolve(node);
    if (!node) return fail(ERROR_FILE_NOT_FOUND);  // a dangling link
    machine().system.lastError = ERROR_SUCCESS;
    return fs().OpenFile({node, "", dwDesiredAccess, dwShareMode, 0, fs().FullPathName(name)});
  }
  if (!node) {
    if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING) {
      return fail(fs().NotFoundError(name));
    }
    std::string leaf;
    if (!fs().ParentOf(name, &leaf) || leaf.empty()) return fail(ERROR_PATH_NOT_FOUND);
    fs().AddFile(fs().FullPathName(name));
    node = fs().Lookup(name);
    machine().system.lastError = ERROR_SUCCESS;
  } else {
    const bool replaces =
        dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
    const bool writes = replaces || (dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    if (node->deletePending) return fail(ERROR_ACCESS_DENIED);
    if (dwCreationDisposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
    if (!fs().SharingAllows(*node, dwDesiredAccess, dwShareMode))
      return fail(ERROR_SHARING_VIOLATION);
    if (writes && (node->attributes & FILE_ATTRIBUTE_READONLY)) return fail(ERROR_ACCESS_DENIED);
    if (replaces) node->content.clear();
    // CREATE_ALWAYS and OPEN_ALWAYS tell an existing file by the last error.
    const bool mayCreate =
        dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    machine().system.lastError = mayCreate ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  }
  return fs().OpenFile({node, "", dwDesiredAccess, dwShareMode, 0, fs().FullPathName(name)});
}

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
  if (auto e = winsim::api::Enter("GetFileInformationByHandle")) return winsim::api::Fail(*e);
  const winsim::FileSystem::OpenedFile* file = fs().GetFile(hFile);
  if (!file || !lpFileInformation) return winsim::api::Fail(ERROR_INVALID_HANDLE);
  if (!file->node) return winsim::api::Fail(ERROR_INVALID_FUNCTION);  // a device
  const FileNode* root = file->node;
  while (root->parent) root = root->parent;
  *lpFileInformation = {};
  lpFileInformation->dwFileAttributes = file->node->attributes;
  const bool indexed = fs().GivesFileIndexes(*root);
  lpFileInformation->dwVolumeSerialNumber = indexed ? root->index : 0;
  lpFileInformation->nFileSizeLow = static_cast<DWORD>(file->node->content.size());
  lpFileInformation->nNumberOfLinks = 1;
  lpFileInformation->nFileIndexLow = indexed ? file->node->index : 0;
  return TRUE;
}

DWORD WINAPI GetLogicalDrives() {
  if (auto e = winsim::api::Enter("GetLogicalDrives")) return winsim::api::FailWith(*e, 0ul);
  DWORD drives = 0;
  for (char letter : fs().DriveLetters()) drives |= 1ul << (letter - 'A');
  return drives;
}

// Every volume is a fixed disk; a SUBST drive reports the type of the drive it stands on.
UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
  if (auto e = winsim::api::Enter("GetDriveTypeA")) return winsim::api::FailWith(*e, DRIVE_UNKNOWN);
  const std::string_view root = lpRootPathName ? lpRootPathName : "";
  if (fs().IsWithoutMedium(root)) return DRIVE_REMOVABLE;
  const bool isRoot = root.size() == 3 && root[1] == ':' && root[2] == '\\';
  return isRoot && fs().Lookup(root) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

DWORD WINAPI GetFileType(HANDLE hFile) {
  if (auto e = winsim::api::Enter("GetFileType")) return winsim::api::FailWith(*e, DWORD{FILE_TYPE_UNKNOWN});
  const winsim::FileSystem::OpenedFile* file = fs().GetFile(hFile);
  if (!file) return winsim::api::FailWith(ERROR_INVALID_HANDLE, DWORD{FILE_TYPE_UNKNOWN});
  return file->node ? FILE_TYPE_DISK : FILE_TYPE_CHAR;
}
