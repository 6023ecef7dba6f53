// Where a directory really is. A junction, a mounted folder or a symbolic link lets one
// path lead to a directory elsewhere, so that what holds the directory on its volume
// need not be on its path. Only systems that have such links can tell where they lead
// (GetFinalPathNameByHandleA, Windows Vista and later); Windows NT 3.51 and 4.0 have
// neither, and there a directory is where its path says.
#pragma once

#include <windows.h>

#include <string>

#include "support/file_identity.h"

struct LocatedDirectory {
  IdentityLookup identity;
  std::string realPath;  // as FullDirectoryPath spells it; empty where the system cannot tell
};

class RealLocations {
 public:
  // Looks the system's function up once; a system without it has no links to follow, but
  // a look-up that fails otherwise leaves every location unknown.
  RealLocations();

  // What `directory` (as FullDirectoryPath spells it) is, and where it really is. Found
  // only when both could be told.
  LocatedDirectory LookUp(const std::string& directory) const;

 private:
  using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  FinalPathFunction finalPath_ = nullptr;
  bool systemHasLinks_ = true;
};
