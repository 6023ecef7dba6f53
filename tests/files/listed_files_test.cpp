#include <algorithm>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "files/listed_files.h"
#include "files/removal_tally.h"

namespace {

using Pieces = std::vector<std::string>;

const std::string kProduct = "C:\\Program Files\\Varden\\Anti-Virus";
const char kNotFound[] = "The system cannot find the file specified.\r\n";
const char kPathNotFound[] = "The system cannot find the path specified.\r\n";
const char kInUse[] = "The process cannot access the file because it is being used by another process.\r\n";
const char kNotEmpty[] = "The directory is not empty.\r\n";
const char kLeft[] = "Left for good, neither deleted nor scheduled for the restart: ";

Pieces Line(const char* label, const std::string& value) { return {label, value, "\n"}; }

Pieces Join(std::initializer_list<Pieces> parts) {
  Pieces all;
  for (const Pieces& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class ListedFiles : public MachineTest {
 protected:
  void Remove(FileList list, const std::string& directory = kProduct) {
    RemoveListedFiles(directory.c_str(), list);
    EXPECT_TRUE(list.empty()) << "the entries are released";
    EXPECT_EQ(winsim::OpenLocalBlocks(), 0u);
    EXPECT_TRUE(machine().Pending().empty()) << "list mode never schedules";
  }
  std::size_t Count(const std::string& piece) {
    return static_cast<std::size_t>(std::count(trace().begin(), trace().end(), piece));
  }
  winsim::FileSystem& files() { return machine().files; }
};

TEST_F(ListedFiles, ReadsTheListUpToTheFirstMissingKey) {
  files().AddFile("C:\\WINNT\\tvuninst.ini",
                  "[Files]\r\nFile1=TESSORNT.EXE\r\nFile2=" + std::string(MAX_PATH, 'x') +
                      "\r\nFile3=a\r\nFile5=Bases\\main.avc\r\n");
  FileList list{"stale"};
  ReadFileList("C:\\WINNT\\tvuninst.ini", list);
  EXPECT_EQ(list, (FileList{"TESSORNT.EXE", "a"}));  // one too long for a path is not cut
  EXPECT_EQ(Count("Putting file in the list: "), 2u);
  EXPECT_EQ(Count("File entry refused, it is too long: "), 1u);
  files().AddFile("C:\\WINNT\\tvuninst.ini", "[Files]\r\nFile0=a.exe\r\nFile2=b.exe\r\n");  // counting starts at 1
  ReadFileList("C:\\WINNT\\tvuninst.ini", list);
  EXPECT_TRUE(list.empty());
}

// A missing directory on an entry's way is no link: the entry is tried. The last entry's
// error has no text of the system's: nothing more is traced for it.
TEST_F(ListedFiles, TracesEachPhaseAndTheSystemsTextForEachFailure) {
  const RemovalTally tally;
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  files().AddFile(kProduct + "\\odd.txt");
  files().AddFile(kProduct + "\\Agent\\vhook.dll");
  files().HoldOpen(kProduct + "\\Agent\\vhook.dll");
  machine().faults.FailCall("DeleteFileA", 4, 0x20001234);
  Remove({"TESSORNT.EXE", "Gone\\missing.txt", "Agent\\vhook.dll", "odd.txt"});
  EXPECT_EQ(trace(), Join({{"Phase 1. Removing listed files...\n"},
                           Line("Try to remove the file: ", kProduct + "\\TESSORNT.EXE"),
                           {" ...ok\n"},
                           Line("Try to remove the file: ", kProduct + "\\Gone\\missing.txt"),
                           {" ...not removed\n", kPathNotFound},
                           Line("Try to remove the file: ", kProduct + "\\Agent\\vhook.dll"),
                           {" ...not removed\n", kInUse},
                           Line(kLeft, kProduct + "\\Agent\\vhook.dll"),
                           Line("Try to remove the file: ", kProduct + "\\odd.txt"),
                           {" ...not removed\n"},
                           Line(kLeft, kProduct + "\\odd.txt"),
                           {"Phase 2. Making a list of directories to remove...\n"},
                           Line("Putting directory in list: ", kProduct + "\\Agent"),
                           Line("Putting directory in list: ", kProduct),
                           {"Phase 3. Removing directories in list\n"},
                           Line("Try to remove the directory: ", kProduct + "\\Agent"),
                           {" ...not removed\n", kNotEmpty},
                           Line(kLeft, kProduct + "\\Agent"),
                           Line("Try to remove the directory: ", kProduct),
                           {" ...not removed\n", kNotEmpty},
                           Line(kLeft, kProduct)}));
  // What is not there was not left; the rest is counted in the run's summary.
  EXPECT_EQ(tally.Summary(), "Removal summary: files deleted 1, directories deleted 0, scheduled for deletion "
                             "at the restart 0, left 4\nLeft: " + kProduct + "\nLeft: " + kProduct + "\\Agent\nLeft: " +
                             kProduct + "\\Agent\\vhook.dll\nLeft: " + kProduct + "\\odd.txt\n");
  EXPECT_TRUE(files().Exists(kProduct + "\\Agent\\vhook.dll"));
  EXPECT_FALSE(files().Exists(kProduct + "\\TESSORNT.EXE"));

  // A text with inserts, for which there are no values, as it stands.
  files().AddFile(kProduct + "\\floppy.txt");
  machine().faults.FailCall("DeleteFileA", machine().faults.CallCount("DeleteFileA") + 1, ERROR_WRONG_DISK);
  Remove({"floppy.txt"});
  EXPECT_TRUE(Traced({" ...not removed\n",
                      "The wrong diskette is in the drive.\r\nInsert %2 (Volume Serial Number: %3) into drive %1.\r\n"}));
}

TEST_F(ListedFiles, MissingProductDirectoryFailsEveryStep) {
  Remove({"TESSORNT.EXE"}, "C:\\Missing");
  EXPECT_EQ(trace(), Join({{"Phase 1. Removing listed files...\n"},
                           Line("Try to remove the file: ", "C:\\Missing\\TESSORNT.EXE"),
                           {" ...not removed\n", kPathNotFound},
                           {"Phase 2. Making a list of directories to remove...\n"},
                           Line("Putting directory in list: ", "C:\\Missing"),
                           {"Phase 3. Removing directories in list\n"},
                           Line("Try to remove the directory: ", "C:\\Missing"),
                           {" ...not removed\n", kNotFound}}));
}

// Read-only listed files and customised (read-only) folders go; an unlisted file stays,
// and so does a listed one whose attribute cannot be cleared.
TEST_F(ListedFiles, ReadOnlyListedFilesAreDeletedAndUnlistedFilesStay) {
  for (const char* name : {"TESSOR.HLP", "user.cfg", "Help\\VDAV.HLP"}) {
    files().AddFile(kProduct + "\\" + name);
    files().SetAttributes(kProduct + "\\" + name, FILE_ATTRIBUTE_READONLY);
  }
  files().AddFile(kProduct + "\\Reports\\desktop.ini");
  files().SetAttributes(kProduct + "\\Reports", FILE_ATTRIBUTE_READONLY);
  machine().faults.FailCall("SetFileAttributesA", 2, ERROR_ACCESS_DENIED);
  Remove({"TESSOR.HLP", "Reports\\desktop.ini", "Help\\VDAV.HLP"});
  EXPECT_EQ(files().List(kProduct), (Pieces{"user.cfg", "Help"}));
  EXPECT_EQ(GetFileAttributesA((kProduct + "\\user.cfg").c_str()), DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(Count(" ...ok\n"), 3u);  // two files and the emptied folder
  EXPECT_EQ(Count(" ...not removed\n"), 3u);  // the file, then the directories holding it
}

TEST_F(ListedFiles, HostileEntriesAreRefusedAndTouchNothingOutside) {
  const Pieces outside{"C:\\boot.ini", "C:\\Program Files\\Varden\\shared.dll", "C:\\WINNT\\win.ini",
                       "D:\\Users\\Anna\\notes.txt"};
  for (const std::string& path : outside) files().AddFile(path, "kept");
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  files().AddFile(kProduct + "\\Locked\\x.txt");  // its directory cannot be checked
  files().AddFile(kProduct + "\\" + std::string(240, 'x'));
  files().AddJunction(kProduct + "\\Notes", "D:\\Users\\Anna");
  files().AddDirectory("D:\\Users\\Anna\\Empty");  // emptied directories go: the link is not entered
  machine().faults.FailCall("GetFileAttributesA", 1, ERROR_ACCESS_DENIED);
  const FileList hostile{"..\\shared.dll", "../shared.dll", "Bases\\..\\..\\shared.dll",
                         "C:\\WINNT\\win.ini", "C:..\\..\\..\\boot.ini", "\\boot.ini",
                         "\\\\server\\share\\x.txt"};
  FileList list{"Locked\\x.txt", "Notes\\notes.txt", std::string(240, 'x')};
  list.insert(list.end(), hostile.begin(), hostile.end());
  list.push_back("TESSORNT.EXE");
  Remove(list);

  for (const std::string& entry : hostile) EXPECT_EQ(Count(entry), 1u) << entry;
  EXPECT_EQ(Count("File entry refused, not a path inside the VDAV directory: "), hostile.size());
  EXPECT_EQ(Count("File entry refused, its path leads through a link: "), 2u);
  EXPECT_TRUE(Traced(Line("Path too long, file skipped: ", kProduct + "\\" + std::string(240, 'x'))));
  EXPECT_EQ(Count("Try to remove the file: "), 1u);
  for (const std::string& path : outside) EXPECT_EQ(files().ReadFile(path), "kept") << path;
  EXPECT_TRUE(files().Exists("D:\\Users\\Anna\\Empty"));
  EXPECT_EQ(files().List(kProduct), (Pieces{"Locked", std::string(240, 'x')}));  // the link went
}

// No limit on the list nor on the tree: 250 files in a tree of 41 directories.
TEST_F(ListedFiles, EveryListedFileAndEveryEmptiedDirectoryOfALargeTreeIsTried) {
  FileList list;
  for (int i = 1; i <= 250; ++i) {
    list.push_back("Lang" + std::to_string(i % 20 + 1) + "\\Help\\base" + std::to_string(i) + ".avc");
    files().AddFile(kProduct + "\\" + list.back());
  }
  files().AddFile(kProduct + "\\Lang7\\Help\\kept.hlp");
  Remove(list);
  EXPECT_EQ(Count("Putting directory in list: "), 41u);
  EXPECT_EQ(files().List(kProduct), Pieces{"Lang7"});
  EXPECT_EQ(Count(" ...ok\n"), 250u + 38u);
}

}  // namespace
