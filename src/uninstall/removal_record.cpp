#include "uninstall/removal_record.h"

#include <windows.h>

#include "support/file_identity.h"
#include "support/handles.h"
#include "support/path_values.h"
#include "support/trace.h"
#include "support/windows_directory.h"
#include "uninstall/product_directory.h"

namespace {

// The record in the making. A value that the profile reader would not give back as it
// is written (it has a line break) makes the record unusable.
class RecordText {
 public:
  void Section(const char* name) { text_ += std::string("[") + name + "]\r\n"; }

  // The reader drops the blanks around a value and one pair of matching quotes: such a
  // value is written in quotes, which the reader drops again.
  void Value(const std::string& key, const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) whole_ = false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    const bool quote = !value.empty() && (blank(value.front()) || blank(value.back()) || quoted);
    text_ += key + "=" + (quote ? "\"" + value + "\"" : value) + "\r\n";
  }
  void Flag(const char* key, bool on) { Value(key, on ? "1" : "0"); }

  bool Whole() const { return whole_; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  bool whole_ = true;
};

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
  record.Value("RestartPromptPart2", profile.restartText.substr(lineBreak + 1));
  record.Section("Settings");
  record.Flag("EnableWholeDirRemove", profile.wholeDirectoryRemoval);
  record.Value("ProgramGroupName", profile.programGroupName);
  record.Value("StartupGroupName", profile.startupGroupName);
  record.Flag("Unattended", profile.unattended);
  record.Value("UnattendedStopFailure",
               profile.unattendedStopFailure == StopFailureAnswer::kAbort ? "Abort" : "Ignore");
  record.Value("LogFile", profile.logFile);
  record.Section("Files");
  for (std::size_t i = 0; i < files.size(); ++i) record.Value("File" + std::to_string(i + 1), files[i]);
  record.Section("Record");
  record.Value("Directory", productDirectory);
  record.Flag("Complete", true);  // last: a record cut short has no mark
  return record;
}

bool WriteLasting(const std::string& path, const std::string& text) {
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && FlushFileBuffers(file.Get());
}

bool IsWhole(const std::string& recordPath) {
  return GetPrivateProfileIntA("Record", "Complete", 0, recordPath.c_str()) == 1;
}

}  // namespace

std::string RemovalRecordPath() { return WindowsDirectoryPath("tvuninst.rec"); }

bool WriteRemovalRecord(const std::string& recordPath, const std::string& productDirectory,
                        const ProfileTexts& profile, const FileList& files) {
  const RecordText record = RecordOf(productDirectory, profile, files);
  if (!recordPath.empty() && record.Whole() && WriteLasting(recordPath, record.Text())) return true;
  if (!recordPath.empty()) DeleteFileA(recordPath.c_str());
  TraceValue("Removal record cannot be written: ", recordPath);
  return false;
}

std::string RecordedDirectory(const std::string& recordPath) {
  std::string directory;
  const bool whole = !recordPath.empty() && IsWhole(recordPath) &&
                     ReadProfilePath(recordPath, "Record", "Directory", directory) == PathValue::kRead;
  return whole ? directory : "";
}

bool FinishesRecordedRemoval(const std::string& recorded, const std::string& profilePath) {
  if (recorded.empty()) return false;
  std::string registered;
  const PathValue read = ReadRegisteredDirectory(registered);
  if (read == PathValue::kMissing || (read == PathValue::kRead && registered.empty())) return true;
  const bool profileGone = LookUpIdentity(profilePath).outcome == IdentityLookup::Outcome::kMissing;
  return read == PathValue::kRead && profileGone && IsSameDirectory(registered, recorded);
}
