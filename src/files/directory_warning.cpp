#include "files/directory_warning.h"

#include <windows.h>

#include <vector>

#include "files/foreign_places.h"
#include "files/holder_walk.h"
#include "support/ascii.h"
#include "support/file_identity.h"
#include "support/full_path.h"
#include "support/trace.h"

namespace {

constexpr int kNoWarning = 0;
constexpr int kSystemDirectory = 1;
constexpr int kRoot = 2;
constexpr int kCannotTell = kSystemDirectory;

std::string WindowsDirectory() {
  char buffer[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? FullDirectoryPath(buffer) : "";
}

// The Windows directory and every directory that holds it, up to its root.
std::vector<std::string> WindowsAndItsHolders(const std::string& windows) {
  std::vector<std::string> directories;
  for (std::string path = windows; !path.empty(); path = ParentOf(path)) directories.push_back(path);
  return directories;
}

int WarningByPath(const std::string& directory, const std::string& windows) {
  for (const std::string& holder : WindowsAndItsHolders(windows)) {
    if (EqualIgnoringAsciiCase(directory, holder)) return kSystemDirectory;
  }
  for (const char* system : {"\\system", "\\system32"}) {
    if (EqualIgnoringAsciiCase(directory, windows + system)) return kSystemDirectory;
  }
  return IsRootDirectory(directory) ? kRoot : kNoWarning;
}

// The roots of the fixed drives: a junction or a mounted folder can lead to any of
// them. Removable, remote and CD drives are left out, since opening them may wait for a
// medium or a server; a product directory on one of them still has its own volume's
// root among the roots looked at (see WarningByIdentity). None when the drives cannot
// be listed.
std::vector<std::string> FixedDriveRoots() {
  std::vector<std::string> roots;
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (!(drives & (1ul << (letter - 'A')))) continue;
    const std::string root = std::string(1, letter) + ":";
    const UINT type = GetDriveTypeA(CallablePath(root).c_str());
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK) roots.push_back(root);
  }
  return roots;
}

int WarningByIdentity(const std::string& directory, const std::string& windows, const IdentityLookup& product,
                      HolderWalk& holders) {
  if (!product.Found()) return product.Failed() ? kCannotTell : kNoWarning;

  // The Windows directory and its holders exist, on its path and where it really is; the
  // system directories may not.
  switch (holders.FindHolder(windows, product)) {
    case IdentityLookup::Outcome::kFound: return kSystemDirectory;
    case IdentityLookup::Outcome::kFailed: return kCannotTell;
    case IdentityLookup::Outcome::kMissing: break;
  }
  for (const char* system : {"\\system", "\\system32"}) {
    const IdentityLookup lookup = LookUpIdentity(windows + system);
    if (lookup.Failed()) return kCannotTell;
    if (lookup.Is(product)) return kSystemDirectory;
  }

  // The roots: the one the path names, and those of the fixed drives. One of them must be
  // on the product directory's own volume, or its root is unknown.
  const IdentityLookup ownRoot = LookUpIdentity(RootOf(directory));
  if (!ownRoot.Found()) return kCannotTell;
  std::vector<IdentityLookup> roots{ownRoot};
  const std::vector<std::string> driveRoots = FixedDriveRoots();
  if (driveRoots.empty()) return kCannotTell;
  for (const std::string& root : driveRoots) roots.push_back(LookUpIdentity(root));
  bool volumeRootSeen = false;
  for (const IdentityLookup& root : roots) {
    if (root.Is(product)) return kRoot;
    volumeRootSeen = volumeRootSeen || (root.Found() && root.identity.volume == product.identity.volume);
  }
  return volumeRootSeen ? kNoWarning : kCannotTell;
}

const char* ReasonOf(PlaceKind kind) {
  switch (kind) {
    case PlaceKind::kProgramsDirectory: return "VDAV directory is or holds the programs' directory: ";
    case PlaceKind::kUserFolder: return "VDAV directory is or holds a user's folder: ";
    case PlaceKind::kOtherProgram: break;
  }
  return "VDAV directory holds another program: ";
}

int Warn(const char* reason, const std::string& what) {
  TraceValue(reason, what);
  return kSystemDirectory;
}

int CannotTell(const std::string& what) {
  TraceValue("VDAV directory cannot be checked against: ", what);
  return kCannotTell;
}

// The directory is not the product's alone when it lies inside the Windows directory, or
// is or holds a place registered as other programs' or users'. The reason is traced.
int ForeignPlaceWarning(const std::string& directory, const std::string& windows, const IdentityLookup& product,
                        HolderWalk& holders) {
  constexpr char kInsideWindows[] = "VDAV directory lies inside the Windows directory: ";
  if (IsAtOrBelow(directory, windows)) return Warn(kInsideWindows, windows);
  if (product.Found()) {
    const IdentityLookup& windowsIs = holders.LookUp(windows).identity;
    if (!windowsIs.Found()) return CannotTell(windows);
    switch (holders.FindHolder(ParentOf(directory), windowsIs)) {
      case IdentityLookup::Outcome::kFound: return Warn(kInsideWindows, windows);
      case IdentityLookup::Outcome::kFailed: return CannotTell(directory);
      case IdentityLookup::Outcome::kMissing: break;
    }
  }

  const ForeignPlaces foreign = ReadForeignPlaces(windows);
  if (!foreign.unreadable.empty()) return CannotTell(foreign.unreadable);
  for (const ForeignPlace& place : foreign.places) {
    if (IsAtOrBelow(place.directory, directory)) return Warn(ReasonOf(place.kind), place.named);
    if (!product.Found()) continue;  // a directory that is not there is judged by its path
    switch (holders.FindHolder(place.directory, product)) {
      case IdentityLookup::Outcome::kFound: return Warn(ReasonOf(place.kind), place.named);
      case IdentityLookup::Outcome::kFailed: return CannotTell(place.named);
      case IdentityLookup::Outcome::kMissing: break;
    }
  }
  return kNoWarning;
}

}  // namespace

int DirectoryNeedsWarning(const std::string& directory) {
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return kCannotTell;
  const int byPath = WarningByPath(directory, windows);
  if (byPath != kNoWarning) return byPath;
  const IdentityLookup product = LookUpIdentity(directory);
  HolderWalk holders;
  const int byIdentity = WarningByIdentity(directory, windows, product, holders);
  return byIdentity != kNoWarning ? byIdentity : ForeignPlaceWarning(directory, windows, product, holders);
}
