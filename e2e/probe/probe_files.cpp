// Files: creating, opening with sharing modes, deleting (also while open), removing
// directories, attributes and error codes; listings; full path names and the current
// directory; directories opened through device paths.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "probe.h"
#include "probe_report.h"
#include "support/handles.h"

namespace {

std::string Attributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "FAILED " + std::to_string(GetLastError());
  return Hex(attributes);
}

FileHandle Open(const std::string& path, DWORD access, DWORD share,
                DWORD disposition = OPEN_EXISTING) {
  return FileHandle(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Opens and closes again: "opened", or "FAILED <error>".
std::string TryOpen(const std::string& path, DWORD access, DWORD share,
                    DWORD disposition = OPEN_EXISTING) {
  const FileHandle file = Open(path, access, share, disposition);
  return file ? "opened" : "FAILED " + std::to_string(GetLastError());
}

// The names a listing gives, sorted (machines list in different orders), and whether
// "." came first; or the error of the first call.
std::string Listing(const std::string& pattern) {
  WIN32_FIND_DATAA entry;
  const FindHandle find(FindFirstFileA(pattern.c_str(), &entry));
  if (!find) return "FAILED " + std::to_string(GetLastError());
  const bool dotFirst = std::string(entry.cFileName) == ".";
  std::vector<std::string> names{entry.cFileName};
  while (FindNextFileA(find.Get(), &entry)) names.push_back(entry.cFileName);
  const std::string end = GetLastError() == ERROR_NO_MORE_FILES ? "" : " (ended with an error)";
  std::sort(names.begin(), names.end());
  return Joined(names) + (dotFirst ? "; \".\" first" : "") + end;
}

std::string FullPath(const std::string& path, DWORD capacity = MAX_PATH) {
  char buffer[MAX_PATH] = "";
  char* filePart = nullptr;
  const DWORD length = GetFullPathNameA(path.c_str(), capacity, buffer, &filePart);
  if (length == 0) return "FAILED";  // with an error code Wine does not set
  if (length >= capacity) return "needs " + std::to_string(length);
  return std::string(buffer) + " (file part " + (filePart ? filePart : "none") + ")";
}

}  // namespace

void ProbeFiles() {
  Report("files.create-directory", Outcome(CreateDirectoryA(kProbeRoot, nullptr)));
  Report("files.create-directory-again", Outcome(CreateDirectoryA(kProbeRoot, nullptr)));
  Report("files.create-directory-missing-parent",
         Outcome(CreateDirectoryA(InProbe("none\\sub").c_str(), nullptr)));
  Report("files.create-directory-forward-slashes",
         Outcome(CreateDirectoryA("C:/tvprobe/slashed", nullptr)));
  const std::string file = InProbe("a.txt");
  Report("files.make", YesNo(MakeFile(file, "abc")));
  Report("files.create-new-existing", TryOpen(file, GENERIC_WRITE, 0, CREATE_NEW));
  Report("files.open-missing", TryOpen(InProbe("none.txt"), GENERIC_READ, 0));
  Report("files.open-missing-directory", TryOpen(InProbe("none\\a.txt"), GENERIC_READ, 0));
  Report("files.open-directory", TryOpen(kProbeRoot, GENERIC_READ, FILE_SHARE_READ));

  Report("files.attributes-file", Attributes(file));
  Report("files.attributes-directory", Attributes(kProbeRoot));
  Report("files.attributes-directory-trailing-backslash", Attributes(InProbe("")));
  Report("files.attributes-forward-slashes", Attributes("C:/tvprobe/a.txt"));
  Report("files.attributes-missing-file", Attributes(InProbe("none.txt")));
  Report("files.attributes-missing-directory", Attributes(InProbe("none\\a.txt")));
  Report("files.attributes-file-as-directory", Attributes(InProbe("a.txt\\b.txt")));
  Report("files.attributes-empty", Attributes(""));

  {  // One open handle against the next opens and a deletion.
    const FileHandle reader = Open(file, GENERIC_READ, FILE_SHARE_READ);
    Report("files.sharing-first-open", YesNo(static_cast<bool>(reader)));
    Report("files.sharing-second-reader", TryOpen(file, GENERIC_READ, FILE_SHARE_READ));
    Report("files.sharing-writer",
           TryOpen(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
    Report("files.sharing-reader-sharing-nothing", TryOpen(file, GENERIC_READ, 0));
    Report("files.sharing-attributes-only-sharing-nothing", TryOpen(file, 0, 0));
    Report("files.sharing-delete-access",
           TryOpen(file, DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE));
    Report("files.delete-while-open-without-share-delete", Outcome(DeleteFileA(file.c_str())));
    Report("files.still-there", Attributes(file));
  }
  {
    const FileHandle writer = Open(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE);
    Report("files.sharing-reader-not-sharing-write",
           TryOpen(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE));
    Report("files.sharing-reader-sharing-write",
           TryOpen(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
  }

  // A deletion while another handle that shares deletion is open: the file stays listed
  // until that handle closes.
  CreateDirectoryA(InProbe("d").c_str(), nullptr);
  const std::string inUse = InProbe("d\\b.txt");
  MakeFile(inUse, "b");
  {
    const FileHandle shared = Open(inUse, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE);
    Report("files.delete-while-open-with-share-delete", Outcome(DeleteFileA(inUse.c_str())));
    Report("files.deleted-open-file-listed", Listing(InProbe("d\\*")));
    Report("files.deleted-open-file-attributes", Attributes(inUse));
    Report("files.deleted-open-file-open", TryOpen(inUse, GENERIC_READ, 7));
    Report("files.deleted-open-file-delete-again", Outcome(DeleteFileA(inUse.c_str())));
    Report("files.deleted-open-file-directory-removal",
           Outcome(RemoveDirectoryA(InProbe("d").c_str())));
  }
  Report("files.deleted-file-after-close", Attributes(inUse));
  Report("files.directory-removal-after-close", Outcome(RemoveDirectoryA(InProbe("d").c_str())));

  CreateDirectoryA(InProbe("full").c_str(), nullptr);
  MakeFile(InProbe("full\\c.txt"), "");
  Report("files.delete-directory", Outcome(DeleteFileA(InProbe("full").c_str())));
  Report("files.delete-missing", Outcome(DeleteFileA(InProbe("none.txt").c_str())));
  Report("files.delete-missing-directory", Outcome(DeleteFileA(InProbe("none\\a.txt").c_str())));
  Report("files.remove-directory-not-empty", Outcome(RemoveDirectoryA(InProbe("full").c_str())));
  Report("files.remove-directory-file", Outcome(RemoveDirectoryA(file.c_str())));
  Report("files.remove-directory-missing", Outcome(RemoveDirectoryA(InProbe("none").c_str())));
  Report("files.remove-directory-missing-parent",
         Outcome(RemoveDirectoryA(InProbe("none\\sub").c_str())));

  const std::string readOnly = InProbe("ro.txt");
  MakeFile(readOnly, "r");
  Report("files.set-read-only",
         Outcome(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY)));
  Report("files.read-only-attributes", Attributes(readOnly));
  Report("files.delete-read-only", Outcome(DeleteFileA(readOnly.c_str())));
  const std::string readOnlyDirectory = InProbe("full\\rodir");  // out of the listings below
  CreateDirectoryA(readOnlyDirectory.c_str(), nullptr);
  Report("files.set-read-only-directory",
         Outcome(SetFileAttributesA(readOnlyDirectory.c_str(), FILE_ATTRIBUTE_READONLY)));
  Report("files.read-only-directory-attributes", Attributes(readOnlyDirectory));
  Report("files.remove-read-only-directory", Outcome(RemoveDirectoryA(readOnlyDirectory.c_str())));

  Report("files.copy-over-existing-refused",
         Outcome(CopyFileA(file.c_str(), InProbe("full\\c.txt").c_str(), TRUE)));
  Report("files.copy-missing",
         Outcome(CopyFileA(InProbe("none.txt").c_str(), InProbe("e.txt").c_str(), FALSE)));
  Report("files.delete-forward-slashes", Outcome(DeleteFileA("C:/tvprobe/full/c.txt")));
}

void ProbeFind() {
  MakeFile(InProbe("b.dat"), "");
  Report("find.all", Listing(InProbe("*")));
  Report("find.all-dot-all", Listing(InProbe("*.*")));
  Report("find.pattern", Listing(InProbe("*.txt")));
  Report("find.forward-slashes", Listing("C:/tvprobe/*.txt"));
  Report("find.one-file", Listing(InProbe("a.txt")));
  Report("find.directory-itself", Listing(kProbeRoot));
  Report("find.directory-trailing-backslash", Listing(InProbe("")));
  Report("find.empty", Listing(""));
  Report("find.no-match", Listing(InProbe("none*")));
  Report("find.missing-directory", Listing(InProbe("none\\*")));
  WIN32_FIND_DATAA entry;
  const FindHandle root(FindFirstFileA("C:\\*", &entry));
  Report("find.root-lists-dot", YesNo(root && std::string(entry.cFileName) == "."));
  const FindHandle one(FindFirstFileA(InProbe("a.txt").c_str(), &entry));
  Report("find.next-after-end", Outcome(FindNextFileA(one.Get(), &entry)));
}

void ProbePathNames() {
  Report("path.plain", FullPath(InProbe("a.txt")));
  Report("path.dots", FullPath("C:\\tvprobe\\..\\tvprobe\\.\\a.txt"));
  Report("path.forward-slashes", FullPath("C:/tvprobe/a.txt"));
  Report("path.mixed-and-doubled-separators", FullPath("C:\\tvprobe//sub\\\\a.txt"));
  Report("path.trailing-dots-and-blanks", FullPath("C:\\tvprobe\\name. ."));
  Report("path.trailing-backslash", FullPath("C:\\tvprobe\\sub\\"));
  Report("path.above-the-root", FullPath("C:\\..\\..\\tvprobe"));
  Report("path.root", FullPath("C:\\"));
  Report("path.unc", FullPath("\\\\server\\share\\..\\dir\\a.txt"));
  Report("path.unc-share-only", FullPath("\\\\server\\share"));
  Report("path.literal-device-path", FullPath("\\\\?\\C:\\tvprobe\\..\\a.txt"));
  Report("path.device-path", FullPath("\\\\.\\C:\\tvprobe\\..\\a.txt"));
  Report("path.buffer-too-small", FullPath(InProbe("a.txt"), 8));
  Report("path.empty", FullPath(""));
  Report("path.unc-share-trailing-backslash", FullPath("\\\\server\\share\\"));
  Report("path.unc-above-the-share", FullPath("\\\\server\\share\\..\\..\\WINNT"));
  Report("path.literal-device-forward-slashes", FullPath("//?/C:/WINNT/./system32"));
  Report("path.device-forward-slashes", FullPath("//./C:/WINNT/"));
  Report("path.literal-device-root", FullPath("\\\\?\\C:\\"));
  Report("path.literal-device-above-the-drive", FullPath("\\\\?\\C:\\WINNT\\..\\..\\x"));
  Report("path.device-above-the-drive", FullPath("\\\\.\\C:\\.."));
  Report("path.literal-device-unc", FullPath("\\\\?\\UNC\\server\\share\\dir\\..\\"));
  Report("path.literal-device-unc-above-the-share",
         FullPath("\\\\?\\UNC\\server\\share\\..\\..\\x"));
  Report("path.literal-device-doubled", FullPath("\\\\?\\\\\\?\\C:\\WINNT"));
  Report("path.trailing-dot-inside", FullPath("C:\\WINNT.\\system32"));
  Report("path.trailing-blank-kept-before-separator", FullPath("C:\\WINNT \\"));
  Report("path.dot-dot-at-the-end", FullPath("C:\\WINNT\\system32\\.."));
  Report("path.other-drive-relative", FullPath("Q:name"));
  Report("path.other-drive-alone", FullPath("Q:"));

  // Against a current directory of the probe's own.
  char original[MAX_PATH] = "";
  const DWORD originalLength = GetCurrentDirectoryA(MAX_PATH, original);
  CreateDirectoryA(InProbe("cwd").c_str(), nullptr);
  Report("cwd.set-missing", Outcome(SetCurrentDirectoryA(InProbe("none").c_str())));
  Report("cwd.set-file", Outcome(SetCurrentDirectoryA(InProbe("a.txt").c_str())));
  Report("cwd.set", Outcome(SetCurrentDirectoryA(InProbe("cwd\\").c_str())));
  char current[MAX_PATH] = "";
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
  Report("cwd.get", std::string(current) + " (" + std::to_string(length) + ")");
  Report("cwd.get-buffer-too-small", std::to_string(GetCurrentDirectoryA(4, current)));
  Report("cwd.dot", FullPath("."));
  Report("cwd.relative", FullPath("Documents"));
  Report("cwd.relative-climbing", FullPath("work\\.."));
  Report("cwd.relative-above-the-root", FullPath("..\\..\\..\\..\\WINNT"));
  Report("cwd.rooted", FullPath("\\WINNT"));
  Report("cwd.rooted-forward-slash", FullPath("/WINNT/system32"));
  Report("cwd.drive-dot", FullPath("C:."));
  Report("cwd.drive-relative", FullPath("C:WINNT"));
  Report("cwd.drive-relative-lower-case", FullPath("c:WINNT"));
  Report("cwd.drive-alone", FullPath("C:"));
  Report("cwd.drive-relative-climbing", FullPath("C:..\\.."));
  Report("cwd.other-drive-relative", FullPath("Q:name"));
  Report("cwd.set-drive-relative", Outcome(SetCurrentDirectoryA("C:..")));
  GetCurrentDirectoryA(MAX_PATH, current);
  Report("cwd.after-drive-relative", current);
  if (originalLength > 0 && originalLength < MAX_PATH) SetCurrentDirectoryA(original);

  // Directories opened through device paths, as a directory's own attributes are read.
  const auto openDirectory = [](const std::string& path) {
    const FileHandle directory(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return directory ? std::string("opened") : "FAILED " + std::to_string(GetLastError());
  };
  Report("open.directory", openDirectory(InProbe("cwd")));
  Report("open.literal-device-directory", openDirectory("\\\\?\\C:\\tvprobe\\cwd"));
  Report("open.device-directory", openDirectory("\\\\.\\C:\\tvprobe\\cwd"));
  Report("open.device-directory-dots", openDirectory("\\\\.\\C:\\tvprobe\\cwd\\..\\cwd"));
  Report("open.literal-device-root", openDirectory("\\\\?\\C:\\"));
  Report("open.literal-device-missing", openDirectory("\\\\?\\C:\\tvprobe\\none"));
}
