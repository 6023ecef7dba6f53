// The removal record, "tvuninst.rec" in the Windows directory: what a consented run is
// about to remove, written before its first change, so that a run cut off part-way (a
// power loss, a crash, a machine switched off during the pauses) is finished by the next
// one even after the App Paths entry or the profile has gone.
//
// It is written in the profile's own format and read back with the profile's own
// reader: the texts and settings the run used, the [Files] list of a listed-file
// removal, and a [Record] section with the resolved product directory, what that
// directory is on its volume and, last, the mark that the record is whole. The file
// outlives the run: a completed run schedules it for deletion at the restart, together
// with the program's own file. So a record may stand long after its removal ended; it
// is followed only for the very directory it was written for.
#pragma once

#include <string>

#include "files/listed_files.h"
#include "support/file_identity.h"
#include "support/profile_texts.h"

// The record's path: the Windows directory and "tvuninst.rec"; empty when the system
// cannot tell its Windows directory.
std::string RemovalRecordPath();

// Writes the record, replacing an older one even when it is read-only, and makes it
// lasting (FlushFileBuffers). A text with a line break, which the profile reader could
// not give back whole, is recorded empty, and a trace line names it. False, with a trace
// line, when the record could not be written: what is left of it is deleted, so that no
// older record stands for this run.
bool WriteRemovalRecord(const std::string& recordPath, const std::string& productDirectory,
                        const ProfileTexts& profile, const FileList& files);

// What a whole record says of the directory it was written for.
struct RemovalRecord {
  std::string directory;  // empty when there is no whole record
  IdentityLookup identity;  // the directory's then; kFailed when it could not be read
};
RemovalRecord ReadRemovalRecord(const std::string& recordPath);

// True when this run is to finish the removal that `record` was written for: the App
// Paths entry is gone, or the profile is gone and the entry names that directory; and
// the directory at the recorded path is still the recorded one, or nothing is there
// (it was removed already). While the product is registered with its profile, the
// record is older than what is installed. A record that would be followed but names a
// directory that is another now, or cannot be told, is not, with a trace line.
bool FinishesRecordedRemoval(const RemovalRecord& record, const std::string& profilePath);

// True when `record` was written for `productDirectory` as it is now: a removal of it was
// cut off.
bool IsRecordOf(const RemovalRecord& record, const std::string& productDirectory);
