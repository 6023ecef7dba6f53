#include <algorithm>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "files/listed_files.h"

namespace {

using Pieces = std::vector<std::string>;

const std::string kProduct = "C:\\Program Files\\Varden\\Anti-Virus";
const char kNotFound[] = "The system cannot find the file specified.\r\n";
const char kPathNotFound[] = "The system cannot find the path specified.\r\n";
const char kInUse[] = "The process cannot access the file because it is being used by another process.\r\n";
const char kNotEmpty[] = "The directory is not empty.\r\n";

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
    EXPECT_EQ(files().OpenHandles(), 0u);
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
                  "[Files]\r\nFile1=TESSORNT.EXE\r\nFile2=a\r\nFile4=Bases\\main.avc\r\n");
  FileList list{"stale"};
  ReadFileList("C:\\WINNT\\tvuninst.ini", list);
  EXPECT_EQ(list, (FileList{"TESSORNT.EXE", "a"}));
  EXPECT_EQ(trace(), Join({{"Retrieving file list...\n"},
                           Line("File list ini file: ", "C:\\WINNT\\tvuninst.ini"),
                           Line("Putting file in the list: ", "TESSORNT.EXE"),
                           Line("Putting file in the list: ", "a")}));
}

TEST_F(ListedFiles, TracesEachPhaseAndTheSystemsTextForEachFailure) {
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  files().AddFile(kProduct + "\\Agent\\vhook.dll");
  files().HoldOpen(kProduct + "\\Agent\\vhook.dll");
  Remove({"TESSORNT.EXE", "missing.txt", "Agent\\vhook.dll"});
  EXPECT_EQ(trace(), Join({{"Phase 1. Removing listed files...\n"},
                           Line("Try to remove the file: ", kProduct + "\\TESSORNT.EXE"),
                           {" ...ok\n"},
                           Line("Try to remove the file: ", kProduct + "\\missing.txt"),
                           {" ...not removed\n", kNotFound},
                           Line("Try to remove the file: ", kProduct + "\\Agent\\vhook.dll"),
                           {" ...not removed\n", kInUse},
                           {"Phase 2. Making a list of directories to remove...\n"},
                           Line("Putting directory in list: ", kProduct + "\\Agent"),
                           Line("Putting directory in list: ", kProduct),
                           {"Phase 3. Removing directories in list\n"},
                           Line("Try to remove the directory: ", kProduct + "\\Agent"),
                           {" ...not removed\n", kNotEmpty},
                           Line("Try to remove the directory: ", kProduct),
                           {" ...not removed\n", kNotEmpty}}));
  EXPECT_TRUE(files().Exists(kProduct + "\\Agent\\vhook.dll"));
  EXPECT_FALSE(files().Exists(kProduct + "\\TESSORNT.EXE"));
}

TEST_F(ListedFiles, AnErrorWithoutSystemTextTracesNothingMore) {
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  machine().faults.FailCall("DeleteFileA", 1, 0x20001234);
  Remove({"TESSORNT.EXE"});
  const Pieces& pieces = trace();
  ASSERT_GE(pieces.size(), 6u);
  EXPECT_EQ(pieces[4], " ...not removed\n");
  EXPECT_EQ(pieces[5], "Phase 2. Making a list of directories to remove...\n");
}

TEST_F(ListedFiles, ReadOnlyListedFileIsDeletedAndUnlistedFilesStay) {
  files().AddFile(kProduct + "\\TESSOR.HLP");
  files().AddFile(kProduct + "\\user.cfg");
  files().SetAttributes(kProduct + "\\TESSOR.HLP", FILE_ATTRIBUTE_READONLY);
  files().SetAttributes(kProduct + "\\user.cfg", FILE_ATTRIBUTE_READONLY);
  files().AddFile(kProduct + "\\Reports\\desktop.ini");
  files().SetAttributes(kProduct + "\\Reports", FILE_ATTRIBUTE_READONLY);  // a customised folder
  Remove({"TESSOR.HLP", "Reports\\desktop.ini"});
  EXPECT_FALSE(files().Exists(kProduct + "\\TESSOR.HLP"));
  EXPECT_FALSE(files().Exists(kProduct + "\\Reports"));
  EXPECT_EQ(GetFileAttributesA((kProduct + "\\user.cfg").c_str()), DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(Count(" ...ok\n"), 3u);  // two files and the emptied folder
}

TEST_F(ListedFiles, AReadOnlyFileWhoseAttributeCannotBeClearedIsReportedNotRemoved) {
  files().AddFile(kProduct + "\\TESSOR.HLP");
  files().SetAttributes(kProduct + "\\TESSOR.HLP", FILE_ATTRIBUTE_READONLY);
  machine().faults.FailCall("SetFileAttributesA", 1, ERROR_ACCESS_DENIED);
  Remove({"TESSOR.HLP"});
  EXPECT_EQ(Count(" ...not removed\n"), 2u);  // the file, then the directory holding it
  EXPECT_TRUE(files().Exists(kProduct + "\\TESSOR.HLP"));
}

// A directory on the way whose attributes cannot be read might be a link.
TEST_F(ListedFiles, AnEntryThroughADirectoryThatCannotBeCheckedIsRefused) {
  files().AddFile(kProduct + "\\Locked\\x.txt");
  machine().faults.FailCall("GetFileAttributesA", 1, ERROR_ACCESS_DENIED);
  Remove({"Locked\\x.txt"});
  EXPECT_EQ(Count("File entry refused, its path leads through a link: "), 1u);
  EXPECT_TRUE(files().Exists(kProduct + "\\Locked\\x.txt"));
}

TEST_F(ListedFiles, HostileEntriesAreRefusedAndTouchNothingOutside) {
  files().AddFile("C:\\boot.ini", "boot");
  files().AddFile("C:\\Program Files\\Varden\\shared.dll");
  files().AddFile("C:\\WINNT\\win.ini");
  files().AddFile("D:\\Users\\Anna\\notes.txt");
  files().AddFile(kProduct + "\\TESSORNT.EXE");
  files().AddJunction(kProduct + "\\Notes", "D:\\Users\\Anna");
  const FileList hostile{"..\\shared.dll", "../shared.dll", "Bases\\..\\..\\shared.dll",
                         "C:\\WINNT\\win.ini", "C:..\\..\\..\\boot.ini", "\\boot.ini",
                         "\\\\server\\share\\x.txt", "Notes\\notes.txt"};
  FileList list = hostile;
  list.push_back("TESSORNT.EXE");
  Remove(list);

  for (std::size_t i = 0; i + 1 < hostile.size(); ++i) {
    EXPECT_EQ(Count(hostile[i]), 1u) << hostile[i];
  }
  EXPECT_EQ(Count("File entry refused, not a path inside the VDAV directory: "), hostile.size() - 1);
  EXPECT_EQ(Count("File entry refused, its path leads through a link: "), 1u);
  EXPECT_EQ(Count("Try to remove the file: "), 1u);
  EXPECT_EQ(files().ReadFile("C:\\boot.ini"), "boot");
  EXPECT_TRUE(files().Exists("C:\\Program Files\\Varden\\shared.dll"));
  EXPECT_TRUE(files().Exists("C:\\WINNT\\win.ini"));
  EXPECT_TRUE(files().Exists("D:\\Users\\Anna\\notes.txt"));
  // The link itself goes with the emptied product directory.
  EXPECT_FALSE(files().Exists(kProduct));
}

TEST_F(ListedFiles, EveryOneOf250ListedFilesIsTried) {
  FileList list;
  for (int i = 1; i <= 250; ++i) {
    list.push_back("Bases\\base" + std::to_string(i) + ".avc");
    files().AddFile(kProduct + "\\" + list.back());
  }
  Remove(list);
  EXPECT_EQ(Count(" ...ok\n"), 252u);  // the files, Bases and the product directory
  EXPECT_FALSE(files().Exists(kProduct));
}

TEST_F(ListedFiles, EmptyListStillRemovesEveryEmptyDirectoryOfA40DirectoryTree) {
  for (int i = 1; i <= 20; ++i) {
    files().AddDirectory(kProduct + "\\Lang" + std::to_string(i) + "\\Help");
  }
  files().AddFile(kProduct + "\\Lang7\\Help\\kept.hlp");
  Remove({});
  EXPECT_EQ(Count("Putting directory in list: "), 41u);
  EXPECT_EQ(files().List(kProduct), std::vector<std::string>{"Lang7"});
  EXPECT_TRUE(files().Exists(kProduct + "\\Lang7\\Help\\kept.hlp"));
  EXPECT_EQ(Count(" ...ok\n"), 38u);
}

TEST_F(ListedFiles, DirectoriesAreCollectedInPostOrder) {
  files().AddDirectory(kProduct + "\\a\\b");
  files().AddDirectory(kProduct + "\\c");
  files().AddJunction(kProduct + "\\d", "D:\\Users\\Anna");
  files().AddDirectory("D:\\Users\\Anna\\Inside");
  files().AddFile(kProduct + "\\a\\file.txt");
  DirectoryList list;
  CollectDirectories(kProduct, list);
  EXPECT_EQ(list, (DirectoryList{kProduct + "\\a\\b", kProduct + "\\a", kProduct + "\\c",
                                 kProduct + "\\d", kProduct}));
  EXPECT_EQ(files().OpenHandles(), 0u);
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

TEST_F(ListedFiles, OverLongEntryIsSkippedWithATraceLine) {
  const std::string entry(240, 'x');
  files().AddFile(kProduct + "\\" + entry);
  Remove({entry});
  EXPECT_EQ(Pieces(trace().begin(), trace().begin() + 4),
            Join({{"Phase 1. Removing listed files...\n"},
                  Line("Path too long, file skipped: ", kProduct + "\\" + entry)}));
  EXPECT_TRUE(files().Exists(kProduct + "\\" + entry));
}

}  // namespace
