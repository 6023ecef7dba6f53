// FindFirstFileA and the other file functions, over the simulated file system.
#include <windows.h>

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

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (auto e = winsim::api::Enter("FindFirstFileA")) {
    return winsim::api::FailWith(*e, INVALID_HANDLE_VALUE);
  }
  std::string leaf;
  FileNode* dir = fs().ParentOf(lpFileName, &leaf);
  if (!dir) return winsim::api::FailWith(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
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

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("DeleteFileA")) return winsim::api::Fail(*e);
  std::string leaf;
  if (!fs().ParentOf(lpFileName, &leaf)) return winsim::api::Fail(ERROR_PATH_NOT_FOUND);
  FileNode* node = fs().Lookup(lpFileName);
  if (!node) return winsim::api::Fail(ERROR_FILE_NOT_FOUND);
  if (node->IsDirectory()) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  // The file is opened before its read-only attribute is looked at; the program's own
  // handles share no deletion either.
  if (node->heldOpen || machine().clock.Now() < node->heldUntil || fs().OpenedByProgram(*node)) {
    return winsim::api::Fail(ERROR_SHARING_VIOLATION);
  }
  if (node->attributes & FILE_ATTRIBUTE_READONLY) return winsim::api::Fail(ERROR_ACCESS_DENIED);
  fs().Remove(*node);
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

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (auto e = winsim::api::Enter("MoveFileExA")) return winsim::api::Fail(*e);
  if (!lpExistingFileName) return winsim::api::Fail(ERROR_INVALID_PARAMETER);
  if (!(dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT)) {
    return winsim::api::Fail(ERROR_INVALID_PARAMETER);  // only restart moves are simulated
  }
  winsim::PendingMove move{lpExistingFileName, std::nullopt};
  if (lpNewFileName) move.to = lpNewFileName;
  fs().pending.push_back(std::move(move));
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  if (auto e = winsim::api::Enter("GetFileAttributesA")) {
    return winsim::api::FailWith(*e, INVALID_FILE_ATTRIBUTES);
  }
  FileNode* node = fs().Lookup(lpFileName);
  if (!node) return winsim::api::FailWith(ERROR_FILE_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
  return node->attributes;
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  if (auto e = winsim::api::Enter("SetFileAttributesA")) return winsim::api::Fail(*e);
  FileNode* node = fs().Lookup(lpFileName);
  if (!node) return winsim::api::Fail(ERROR_FILE_NOT_FOUND);
  const DWORD kept = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  node->attributes = (node->attributes & kept) | (dwFileAttributes & ~kept);
  return TRUE;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD, HANDLE) {
  if (auto e = winsim::api::Enter("CreateFileA")) {
    return winsim::api::FailWith(*e, INVALID_HANDLE_VALUE);
  }
  std::string_view name = lpFileName ? lpFileName : "";
  if (name.rfind("\\\\.\\", 0) == 0) {
    if (!fs().devices.count(winsim::Upper(name.substr(4)))) {
      return winsim::api::FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    }
    return fs().OpenFile(std::string(name));
  }
  if (dwCreationDisposition != OPEN_EXISTING && dwCreationDisposition != OPEN_ALWAYS) {
    return winsim::api::FailWith(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);  // not simulated
  }
  FileNode* node = fs().Lookup(name);
  const bool existed = node != nullptr;
  if (!node) {
    std::string leaf;
    if (!fs().ParentOf(name, &leaf) || leaf.empty()) {
      return winsim::api::FailWith(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    }
    if (dwCreationDisposition == OPEN_EXISTING) {
      return winsim::api::FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    }
    fs().AddFile(name);
    node = fs().Lookup(name);
  }
  const bool writable = (dwDesiredAccess & GENERIC_WRITE) != 0;
  if (node->IsDirectory() || (writable && (node->attributes & FILE_ATTRIBUTE_READONLY))) {
    return winsim::api::FailWith(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  }
  if (node->heldOpen || machine().clock.Now() < node->heldUntil) {
    return winsim::api::FailWith(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
  }
  // OPEN_ALWAYS tells an existing file by its last error.
  machine().system.lastError =
      existed && dwCreationDisposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return fs().OpenFile(std::string(name), writable);
}
