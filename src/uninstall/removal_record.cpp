#include "uninstall/removal_record.h"

#include <windows.h>

#include <charconv>

#include "files/file_deletion.h"
#include "support/handles.h"
#include "support/path_values.h"
#include "support/trace.h"
#include "support/windows_directory.h"
#include "uninstall/product_directory.h"

namespace {

// The record in the making. A value that the profile reader would not give back as it
// is written (it has a line break) is left out: a text is recorded empty, a listed file
// not at all; either way it is named among the gaps.
class RecordText {
 public:
  void Section(const char* name) { text_ += std::string("[") + name + "]\r\n"; }

  // The reader drops the blanks around a value and one pair of matching quotes: such a
  // value is written in quotes, which the reader drops again.
  void Value(const std::string& key, const std::string& value) {
    if (HasLineBreak(value)) {
      Gap(key);
      text_ += key + "=\r\n";
      return;
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    const bool quote = !value.empty() && (blank(value.front()) || blank(value.back()) || quoted);
    text_ += key + "=" + (quote ? "\"" + value + "\"" : value) + "\r\n";
  }
  void Flag(const char* key, bool on) { Value(key, on ? "1" : "0"); }

  // The list is read up to its first empty entry, so it is numbered without gaps.
  void Files(const FileList& files) {
    std::size_t number = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (HasLineBreak(files[i])) {
        Gap("File" + std::to_string(i + 1));
      } else {
        Value("File" + std::to_string(++number), files[i]);
      }
    }
  }

  const std::string& Gaps() const { return gaps_; }
  const std::string& Text() const { return text_; }

 private:
  static bool HasLineBreak(const std::string& value) {
    return value.find_first_of("\r\n") != std::string::npos;
  }
  void Gap(const std::string& key) { gaps_ += (gaps_.empty() ? "" : " ") + key; }

  std::string text_;
  std::string gaps_;
};

std::string EightHexDigits(DWORD value) {
  std::string digits(8, '0');
  for (std::size_t at = digits.size(); at-- > 0; value >>= 4) digits[at] = "0123456789ABCDEF"[value & 0xF];
  return digits;
}

// "volume-indexHigh-indexLow", in hexadecimal; empty when the identity is not known.
std::string IdentityText(const IdentityLookup& lookup) {
  if (!lookup.Found()) return "";
  return EightHexDigits(lookup.identity.volume) + "-" + EightHexDigits(lookup.identity.indexHigh) + "-" +
         EightHexDigits(lookup.identity.indexLow);
}

IdentityLookup ParseIdentity(const std::string& text) {
  DWORD parts[3] = {};
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && (at == end || *at++ != '-')) return {};
    const auto [next, error] = std::from_chars(at, end, parts[i], 16);
    if (error != std::errc() || next - at != 8) return {};
    at = next;
  }
  if (at != end) return {};
  const FileIdentity identity{parts[0], parts[1], parts[2]};
  if (!TellsFilesApart(identity)) return {};
  return {IdentityLookup::Outcome::kFound, identity};
}

RecordText RecordOf(const std::string& productDirectory, const ProfileTexts& profile,
                    const FileList& files) {
  const std::size_t lineBreak = profile.restartText.find('\n');
  RecordText record;
  record.Section("Strings");
  record.Value("MessageBoxCaption", profile.caption);
  record.Value("CouldNotFindPath", profile.couldNotFindPath);
  record.Value("RemovePrompt", profile.removePrompt);
  record.Value("NoModifyRights", profile.noModifyRights);
  record.Value("StopErrorMsgVDAV", profile.stopErrors[0]);
  record.Value("StopErrorMsgVAgent", profile.stopErrors[1]);
  record.Value("StopErrorMsgWD", profile.stopErrors[2]);
  record.Value("WarnDirPrompt1", profile.warnDirPrompt1);
  record.Value("WarnDirPrompt2", profile.warnDirPrompt2);
  record.Value("WarnDirPrompt3", profile.warnDirPrompt3);
  record.Value("SNMPUninstallPrompt", profile.snmpUninstallPrompt);
  record.Value("SNMPCannotUninstall", profile.snmpCannotUninstall);
  record.Value("SNMPUninstalled", profile.snmpUninstalled);
  record.Value("FinishPrompt", profile.finishPrompt);
  record.Value("RestartPromptPart1", profile.restartText.substr(0, lineBreak));
  record.Value("RestartPromptPart2",
               lineBreak == std::string::npos ? "" : profile.restartText.substr(lineBreak + 1));
  record.Section("Settings");
  record.Flag("EnableWholeDirRemove", profile.wholeDirectoryRemoval);
  record.Value("ProgramGroupName", profile.programGroupName);
  record.Value("StartupGroupName", profile.startupGroupName);
  record.Flag("Unattended", profile.unattended);
  record.Value("UnattendedStopFailure",
               profile.unattendedStopFailure == StopFailureAnswer::kAbort ? "Abort" : "Ignore");
  record.Value("LogFile", profile.logFile);
  record.Section("Files");
  record.Files(files);
  record.Section("Record");
  record.Value("Directory", productDirectory);
  record.Value("Identity", IdentityText(LookUpIdentity(productDirectory)));
  record.Flag("Complete", true);  // last: a record cut short has no mark
  return record;
}

// Creates the record's file anew. An older record that was made read-only (or hidden
// or system, which CREATE_ALWAYS refuses as well) is made a plain file first.
FileHandle CreateRecordFile(const std::string& path) {
  const auto create = [&] {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  FileHandle file = create();
  if (file) return file;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const bool plainFile = attributes != INVALID_FILE_ATTRIBUTES &&
                         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
  if (!plainFile || (attributes & kept) == 0 || !SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    return file;
  }
  return create();
}

bool WriteLasting(const std::string& path, const std::string& text) {
  const FileHandle file = CreateRecordFile(path);
  DWORD written = 0;
  return file &&
         WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && FlushFileBuffers(file.Get());
}

bool IsWhole(const std::string& recordPath) {
  return GetPrivateProfileIntA("Record", "Complete", 0, recordPath.c_str()) == 1;
}

enum class RecordedDirectoryNow { kSame, kGone, kAnother, kCannotTell };

RecordedDirectoryNow LookAtRecordedDirectory(const RemovalRecord& record) {
  const IdentityLookup now = LookUpIdentity(record.directory);
  if (now.outcome == IdentityLookup::Outcome::kMissing) return RecordedDirectoryNow::kGone;
  if (!now.Found() || !record.identity.Found()) return RecordedDirectoryNow::kCannotTell;
  return now.Is(record.identity) ? RecordedDirectoryNow::kSame : RecordedDirectoryNow::kAnother;
}

}  // namespace

std::string RemovalRecordPath() { return WindowsDirectoryPath("tvuninst.rec"); }

bool WriteRemovalRecord(const std::string& recordPath, const std::string& productDirectory,
                        const ProfileTexts& profile, const FileList& files) {
  const RecordText record = RecordOf(productDirectory, profile, files);
  if (!recordPath.empty() && WriteLasting(recordPath, record.Text())) {
    if (!record.Gaps().empty()) TraceValue("Removal record written with gaps, left out: ", record.Gaps());
    return true;
  }
  if (!recordPath.empty()) DeleteProductFile(recordPath.c_str());
  TraceValue("Removal record cannot be written: ", recordPath);
  return false;
}

RemovalRecord ReadRemovalRecord(const std::string& recordPath) {
  RemovalRecord record;
  if (recordPath.empty() || !IsWhole(recordPath) ||
      ReadProfilePath(recordPath, "Record", "Directory", record.directory) != PathValue::kRead) {
    return {};
  }
  char identity[32] = "";
  GetPrivateProfileStringA("Record", "Identity", "", identity, sizeof identity, recordPath.c_str());
  record.identity = ParseIdentity(identity);
  return record;
}

bool FinishesRecordedRemoval(const RemovalRecord& record, const std::string& profilePath) {
  if (record.directory.empty()) return false;
  std::string registered;
  const PathValue read = ReadRegisteredDirectory(registered);
  const bool entryGone = read == PathValue::kMissing || (read == PathValue::kRead && registered.empty());
  const bool profileGone = LookUpIdentity(profilePath).outcome == IdentityLookup::Outcome::kMissing;
  if (!entryGone && !(read == PathValue::kRead && profileGone && IsSameDirectory(registered, record.directory))) {
    return false;
  }
  switch (LookAtRecordedDirectory(record)) {
    case RecordedDirectoryNow::kSame:
    case RecordedDirectoryNow::kGone:
      return true;
    case RecordedDirectoryNow::kAnother:
      TraceValue("Removal record not followed, another directory is at its path: ", record.directory);
      return false;
    case RecordedDirectoryNow::kCannotTell:
      break;
  }
  TraceValue("Removal record not followed, the directory at its path cannot be told: ", record.directory);
  return false;
}

bool IsRecordOf(const RemovalRecord& record, const std::string& productDirectory) {
  if (record.directory.empty()) return false;
  const RecordedDirectoryNow now = LookAtRecordedDirectory(record);
  return (now == RecordedDirectoryNow::kSame || now == RecordedDirectoryNow::kGone) &&
         IsSameDirectory(record.directory, productDirectory);
}
