// The scenario files' reader, the answerer's choices and its log, and the verdict on a
// run's log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "observed.h"
#include "scenario.h"
#include "verdict.h"

namespace {

// Each test writes its files into a folder of its own, which goes with it.
class ScenarioFileTest : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(folder_);
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  const ::testing::UnitTest& run_ = *::testing::UnitTest::GetInstance();
  const std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
      ("scenario_file_test_" + std::to_string(run_.random_seed()) + "_" + run_.current_test_info()->name());
};

// What a scenario holds besides a fresh one's defaults, an entry for each thing read.
std::string Contents(const Scenario& s) {
  std::ostringstream out;
  const Scenario fresh;
  if (s.windows != fresh.windows)
    out << "windows " << s.version.major << '.' << s.version.minor << '.' << s.version.build
        << (s.version.nt ? " nt;" : " 9x;");
  if (s.variant != fresh.variant) out << "variant " << static_cast<int>(s.variant) << ';';
  if (s.exitCode != fresh.exitCode) out << "exit " << s.exitCode << ';';
  for (const auto& [word, text] : {std::pair{"app-path ", &s.appPath},
                                   {"caption ", &s.caption},
                                   {"log ", &s.log},
                                   {"winsim-only ", &s.winsimOnly},
                                   {"c-runtime ", &s.cRuntime}})
    if (!text->empty()) out << word << *text << ';';
  for (const ExpectedBox& box : s.cutRunBoxes) out << "cut run's box " << box.text << ';';
  if (s.powerCut) out << "power-cut " << static_cast<int>(*s.powerCut) << ';';
  if (s.secondCopyExit) out << "second-copy " << *s.secondCopyExit << ';';
  for (const ExpectedBox& box : s.boxes)
    out << "box " << box.pressed << '|' << box.buttons << '|' << box.text << ';';
  for (const auto& [word, list] : {std::pair{"trace ", &s.trace},
                                   {"pending ", &s.pending},
                                   {"launch ", &s.launches},
                                   {"hold ", &s.held}})
    for (const std::string& text : *list) out << word << text << ';';
  for (const auto& [word, list] :
       {std::pair{"key ", &s.keys}, {"file ", &s.files}, {"group ", &s.programGroups}})
    for (const StateExpectation& e : *list)
      out << word << (e.present ? "present " : "absent ") << e.path
          << (e.value ? " / " + *e.value : "") << ';';
  for (const SetupStep& step : s.setup)
    out << "setup " << step.kind << '/' << step.behaviour << '/' << step.name << ';';
  for (const SetupValue& value : s.setupValues)
    out << "setup value " << value.key << '/' << value.name << '/' << value.text << ';';
  for (const ComponentExpectation& c : s.components)
    out << c.kind << ' ' << c.state << '/' << c.name << ';';
  return out.str();
}

// Each line read alone after a comment and a blank line, with Windows' line ends. A
// line misread that would leave no check behind is here; the others (another platform,
// variant, launch or pending deletion) fail their scenario.
TEST_F(ScenarioFileTest, ReadsEveryKindOfLineWithTheWindowsDirectoryFilledIn) {
  Write("common.inc", "trace from the include\\n\r\nfile absent %WINDIR%\\tvsetup.log\r\n");
  const std::pair<const char*, std::string> lines[] = {
      {"windows nt351", "windows 3.51.1057 nt;"},
      {"install no-app-paths", "variant " + std::to_string(int(SampleVariant::kNoAppPaths)) + ";"},
      {"app-path %WINDIR%/", "app-path %WINDIR%/;"},  // as written: its spelling is tried
      {"caption In %WINDIR%", "caption In C:\\WINNT;"},
      {"box No Yes,No One\\nTwo in %WINDIR%\\\\", "box No|Yes,No|One\nTwo in C:\\WINNT\\;"},
      {"exit -1", "exit -1;"},
      {"trace EnableWholeDir=\\x20", "trace EnableWholeDir= ;"},
      {"trace A%MESSAGE:145%B %MESSAGE:2%",
       "trace AThe directory is not empty.\r\nB The system cannot find the file specified.\r\n;"},
      {"include common.inc", "trace from the include\n;file absent C:\\WINNT\\tvsetup.log;"},
      {"key absent HKLM\\SOFTWARE\\A", "key absent HKLM\\SOFTWARE\\A;"},
      {"value present HKLM\\Run|Varden Anti-Virus", "key present HKLM\\Run / Varden Anti-Virus;"},
      {"group absent Varden Anti-Virus", "group absent Varden Anti-Virus;"},
      {"item present Startup|Other Tool", "group present Startup / Other Tool;"},
      {"hold %WINDIR%\\in use.dat", "hold C:\\WINNT\\in use.dat;"},
      {"log %WINDIR%\\run.log", "log C:\\WINNT\\run.log;"},
      {"winsim-only no window", "winsim-only no window;"},
      {"c-runtime crtdll.dll", "c-runtime crtdll.dll;"},
      {"box Yes Yes,No First\r\npower-cut install-shield-end\r\nbox OK OK Second",
       "cut run's box First;power-cut 1;box OK|OK|Second;"},
      {"setup service slow Tessor Service", "setup service/slow/Tessor Service;"},
      {"setup program ignores VFW_MainWindow", "setup program/ignores/VFW_MainWindow;"},
      {"setup event-source Tessor Service", "setup event-source//Tessor Service;"},
      {"setup device WardelDev", "setup device//WardelDev;"},
      {"setup drive Q:\\notes.txt", "setup drive//Q:\\notes.txt;"},
      {"setup setting LogFile=%WINDIR%\\run.log", "setup setting//LogFile=C:\\WINNT\\run.log;"},
      {"setup value HKCU\\Shell Folders|My Files=%WINDIR%\\a=b %USERPROFILE%",
       "setup value HKCU\\Shell Folders/My Files/C:\\WINNT\\a=b %USERPROFILE%;"},
      {"setup value HKLM\\Run|=x", "setup value HKLM\\Run//x;"},
      {"service stopped Tessor Wardel", "service stopped/Tessor Wardel;"},
      {"window absent KVX95MainWnd", "window absent/KVX95MainWnd;"}};
  for (const auto& [line, contents] : lines) {
    std::string error;
    const std::optional<Scenario> scenario = LoadScenario(
        Write("run.txt", std::string("# comment\r\n\r\n") + line + "\r\n"), "C:\\WINNT", &error);
    ASSERT_TRUE(scenario) << line << ": " << error;
    EXPECT_EQ(scenario->name, "run");
    EXPECT_EQ(Contents(*scenario), contents) << line;
  }
  EXPECT_TRUE(WindowsVersionNamed("nt40")->nt);
}

TEST_F(ScenarioFileTest, NamesTheFileAndLineOfAMistake) {
  // An unknown word, a bad value, a missing part, a bad escape, a missing include.
  const std::pair<const char*, const char*> mistakes[] = {
      {"windows nt5\n", "unknown Windows version nt5"},
      {"answer Yes\n", "unknown line answer"},
      {"setup service fast Varden Tessor\n", "unknown behaviour of a service: fast"},
      {"exit six\n", "exit needs a number"},
      {"item absent Startup\n", "an item needs"},
      {"setup drive Q:\\Docs\\notes.txt\n", "setup drive needs"},
      {"setup value HKCR\\.TSX|=x\n", "setup value needs"},
      {"setup value HKCU\\Run|x\n", "setup value needs"},
      {"trace %MESSAGE:145\n", "message code"},
      {"power-cut install-shield-middle\n", "unknown power-cut moment install-shield-middle"},
      {"include missing.inc\n", "missing.inc:0: cannot be read"}};
  for (const auto& [line, problem] : mistakes) {
    const std::string path = Write("bad.txt", std::string("caption c\n") + line);
    std::string error;
    EXPECT_FALSE(LoadScenario(path, "C:\\WINNT", &error).has_value()) << line;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
    if (std::string(line).rfind("include", 0) != 0) {
      EXPECT_NE(error.find("bad.txt:2: "), std::string::npos) << error;
    }
  }
}

TEST(LogVerdict, TheLogMustBeTheTraceBetweenAFirstLineAndTheExitCodesLine) {
  Scenario scenario;
  scenario.log = "C:\\run.log";
  Observed observed;
  observed.exitCode = 6;
  observed.trace = {"Asking user...\n", "Unattended: removal prompt answered Yes.\n"};
  scenario.exitCode = observed.exitCode;
  scenario.trace = observed.trace;
  const std::string body =
      "Asking user...\nUnattended: removal prompt answered Yes.\nRun ended with exit code 6\n";
  const std::string first =
      "Run of tvuninst.exe 1.0.0.0 on PC at 1998-03-17 09:05:30, command line: x\n";
  struct Case {
    std::optional<std::string> log;
    std::size_t differences;
  };
  for (const Case& c : {Case{first + body, 0}, Case{std::nullopt, 1}, Case{body, 1},
                        Case{first + body.substr(15), 1}, Case{first + body + "more\n", 1}}) {
    observed.log = c.log;
    EXPECT_EQ(CompareRun(scenario, observed).size(), c.differences) << c.log.value_or("(none)");
  }
}

// A rerun after a power cut is held to a trace only when its scenario lists one; any
// other run always is.
TEST(RunVerdict, ARerunsTraceIsComparedOnlyWhenTheScenarioListsOne) {
  Scenario scenario;
  Observed observed;
  observed.trace = {"Checking OS version...\n"};
  EXPECT_EQ(CompareRun(scenario, observed).size(), 1u);
  scenario.powerCut = PowerCutMoment::kInstallShieldEnd;
  EXPECT_EQ(CompareRun(scenario, observed).size(), 0u);
  scenario.trace = {"Asking user...\n"};
  EXPECT_EQ(CompareRun(scenario, observed).size(), 1u);
}

// An unexpected box, or one with another caption, is closed with its last button. The
// buttons of each style the program shows are named by every scenario's boxes.
TEST(Answers, FollowTheScenarioAndNameTheButtonsOfEveryStyleInScreenOrder) {
  Scenario scenario;
  scenario.caption = "Caption";
  scenario.boxes = {{"Yes", "Yes,No", "first"}, {"Retry", "Abort,Retry,Ignore", "second"}};
  for (const auto& [index, caption, buttons, answer] :
       {std::tuple{0, "Caption", "Yes,No", "Yes"},
        std::tuple{1, "Caption", "Abort,Retry,Ignore", "Retry"},
        std::tuple{2, "Caption", "Yes,No,Cancel", "Cancel"}, std::tuple{0, "Other", "Yes,No", "No"},
        std::tuple{1, "Caption", "OK", "OK"}}) {
    EXPECT_EQ(ChooseAnswer(scenario, index, caption, buttons), answer)
        << index << caption << buttons;
  }
  for (int id = 1; id <= 7; ++id) EXPECT_EQ(ButtonId(ButtonName(id)), id);
  EXPECT_EQ(ButtonId("Help"), 0);
}

// A log without its exit code is a failed run, not an empty one.
TEST_F(ScenarioFileTest, TheAnswerersLogReadsBackAsWrittenAndOnlyWhenComplete) {
  const ObservedBox box{"Caption\twith tab", "Line one\nLine two \\", "Yes,No", "No"};
  Observed observed;
  std::string error;
  ASSERT_TRUE(
      ReadBoxLog(Write("boxes.log", BoxLogLine(box) + "\n" + ExitLogLine(-1) + "\nelapsed 812\n"),
                 &observed, &error))
      << error;
  EXPECT_EQ(observed.exitCode, -1);
  ASSERT_EQ(observed.boxes.size(), 1u);
  const ObservedBox& read = observed.boxes[0];
  EXPECT_EQ(std::tie(read.caption, read.text, read.buttons, read.pressed),
            std::tie(box.caption, box.text, box.buttons, box.pressed));
  for (const auto& [text, problem] : {std::pair{"timeout: the program did not end\n", "malformed"},
                                      std::pair{"", "exit code is missing"}}) {
    EXPECT_FALSE(ReadBoxLog(Write("bad.log", text), &observed, &error)) << text;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
  }
}

}  // namespace
