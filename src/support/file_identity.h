// What a directory is, whatever path reaches it. Its volume's serial number and its
// file index on that volume (GetFileInformationByHandle, Windows NT 3.1 and later) are
// the same through every name it has: an 8.3 alias, a junction or symbolic link, a
// share (\\HOST\C$\WINNT, \\HOST\ADMIN$), a SUBST or mapped drive.
#pragma once

#include <windows.h>

#include <string>

#include "support/handles.h"

struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

// False for a volume serial number or a file index of 0: network redirectors of old NT
// give them for every file, so such a number would make any two files the same.
inline bool TellsFilesApart(const FileIdentity& identity) {
  return identity.volume != 0 && (identity.indexHigh != 0 || identity.indexLow != 0);
}

struct IdentityLookup {
  enum class Outcome { kFound, kMissing, kFailed } outcome = Outcome::kFailed;
  FileIdentity identity;  // when found

  bool Found() const { return outcome == Outcome::kFound; }
  bool Failed() const { return outcome == Outcome::kFailed; }
  bool Is(const IdentityLookup& other) const {
    return Found() && other.Found() && identity == other.identity;
  }
};

// Opens `path` (a file, or a directory as FullDirectoryPath spells it) for its
// attributes only, following links, and reads what it is. kMissing when nothing is
// there; kFailed when the system could not tell.
IdentityLookup LookUpIdentity(const std::string& path);

// `path` opened for its attributes only, following links; `AfterFailedOpen` tells,
// right after an open of `path` failed, whether nothing is there (kMissing) or the
// system could not tell (kFailed).
FileHandle OpenForAttributes(const std::string& path);
IdentityLookup AfterFailedOpen(const std::string& path);

// What the file open as `file` is; kFailed when what the system gives does not tell
// files apart.
IdentityLookup IdentityOfOpenFile(HANDLE file);
