// Benchmark, not a test: the tree removal's peak heap use on the simulated machine, for
// trees of 50 files per directory and a growing number of directories (2 000 to 200 000
// files). What the removal holds at once is one path and one listing per level of the
// tree, so its own peak is expected to stay flat while the number of files grows. The
// simulated listings are counted apart: they copy a whole directory, where Windows
// keeps a fixed buffer, and the top directory's grows with the number of directories.
//
//   tvbench_tree_memory
#include <winsim/machine.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "files/tree_removal.h"

namespace {

// Every allocation of the process carries its size in front of it.
constexpr std::size_t kHeader = alignof(std::max_align_t);
std::size_t live = 0;
std::size_t peak = 0;
std::size_t ownPeak = 0;  // less the simulated listings
bool measuring = false;

void* Allocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  // The removal's own share is taken before this block is counted: a block the
  // simulation allocates for a listing is only counted as the listing's once allocated.
  if (measuring) {
    const std::size_t own = live - winsim::machine().files.ListingBytes();
    if (own > ownPeak) ownPeak = own;
  }
  live += size;
  if (live > peak) peak = live;
  return block + kHeader;
}

void Release(void* pointer) {
  if (!pointer) return;
  auto* block = static_cast<unsigned char*>(pointer) - kHeader;
  live -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }

int main() {
  const std::string top = "C:\\Program Files\\Varden\\Anti-Virus";
  std::printf("%10s %12s %28s %28s\n", "files", "directories", "peak heap during removal",
              "of it the removal's own");
  for (int groups : {2, 20, 200}) {  // 20 directories each: 40, 400, 4 000
    winsim::Machine& machine = winsim::Reset();
    for (int g = 0; g < groups; ++g) {
      for (int s = 0; s < 20; ++s) {
        const std::string directory = top + "\\group" + std::to_string(g) +
                                      (s == 0 ? "" : "\\sub" + std::to_string(s));
        for (int f = 0; f < 50; ++f) {
          machine.files.AddFile(directory + "\\file" + std::to_string(f) + ".dat", "bench");
        }
      }
    }
    char directory[MAX_PATH];
    top.copy(directory, top.size());
    directory[top.size()] = '\0';
    const std::size_t before = live;
    peak = ownPeak = live;
    measuring = true;
    RemoveDirectoryTree(directory);
    measuring = false;
    if (machine.files.Exists(top)) {
      std::fprintf(stderr, "the tree was not removed\n");
      return 1;
    }
    std::printf("%10d %12d %22zu bytes %22zu bytes\n", groups * 20 * 50, groups * 20,
                peak - before, ownPeak - before);
  }
  return 0;
}
