// The simulated machine refuses what Windows refuses with files and programs: sharing
// modes, files deleted while open, the codes of missing paths, the restart list in the
// registry, and programs found from a command line.
#include <windows.h>

#include <functional>

#include "common/machine_test.h"
#include "support/handles.h"

namespace {

constexpr char kFile[] = "C:\\dir\\a.txt";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class WinsimFilesTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    machine().files.AddFile(kFile, "abc");
  }
  static FileHandle Open(DWORD access, DWORD share, const char* path = kFile) {
    return FileHandle(CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr));
  }
};

TEST_F(WinsimFilesTest, AnOpenGoesWithAnotherOnlyWhenEachSharesWhatTheOtherDoes) {
  struct Case {
    DWORD access, share, nextAccess, nextShare;
    bool opens;
  };
  for (const Case& c : {Case{GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
                        Case{GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kShareAll, false},
                        Case{GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, 0, false},
                        Case{GENERIC_READ, FILE_SHARE_READ, 0, 0, true},  // attributes only
                        Case{GENERIC_READ, FILE_SHARE_READ, DELETE, kShareAll, false},
                        Case{GENERIC_WRITE, kShareAll, GENERIC_READ, FILE_SHARE_READ, false},
                        Case{GENERIC_WRITE, kShareAll, GENERIC_READ, kShareAll, true}}) {
    const FileHandle first = Open(c.access, c.share);
    const FileHandle next = Open(c.nextAccess, c.nextShare);
    EXPECT_EQ(static_cast<bool>(next), c.opens)
        << std::hex << c.access << " " << c.share << " then " << c.nextAccess << " " << c.nextShare;
    EXPECT_EQ(GetLastError(),
              static_cast<DWORD>(c.opens ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION));
  }
}

TEST_F(WinsimFilesTest, AFileOpenWithoutSharingDeletionCannotBeDeleted) {
  const FileHandle reader = Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_FALSE(DeleteFileA(kFile));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(machine().files.Exists(kFile));
}

TEST_F(WinsimFilesTest, AFileDeletedWhileOpenStaysListedUntilItsLastHandleCloses) {
  FileHandle reader = Open(GENERIC_READ, kShareAll);
  ASSERT_TRUE(DeleteFileA(kFile));
  EXPECT_EQ(machine().files.List("C:\\dir"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(GetFileAttributesA(kFile), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(Open(GENERIC_READ, kShareAll));
  EXPECT_FALSE(RemoveDirectoryA("C:\\dir"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  reader.Reset();
  EXPECT_FALSE(machine().files.Exists(kFile));
  EXPECT_TRUE(RemoveDirectoryA("C:\\dir"));
}

// A missing file gives ERROR_FILE_NOT_FOUND, a missing directory on its way ERROR_PATH_NOT_FOUND.
TEST_F(WinsimFilesTest, MissingPathsGiveTheCodeOfWhatIsMissing) {
  WIN32_FIND_DATAA found;
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION process;
  char commandLine[] = "x";
  const std::function<bool(const char*)> calls[] = {
      [](const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; },
      [](const char* path) { return static_cast<bool>(Open(GENERIC_READ, kShareAll, path)); },
      [](const char* path) { return DeleteFileA(path) != FALSE; },
      [&](const char* path) { return FindHandle(FindFirstFileA(path, &found)) ? true : false; },
      [&](const char* path) {
        return CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process) != FALSE;
      }};
  for (const auto& call : calls) {
    for (const auto& [path, error] : {std::pair{"C:\\dir\\none.exe", ERROR_FILE_NOT_FOUND},
                                      std::pair{"C:\\none\\a.exe", ERROR_PATH_NOT_FOUND},
                                      std::pair{"C:\\dir\\a.txt\\b.exe", ERROR_PATH_NOT_FOUND}}) {
      EXPECT_FALSE(call(path)) << path;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(error))
          << "call " << &call - calls << " " << path;
    }
  }
  // A pattern that names no entry: nothing at all, or a directory's name with nothing after it.
  for (const auto& [pattern, error] :
       {std::pair{"", ERROR_PATH_NOT_FOUND}, std::pair{"C:\\dir\\", ERROR_FILE_NOT_FOUND}}) {
    EXPECT_FALSE(FindHandle(FindFirstFileA(pattern, &found))) << pattern;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(error)) << pattern;
  }
}

TEST_F(WinsimFilesTest, TheRestartListIsKeptInTheRegistryAndCarriedOutAtTheRestart) {
  machine().files.AddFile("C:\\dir\\b.txt", "b");
  ASSERT_TRUE(MoveFileExA("C:/dir/../dir/a.txt", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  ASSERT_TRUE(MoveFileExA("C:\\dir\\b.txt", "C:\\dir\\c.txt", MOVEFILE_DELAY_UNTIL_REBOOT));
  const char kList[] = "\\??\\C:\\dir\\a.txt\0\0\\??\\C:\\dir\\b.txt\0\\??\\C:\\dir\\c.txt\0\0";
  const auto value = machine().registry.Value(HKEY_LOCAL_MACHINE, winsim::kSessionManagerKey,
                                              winsim::kPendingMovesValue);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(std::string(value->data.begin(), value->data.end()),
            std::string(kList, sizeof kList - 1));

  machine().registry.DenyAccess(HKEY_LOCAL_MACHINE, winsim::kSessionManagerKey, KEY_SET_VALUE);
  EXPECT_FALSE(MoveFileExA("C:\\dir", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine().Pending().size(), 2u);

  machine().Restart();
  EXPECT_EQ(machine().files.List("C:\\dir"), std::vector<std::string>{"c.txt"});
  EXPECT_TRUE(machine().Pending().empty());
  EXPECT_FALSE(machine().registry.Value(HKEY_LOCAL_MACHINE, winsim::kSessionManagerKey,
                                        winsim::kPendingMovesValue));
}

// Without an application name the command line's first name is the program: quoted, or
// the shortest run of words that names one, with ".exe" added, or a bare name in the
// system's directories.
TEST_F(WinsimFilesTest, AProgramIsFoundFromTheCommandLineAsWindowsSearchesForIt) {
  for (const char* program : {"C:\\two words\\run.exe", "C:\\WINNT\\tool.exe"})
    machine().files.AddFile(program);
  STARTUPINFOA startup{sizeof startup};
  for (const auto& [line, found] : {std::pair{"C:\\two words\\run.exe x", "C:\\two words\\run.exe"},
                                    std::pair{"\"C:\\two words\\run\" x", "C:\\two words\\run.exe"},
                                    std::pair{"tool x", "C:\\WINNT\\tool.exe"},
                                    std::pair{"C:\\two x", ""}, std::pair{"", ""}}) {
    std::string commandLine = line;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    EXPECT_EQ(started != FALSE, *found != '\0') << line;
    if (!started) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << line;
      continue;
    }
    EXPECT_EQ(machine().processes.launches.back().program, found);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

}  // namespace
