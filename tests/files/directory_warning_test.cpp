// The product directory in every spelling an administrator's registry may hold: a seeded
// generator composes spellings of each target (device prefixes, separators, "." and ".."
// segments, trailing dots and blanks, letter case, 8.3 aliases, links, shares and SUBST
// drives, relative forms against a user's folder), and a whole run answering Yes to
// everything must keep to what the directory is, however it is spelled.
#include <winsim/text.h>

#include <algorithm>
#include <cctype>
#include <random>

#include "common/machine_test.h"
#include "common/product.h"
#include "files/directory_warning.h"
#include "files/tree_removal.h"
#include "reliability/whole_run.h"
#include "support/full_path.h"
#include "uninstall/sequence.h"

namespace {

const char kWindows[] = "C:\\OS\\WINNT";
const char kUserFolder[] = "C:\\Users\\admin";  // where the administrator starts the program
const std::string kProduct = SampleProduct().directory;

// The reasons a run traces before the warning, where the directory is not the product's
// for what the machine registers besides the system directories and the roots.
const char kInsideWindows[] = "VDAV directory lies inside the Windows directory: ";
const char kProgramsDirectory[] = "VDAV directory is or holds the programs' directory: ";
const char kUsersFolder[] = "VDAV directory is or holds a user's folder: ";
const char kOtherProgram[] = "VDAV directory holds another program: ";

struct Target {
  std::string path;            // what the directory is, as the machine names it
  bool dangerous;              // to be warned about
  const char* reason = nullptr;  // the reason traced before the warning, where there is one
};

const Target kTargets[] = {
    {kWindows, true},      {std::string(kWindows) + "\\system", true},
    {std::string(kWindows) + "\\system32", true},      {"C:\\OS", true},  // holds Windows
    {"C:", true},          {"D:", true},           {kProduct, false},
    {std::string(kWindows) + "\\Fonts", true, kInsideWindows},
    {"C:\\Program Files", true, kProgramsDirectory},
    {"C:\\Program Files\\Velmora", true, kOtherProgram},  // the vendor's common directory
    {"C:\\Users", true, kUsersFolder},  // the profiles
    {kUserFolder, true, kUsersFolder},   // a profile
    {"C:\\Users\\admin\\Documents", true, kUsersFolder},  // a shell folder
    {"C:\\Users\\Public", true, kUsersFolder},  // holds the common documents
    {"C:\\Tools", true, kOtherProgram},   // another program's App Paths entry
    {"C:\\Agents", true, kOtherProgram},  // services' images
    {"C:\\Setup", true, kOtherProgram},   // another program's uninstaller
    {"C:\\Users\\admin\\Apps\\Varden", false},  // the product in a user's folder
};

// Other names of a directory (its path as the machine names it, then the name).
const std::pair<const char*, const char*> kAliases[] = {
    {"C:", "\\\\HOST\\C$"},         {"C:\\OS", "C:\\Links\\OS"},
    {kWindows, "\\\\HOST\\ADMIN$"}, {kWindows, "W:"},
    {kWindows, "C:\\Links\\Windows"}, {"C:\\Program Files", "\\\\HOST\\PROGRAMS"},
    {"C:\\Program Files\\Varden", "P:"}, {"C:\\Program Files\\Varden\\Anti-Virus", "C:\\Links\\Product"},
    {"D:", "\\\\HOST\\D$"},         {"D:", "R:"},
    {"D:", "C:\\Links\\DRoot"},
};
const std::pair<const char*, const char*> kShortNames[] = {{"Program Files", "PROGRA~1"},
                                                           {"Anti-Virus", "ANTI-V~1"}};

// Everything that is not the product's, there before it: a Windows directory one level
// down, so that a directory holding it is not a root, a second drive, a user's folder.
void ForeignSoftware() {
  winsim::Machine& machine = winsim::machine();
  machine.system.windowsDirectory = kWindows;
  for (const char* file : {"C:\\OS\\boot.ini", "C:\\OS\\WINNT\\win.ini", "C:\\OS\\WINNT\\system\\a.drv",
                           "C:\\OS\\WINNT\\system32\\b.dll", "D:\\data\\keep.txt", "C:\\Users\\admin\\notes.txt",
                           "C:\\OS\\WINNT\\Fonts\\serif.fon", "C:\\Tools\\Other\\other.exe",
                           "C:\\Agents\\Net\\netagent.exe", "C:\\Agents\\Disk\\diskwatch.sys",
                           "C:\\Setup\\Other\\remove.exe"}) {
    machine.files.AddFile(file, "not the product's");
  }
  // Other programs' registered places, in the forms their setups and NT write them.
  winsim::Registry& registry = machine.registry;
  const std::string kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  // C:\Tools is named by the first directory of the Path alone.
  registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion + "\\App Paths\\OTHER.EXE", "", "C:\\Programs\\Other\\other.exe");
  registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion + "\\App Paths\\OTHER.EXE", "Path", "C:\\Tools;C:\\Programs\\Other");
  registry.SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\NetAgent", "ImagePath",
                     "\"C:\\Agents\\Net\\netagent.exe\" -service");
  registry.SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\DiskWatch", "ImagePath",
                     "\\??\\C:\\Agents\\Disk\\diskwatch.sys", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Beep", "ImagePath",
                     "System32\\drivers\\beep.sys", REG_EXPAND_SZ);
  registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion + "\\Uninstall\\Other", "UninstallString",
                     "C:\\Setup\\Other\\remove.exe /x");
  machine.files.currentDirectory = kUserFolder;
}

// The other names themselves, laid down with the product.
void OtherNames() {
  winsim::FileSystem& files = winsim::machine().files;
  for (const auto& [path, name] : kAliases) {
    const std::string alias = name;
    if (alias.rfind("\\\\", 0) == 0) {
      const std::size_t share = alias.find('\\', 2);
      files.AddShare(alias.substr(2, share - 2), alias.substr(share + 1), std::string(path) + "\\");
    } else if (alias.size() == 2) {
      files.AddSubstDrive(alias[0], std::string(path) + "\\");
    } else if (alias != path) {
      files.AddJunction(alias, std::string(path) + "\\");
    }
  }
  for (const auto& [name, shortName] : kShortNames) {
    files.SetShortName(name == std::string("Program Files") ? "C:\\Program Files" : kProduct, shortName);
  }
}

bool IsBelowOrSame(const std::string& path, const std::string& directory) {
  return path.size() >= directory.size() && winsim::SameName(path.substr(0, directory.size()), directory) &&
         (path.size() == directory.size() || path[directory.size()] == '\\');
}

std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names;
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

class Speller {
 public:
  explicit Speller(unsigned seed) : random_(seed) {}

  // A fully qualified spelling of `target`.
  std::string Qualified(const std::string& target) {
    std::string root = target.substr(0, 2);
    std::vector<std::string> rest = Names(target);
    rest.erase(rest.begin());
    std::vector<const std::pair<const char*, const char*>*> routes;
    for (const auto& alias : kAliases) {
      if (IsBelowOrSame(target, alias.first)) routes.push_back(&alias);
    }
    if (!routes.empty() && Chance(2)) {
      const auto& [path, name] = *routes[Pick(routes.size())];
      root = name;
      rest.erase(rest.begin(), rest.begin() + static_cast<long>(Names(path).size() - 1));
    }
    for (std::string& name : rest) {
      for (const auto& [longName, shortName] : kShortNames) {
        if (name == longName && Chance(2)) name = shortName;
      }
    }
    std::string spelled;
    if (root.rfind("\\\\", 0) == 0) {
      const std::string prefix = Pick({"", "\\\\?\\UNC\\", "//?/UNC/", "\\\\.\\UNC\\"});
      spelled = (prefix.empty() ? Pick({"\\\\", "//"}) : prefix) + Separated(root.substr(2));
    } else {
      spelled = Pick({"", "\\\\?\\", "\\\\.\\", "//?/", "//./", "\\\\?\\\\\\?\\"}) + root;
    }
    for (const std::string& name : rest) spelled += Segments() + Separator() + name;
    // Trailing dots and blanks go with a name; a root takes only separators and ".".
    spelled += rest.empty() ? Pick({"", "\\", "/", "\\\\", "\\.", "/./"}) : Pick({"", "\\", "/", ".", " ", ". ."});
    return Cased(spelled);
  }

  // A spelling that depends on a current directory, which the program must not take.
  std::string Relative(const std::string& target) {
    std::vector<std::string> from = Names(kUserFolder), to = Names(target);
    std::size_t common = 0;
    while (common < from.size() && common < to.size() && winsim::SameName(from[common], to[common])) ++common;
    if (common == 0) return to[0] + Pick({".", "x\\..", "data"});  // relative to drive D's own
    std::string up;
    for (std::size_t i = common; i < from.size(); ++i) up += "..\\";
    std::string down;
    for (std::size_t i = common; i < to.size(); ++i) down += to[i] + "\\";
    const std::string relative = up + down + ".";
    switch (Pick(3)) {
      case 0: return Cased(relative);
      case 1: return "C:" + relative;                                   // drive-relative
      default: return Cased(target.substr(2).empty() ? "\\" : target.substr(2));  // on the current drive
    }
  }

 private:
  bool Chance(unsigned in) { return Pick(in) == 0; }
  std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }
  std::string Pick(std::initializer_list<const char*> choices) { return choices.begin()[Pick(choices.size())]; }
  std::string Separator() { return Pick({"\\", "/", "\\\\", "//", "\\/"}); }
  std::string Separated(const std::string& text) {
    std::string out = text;
    if (Chance(2)) std::replace(out.begin(), out.end(), '\\', '/');
    return out;
  }
  std::string Segments() {
    std::string segments;
    while (Chance(4)) segments += Chance(2) ? Separator() + "." : Separator() + "x" + Separator() + "..";
    return segments;
  }
  std::string Cased(std::string text) {
    for (char& c : text) {
      if (std::isalpha(static_cast<unsigned char>(c)) && Chance(3)) c = static_cast<char>(c ^ 0x20);
    }
    return text;
  }

  std::mt19937 random_;
};

struct Case {
  const Target* target;  // none: a spelling that names no directory
  std::string spelling;
};

struct Outcome {
  RunRecord run;
  std::size_t leakedHandles = 0;
};

// A whole run over the product registered as `spelling`, with the restart that carries
// out what it scheduled; every box answered Yes (or OK).
Outcome RunRegisteredAs(const std::string& spelling, const Target* target) {
  SampleProduct product;
  if (target && !target->dangerous) product.directory = target->path;
  product.appPath = spelling;
  Outcome outcome;
  WholeRun run{.foreign = ForeignSoftware, .install = [&] { InstallProduct(product), OtherNames(); }};
  run.snapshot = [&] {
    outcome.leakedHandles += winsim::machine().LeakedHandles();
    winsim::machine().Restart();
    return winsim::machine().Snapshot();
  };
  outcome.run = RunOverInstall(run);
  return outcome;
}

// What is wrong with the run over `c`, if anything.
std::string Problem(const Case& c, const Outcome& outcome) {
  const RunRecord& run = outcome.run;
  if (outcome.leakedHandles > 0) return "handles left open";
  const std::vector<winsim::MessageBoxRecord>& boxes = winsim::machine().ui.boxes;
  const bool warned = !boxes.empty() && boxes[0].text.rfind(texts::kWarnDir1, 0) == 0;
  if (!c.target || c.spelling.size() >= MAX_PATH) {
    if (run.exitCode != kExitNoProductDirectory) return "not refused";
    return Lines(RunProblems(run));
  }
  if (c.target->dangerous) {
    if (!warned) return "no warning";
    const std::vector<std::string>& trace = winsim::machine().debug.pieces;
    // A share's or a drive's root is warned about as a root, without a reason traced.
    const bool root = IsRootDirectory(FullDirectoryPath(c.spelling.c_str()));
    if (c.target->reason && !root && std::find(trace.begin(), trace.end(), c.target->reason) == trace.end()) {
      return std::string("not traced: ") + c.target->reason;
    }
    if (run.exitCode != IDYES) return "exit code " + std::to_string(run.exitCode);
    for (const std::string& item : run.collateral.touched) {
      const std::size_t start = item.find(": ") + 2;
      if (!IsBelowOrSame(item.substr(start, item.find(" attr ", start) - start), c.target->path)) {
        return "touched " + item;
      }
    }
    return "";
  }
  if (warned) return "warned";
  if (run.exitCode != IDYES) return "exit code " + std::to_string(run.exitCode);
  for (const char* file : kSampleProductFiles) {
    if (winsim::machine().files.Exists(c.target->path + "\\" + file)) return std::string("left ") + file;
  }
  return Lines(RunProblems(run));
}

using DirectoryWarning = MachineTest;

TEST_F(DirectoryWarning, EverySpellingKeepsToWhatTheDirectoryIs) {
  const unsigned seed = 20261207;
  Speller speller(seed);
  std::vector<Case> cases;
  for (int round = 0; round < 100; ++round) {
    for (const Target& target : kTargets) {
      cases.push_back({&target, speller.Qualified(target.path)});
      if (round % 4 == 0) cases.push_back({nullptr, speller.Relative(target.path)});
    }
    cases.push_back({nullptr, speller.Relative(kUserFolder)});
  }
  for (const char* device : {"\\\\.\\PhysicalDrive0", "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\OS\\WINNT",
                             "\\??\\C:\\OS\\WINNT", "//./pipe/x", "\\\\?\\Volume{0}\\", "\\\\?\\UNC\\?\\C:\\OS"}) {
    cases.push_back({nullptr, device});
  }
  unsigned failures = 0;
  for (const Case& c : cases) {
    const std::string problem = Problem(c, RunRegisteredAs(c.spelling, c.target));
    if (!problem.empty() && ++failures <= 10) {
      ADD_FAILURE() << "seed " << seed << ", " << (c.target ? c.target->path : "no directory") << " spelled \""
                    << c.spelling << "\": " << problem;
    }
  }
  EXPECT_EQ(failures, 0u) << "of " << cases.size() << " spellings";
}

}  // namespace

// A Windows directory reached through a link: what holds it where it really is is warned
// about too, as far as the system can tell where links lead.
TEST_F(DirectoryWarning, TheWindowsDirectoryIsHeldWhereItReallyIs) {
  winsim::Machine& machine = winsim::machine();
  machine.files.AddFile("D:\\Real\\WINNT\\win.ini");
  machine.files.AddFile("D:\\Other\\keep.txt");
  machine.system.windowsDirectory = "C:\\Windows";
  machine.files.AddJunction("C:\\Windows", "D:\\Real\\WINNT\\");
  EXPECT_NE(DirectoryNeedsWarning("D:\\Real"), 0);
  EXPECT_EQ(DirectoryNeedsWarning("D:\\Other"), 0);
  machine.system.finalPathNameAvailable = false;  // NT 3.51 and 4.0: no links to follow
  EXPECT_EQ(DirectoryNeedsWarning("D:\\Real"), 0);
}
