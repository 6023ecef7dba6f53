// Benchmark, not a test: the uninstaller's tree removal against "cmd /c rmdir /s /q" on
// identical trees (by default 20 000 files in 400 directories), on the same machine in
// the same run. Each round builds both trees, removes them in turn (the order swapped
// every round) and prints the wall times; the last line gives the ratio of the totals.
//
//   tvbench_tree.exe WORKDIR [rounds] [files per directory]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/tree_removal.h"
#include "support/handles.h"

namespace {

constexpr int kGroups = 20;             // directories below the top
constexpr int kSubdirectories = 19;     // below each of them: 20 * (1 + 19) = 400

std::string Numbered(const char* prefix, int number) {
  return prefix + std::to_string(100 + number).substr(1);
}

bool MakeFiles(const std::string& directory, int files) {
  if (!CreateDirectoryA(directory.c_str(), nullptr)) return false;
  for (int i = 0; i < files; ++i) {
    const std::string path = directory + "\\" + Numbered("file", i) + ".dat";
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), "bench", 5, &written, nullptr)) return false;
  }
  return true;
}

bool MakeTree(const std::string& top, int filesPerDirectory) {
  if (!CreateDirectoryA(top.c_str(), nullptr)) return false;
  for (int g = 0; g < kGroups; ++g) {
    const std::string group = top + "\\" + Numbered("group", g);
    if (!MakeFiles(group, filesPerDirectory)) return false;
    for (int s = 0; s < kSubdirectories; ++s) {
      if (!MakeFiles(group + "\\" + Numbered("sub", s), filesPerDirectory)) return false;
    }
  }
  return true;
}

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimeTreeRemoval(const std::string& top) {
  char directory[MAX_PATH];
  if (top.size() >= sizeof directory) return -1;
  top.copy(directory, top.size());
  directory[top.size()] = '\0';
  const double start = Seconds();
  RemoveDirectoryTree(directory);
  return Seconds() - start;
}

double TimeRmdir(const std::string& top) {
  std::string commandLine = "cmd /c rmdir /s /q \"" + top + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = Seconds();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  KernelHandle processHandle(process.hProcess);
  KernelHandle threadHandle(process.hThread);
  WaitForSingleObject(processHandle.Get(), INFINITE);
  return Seconds() - start;
}

bool Gone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tvbench_tree WORKDIR [rounds] [files per directory]\n");
    return 2;
  }
  const std::string work = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const int filesPerDirectory = argc > 3 ? std::atoi(argv[3]) : 50;
  const int directories = kGroups * (1 + kSubdirectories);
  std::printf("tree: %d files in %d directories, %d rounds\n", directories * filesPerDirectory,
              directories, rounds);

  double programTotal = 0, rmdirTotal = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::string byProgram = work + "\\program" + std::to_string(round);
    const std::string byRmdir = work + "\\rmdir" + std::to_string(round);
    if (!MakeTree(byProgram, filesPerDirectory) || !MakeTree(byRmdir, filesPerDirectory)) {
      std::fprintf(stderr, "could not build the trees in %s (error %lu)\n", work.c_str(),
                   GetLastError());
      return 1;
    }
    double program, rmdir;
    if (round % 2 == 0) {
      program = TimeTreeRemoval(byProgram);
      rmdir = TimeRmdir(byRmdir);
    } else {
      rmdir = TimeRmdir(byRmdir);
      program = TimeTreeRemoval(byProgram);
    }
    if (program < 0 || rmdir < 0 || !Gone(byProgram) || !Gone(byRmdir)) {
      std::fprintf(stderr, "round %d: a tree was not removed\n", round + 1);
      return 1;
    }
    std::printf("round %d: RemoveDirectoryTree %.3f s, rmdir /s /q %.3f s\n", round + 1, program,
                rmdir);
    programTotal += program;
    rmdirTotal += rmdir;
  }
  std::printf("ratio RemoveDirectoryTree / rmdir /s /q: %.2f (target at most 1.20)\n",
              programTotal / rmdirTotal);
  return 0;
}
