#include "files/foreign_places.h"

#include <windows.h>

#include <initializer_list>

#include "services/product_services.h"
#include "shell/manager.h"
#include "support/ascii.h"
#include "support/full_path.h"
#include "support/handles.h"
#include "support/path_values.h"
#include "support/program_paths.h"
#include "support/registry_listing.h"

namespace {

constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kShellFolderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
};
// Where Windows keeps Program Files and Common Files; a 64-bit Windows names both of
// its folders of each to either kind of program.
constexpr const char* kProgramsDirectoryValues[] = {
    "ProgramFilesDir",       "CommonFilesDir",       "ProgramW6432Dir",
    "CommonW6432Dir",        "ProgramFilesDir (x86)", "CommonFilesDir (x86)",
};
constexpr char kProductAppPath[] = "TESSORNT.EXE";
constexpr char kProductUninstallEntry[] = "Varden Anti-Virus";

const char* RootName(HKEY root) {
  return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool IsProductService(const std::string& name) {
  for (const char* own : kProductServiceKeys) {
    if (EqualIgnoringAsciiCase(name, own)) return true;
  }
  return false;
}

class PlaceReader {
 public:
  explicit PlaceReader(const std::string& windowsDirectory) : windows_(windowsDirectory) {}

  ForeignPlaces Read() {
    ReadNamedValues(HKEY_LOCAL_MACHINE, kCurrentVersion, PlaceKind::kProgramsDirectory, kProgramsDirectoryValues);
    ReadUserFolders();
    ReadAppPaths();
    ReadServices();
    ReadEachEntry(kUninstall, kProductUninstallEntry, "UninstallString", [&](const std::string& command) {
      AddProgram(ProgramOf(command));
    });
    std::string directory;
    for (PathValue (*read)(std::string&) : {ReadCommonDirectoryPath, ReadManagerDirectory}) {
      const PathValue result = read(directory);
      if (result == PathValue::kRead) Add(PlaceKind::kOtherProgram, directory, directory);
      if (result == PathValue::kFailed || result == PathValue::kTooLong) NoteUnreadable("the vendor's directories");
    }
    return std::move(result_);
  }

 private:
  void NoteUnreadable(const std::string& where) {
    if (result_.unreadable.empty()) result_.unreadable = where;
  }
  void NoteUnreadable(HKEY root, const std::string& key, const char* name = nullptr) {
    NoteUnreadable(std::string(RootName(root)) + "\\" + key + (name ? std::string("\\\\") + name : ""));
  }

  // `named` as a place of `kind`; `directory` is the directory that is or holds it. A
  // value that is no full path names no place; one that cannot be resolved is noted.
  void Add(PlaceKind kind, const std::string& named, const std::string& directory) {
    if (FullyQualifiedPath(directory).empty()) return;
    const std::string resolved = FullDirectoryPath(directory.c_str());
    if (resolved.empty()) return NoteUnreadable(named);
    result_.places.push_back({kind, named, resolved});
  }
  void AddProgram(const std::string& program) {
    const std::size_t lastSeparator = program.find_last_of("\\/");
    if (lastSeparator == std::string::npos) return;  // a bare name, found along the search path
    Add(PlaceKind::kOtherProgram, program, program.substr(0, lastSeparator + 1));
  }

  RegKey Open(HKEY root, const std::string& path) {
    RegKey key;
    const LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive());
    if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND) NoteUnreadable(root, path);
    return key;
  }

  // `name` of the open `key` (`root\path`) as text with its variables expanded; false
  // when it is absent, or could not be read (noted).
  bool ReadText(HKEY root, const std::string& path, HKEY key, const char* name, std::string& text) {
    std::string stored;
    PathValue read = ReadRegistryPath(key, name, stored);
    if (read == PathValue::kRead) read = ExpandPath(stored, text);
    if (read == PathValue::kMissing) return false;
    if (read != PathValue::kRead) NoteUnreadable(root, path, name);
    return read == PathValue::kRead;
  }

  template <std::size_t N>
  void ReadNamedValues(HKEY root, const char* path, PlaceKind kind, const char* const (&names)[N]) {
    const RegKey key = Open(root, path);
    std::string text;
    for (const char* name : names) {
      if (key && ReadText(root, path, key.Get(), name, text)) Add(kind, text, text);
    }
  }

  // Every text value of `root\path` as a place of `kind`.
  void ReadAllValues(HKEY root, const std::string& path, PlaceKind kind) {
    const RegKey key = Open(root, path);
    if (!key) return;
    std::vector<NamedText> values;
    if (ReadTextValues(key.Get(), values) != PathValue::kRead) return NoteUnreadable(root, path);
    for (const NamedText& value : values) {
      std::string text;
      const PathValue expanded = ExpandPath(value.text, text);
      if (expanded != PathValue::kRead) {
        NoteUnreadable(root, path, value.name.c_str());
      } else {
        Add(kind, text, text);
      }
    }
  }

  void ReadUserFolders() {
    ReadAllValues(HKEY_LOCAL_MACHINE, kProfileList, PlaceKind::kUserFolder);
    ReadEachEntry(kProfileList, nullptr, "ProfileImagePath", [&](const std::string& profile) {
      Add(PlaceKind::kUserFolder, profile, profile);
    });
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      for (const char* path : kShellFolderKeys) ReadAllValues(root, path, PlaceKind::kUserFolder);
    }
  }

  void ReadAppPaths() {
    ReadEachEntry(kAppPaths, kProductAppPath, "", [&](const std::string& program) { AddProgram(ProgramOf(program)); });
    ReadEachEntry(kAppPaths, kProductAppPath, "Path", [&](const std::string& directories) {
      for (std::size_t start = 0; start <= directories.size();) {
        const std::size_t end = std::min(directories.find(';', start), directories.size());
        const std::string directory = directories.substr(start, end - start);
        Add(PlaceKind::kOtherProgram, directory, directory);
        start = end + 1;
      }
    });
  }

  void ReadServices() {
    std::vector<std::string> names;
    const PathValue listed = ReadSubkeyNames(HKEY_LOCAL_MACHINE, kServicesKey, names);
    if (listed == PathValue::kFailed) return NoteUnreadable(HKEY_LOCAL_MACHINE, kServicesKey);
    for (const std::string& name : names) {
      if (IsProductService(name)) continue;
      ReadEntryValue(std::string(kServicesKey) + "\\" + name, "ImagePath", [&](const std::string& imagePath) {
        AddProgram(ServiceImage(imagePath, windows_));
      });
    }
  }

  // `value` of every subkey of HKLM `parent` but `own`, handed to `take` where present.
  template <typename Take>
  void ReadEachEntry(const char* parent, const char* own, const char* value, Take take) {
    std::vector<std::string> names;
    if (ReadSubkeyNames(HKEY_LOCAL_MACHINE, parent, names) == PathValue::kFailed) {
      return NoteUnreadable(HKEY_LOCAL_MACHINE, parent);
    }
    for (const std::string& name : names) {
      if (!own || !EqualIgnoringAsciiCase(name, own)) ReadEntryValue(std::string(parent) + "\\" + name, value, take);
    }
  }

  template <typename Take>
  void ReadEntryValue(const std::string& path, const char* value, Take take) {
    const RegKey key = Open(HKEY_LOCAL_MACHINE, path);
    std::string text;
    if (key && ReadText(HKEY_LOCAL_MACHINE, path, key.Get(), value, text)) take(text);
  }

  const std::string windows_;
  ForeignPlaces result_;
};

}  // namespace

ForeignPlaces ReadForeignPlaces(const std::string& windowsDirectory) {
  return PlaceReader(windowsDirectory).Read();
}
