// The removal record, "tvuninst.rec" in the Windows directory: what a consented run is
// about to remove, written before its first change, so that a run cut off part-way (a
// power loss, a crash, a machine switched off during the pauses) is finished by the next
// one even after the App Paths entry or the profile has gone.
//
// It is written in the profile's own format and read back with the profile's own
// reader: the texts and settings the run used, the [Files] list of a listed-file
// removal, and a [Record] section with the resolved product directory and, last, the
// mark that the record is whole. The file outlives the run: a completed run schedules
// it for deletion at the restart, together with the program's own file.
#pragma once

#include <string>

#include "files/listed_files.h"
#include "support/profile_texts.h"

// The record's path: the Windows directory and "tvuninst.rec"; empty when the system
// cannot tell its Windows directory.
std::string RemovalRecordPath();

// Writes the record and makes it lasting (FlushFileBuffers). False, with a trace line,
// when that failed: what it left is deleted, so that no older record stands for this run.
bool WriteRemovalRecord(const std::string& recordPath, const std::string& productDirectory,
                        const ProfileTexts& profile, const FileList& files);

// The product directory that a whole record names, read whole; empty when there is no
// whole record.
std::string RecordedDirectory(const std::string& recordPath);

// True when this run is to finish the removal of the `recorded` directory: the App Paths
// entry is gone, or the profile is gone and the entry names that directory. While the
// product is registered with its profile, the record is older than what is installed.
bool FinishesRecordedRemoval(const std::string& recorded, const std::string& profilePath);
