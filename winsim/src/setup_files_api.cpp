// CreateDirectoryA and CopyFileA: what a setup program does to lay files down.
#include <windows.h>

#include "api.h"

using winsim::FileNode;
using winsim::machine;

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  if (auto e = winsim::api::Enter("CreateDirectoryA")) return winsim::api::Fail(*e);
  winsim::FileSystem& files = machine().files;
  std::string leaf;
  FileNode* parent = files.ParentOf(lpPathName ? lpPathName : "", &leaf);
  if (!parent || leaf.empty()) return winsim::api::Fail(ERROR_PATH_NOT_FOUND);
  if (parent->Child(leaf)) return winsim::api::Fail(ERROR_ALREADY_EXISTS);
  files.AddDirectory(lpPathName);
  return TRUE;
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  if (auto e = winsim::api::Enter("CopyFileA")) return winsim::api::Fail(*e);
  winsim::FileSystem& files = machine().files;
  const FileNode* source = files.Lookup(lpExistingFileName ? lpExistingFileName : "");
  if (!source || source->IsDirectory()) return winsim::api::Fail(ERROR_FILE_NOT_FOUND);
  if (!files.SharingAllows(*source, GENERIC_READ, FILE_SHARE_READ)) {
    return winsim::api::Fail(ERROR_SHARING_VIOLATION);
  }
  std::string leaf;
  FileNode* parent = files.ParentOf(lpNewFileName ? lpNewFileName : "", &leaf);
  if (!parent || leaf.empty()) return winsim::api::Fail(ERROR_PATH_NOT_FOUND);
  if (FileNode* existing = parent->Child(leaf)) {
    if (bFailIfExists) return winsim::api::Fail(ERROR_FILE_EXISTS);
    if (existing->IsDirectory() || (existing->attributes & FILE_ATTRIBUTE_READONLY)) {
      return winsim::api::Fail(ERROR_ACCESS_DENIED);
    }
    if (!files.SharingAllows(*existing, GENERIC_WRITE, 0))
      return winsim::api::Fail(ERROR_SHARING_VIOLATION);
  }
  files.AddFile(lpNewFileName, source->content);
  return TRUE;
}
