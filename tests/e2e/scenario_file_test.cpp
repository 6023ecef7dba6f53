// The scenario files' reader, the answerer's choices and its log.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "observed.h"
#include "scenario.h"
#include "verdict.h"

namespace {

class ScenarioFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("scenario_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::filesystem::path folder_;
};

TEST_F(ScenarioFileTest, ReadsEveryKindOfLineWithTheWindowsDirectoryFilledIn) {
  Write("common.inc", "trace from the include\\n\r\nfile absent %WINDIR%\\tvsetup.log\r\n");
  const std::string path = Write("run.txt",
                                 "# comment\n"
                                 "windows nt351\n"
                                 "install no-app-paths\n"
                                 "app-path %WINDIR%/\n"
                                 "caption The caption\n"
                                 "box No Yes,No Line one\\nLine two in %WINDIR%\\\\\n"
                                 "exit -1\n"
                                 "\n"
                                 "trace EnableWholeDir=\\x20\n"
                                 "include common.inc\n"
                                 "key absent HKLM\\SOFTWARE\\A\n"
                                 "value present HKLM\\Software\\Run|Varden Anti-Virus\n"
                                 "pending %WINDIR%\\tvuninst.exe\n"
                                 "launch uninst.exe -y -f\n");
  std::string error;
  std::optional<Scenario> scenario = LoadScenario(path, "C:\\WINNT", &error);
  ASSERT_TRUE(scenario) << error;
  EXPECT_EQ(scenario->name, "run");
  EXPECT_EQ(scenario->version.major, 3u);
  EXPECT_EQ(scenario->variant, SampleVariant::kNoAppPaths);
  EXPECT_EQ(scenario->appPath, "%WINDIR%/");  // handed to the installer as written
  ASSERT_EQ(scenario->boxes.size(), 1u);
  EXPECT_EQ(scenario->boxes[0].pressed, "No");
  EXPECT_EQ(scenario->boxes[0].buttons, "Yes,No");
  EXPECT_EQ(scenario->boxes[0].text, "Line one\nLine two in C:\\WINNT\\");
  EXPECT_EQ(scenario->exitCode, -1);
  EXPECT_EQ(scenario->trace, (std::vector<std::string>{"EnableWholeDir= ", "from the include\n"}));
  ASSERT_EQ(scenario->files.size(), 1u);
  EXPECT_FALSE(scenario->files[0].present);
  EXPECT_EQ(scenario->files[0].path, "C:\\WINNT\\tvsetup.log");
  ASSERT_EQ(scenario->keys.size(), 2u);
  EXPECT_FALSE(scenario->keys[0].value.has_value());
  EXPECT_EQ(scenario->keys[1].path, "HKLM\\Software\\Run");
  EXPECT_EQ(scenario->keys[1].value, "Varden Anti-Virus");
  EXPECT_EQ(scenario->pending, (std::vector<std::string>{"C:\\WINNT\\tvuninst.exe"}));
  EXPECT_EQ(scenario->launches, (std::vector<std::string>{"uninst.exe -y -f"}));
}

TEST_F(ScenarioFileTest, ReadsHeldFilesProgramGroupsAndSystemTexts) {
  const std::string path = Write("run.txt",
                                 "install program-groups\n"
                                 "hold %WINDIR%\\in use.dat\n"
                                 "group absent Varden Anti-Virus\n"
                                 "item present Startup|Other Tool\n"
                                 "trace A%MESSAGE:145%B %MESSAGE:2%\n");
  std::string error;
  std::optional<Scenario> scenario = LoadScenario(path, "C:\\WINNT", &error);
  ASSERT_TRUE(scenario) << error;
  EXPECT_EQ(scenario->variant, SampleVariant::kProgramGroups);
  EXPECT_EQ(scenario->held, (std::vector<std::string>{"C:\\WINNT\\in use.dat"}));
  ASSERT_EQ(scenario->programGroups.size(), 2u);
  EXPECT_FALSE(scenario->programGroups[0].present);
  EXPECT_EQ(scenario->programGroups[0].path, "Varden Anti-Virus");
  EXPECT_FALSE(scenario->programGroups[0].value.has_value());
  EXPECT_TRUE(scenario->programGroups[1].present);
  EXPECT_EQ(scenario->programGroups[1].path, "Startup");
  EXPECT_EQ(scenario->programGroups[1].value, "Other Tool");
  EXPECT_EQ(scenario->trace, (std::vector<std::string>{
                                 "AThe directory is not empty.\r\nB The system cannot find the "
                                 "file specified.\r\n"}));
}

TEST_F(ScenarioFileTest, ReadsTheRunningPartsAndWhatMustBecomeOfThem) {
  const std::string path = Write("parts.txt",
                                 "windows win95\n"
                                 "setup service slow Tessor Anti-Virus Service\n"
                                 "setup program ignores VFW_MainWindow\n"
                                 "setup event-source Tessor Anti-Virus Service\n"
                                 "setup device WardelDev\n"
                                 "setup drive Q:\\notes.txt\n"
                                 "setup setting LogFile=%WINDIR%\\run.log\n"
                                 "log %WINDIR%\\run.log\n"
                                 "service stopped Tessor Wardel\n"
                                 "window absent KVX95MainWnd\n");
  std::string error;
  std::optional<Scenario> scenario = LoadScenario(path, "C:\\WINNT", &error);
  ASSERT_TRUE(scenario) << error;
  EXPECT_FALSE(scenario->version.nt);
  EXPECT_EQ(scenario->version.build, 950u);
  ASSERT_EQ(scenario->setup.size(), 6u);
  EXPECT_EQ(scenario->setup[0].kind, "service");
  EXPECT_EQ(scenario->setup[0].behaviour, "slow");
  EXPECT_EQ(scenario->setup[0].name, "Tessor Anti-Virus Service");
  EXPECT_EQ(scenario->setup[1].behaviour, "ignores");
  EXPECT_EQ(scenario->setup[1].name, "VFW_MainWindow");
  EXPECT_EQ(scenario->setup[2].kind, "event-source");
  EXPECT_EQ(scenario->setup[2].name, "Tessor Anti-Virus Service");
  EXPECT_EQ(scenario->setup[3].name, "WardelDev");
  EXPECT_EQ(scenario->setup[4].kind, "drive");
  EXPECT_EQ(scenario->setup[4].name, "Q:\\notes.txt");
  EXPECT_EQ(scenario->setup[5].kind, "setting");
  EXPECT_EQ(scenario->setup[5].name, "LogFile=C:\\WINNT\\run.log");
  EXPECT_EQ(scenario->log, "C:\\WINNT\\run.log");
  ASSERT_EQ(scenario->components.size(), 2u);
  EXPECT_EQ(scenario->components[0].kind, "service");
  EXPECT_EQ(scenario->components[0].state, "stopped");
  EXPECT_EQ(scenario->components[0].name, "Tessor Wardel");
  EXPECT_EQ(scenario->components[1].kind, "window");
  EXPECT_EQ(scenario->components[1].state, "absent");
  EXPECT_TRUE(WindowsVersionNamed("nt40")->nt);
}

TEST_F(ScenarioFileTest, NamesTheFileAndLineOfAMistake) {
  const std::pair<const char*, const char*> mistakes[] = {
      {"windows nt5\n", "unknown Windows version nt5"},
      {"install elsewhere\n", "unknown install variant elsewhere"},
      {"box Yes\n", "a box needs"},
      {"exit six\n", "exit needs a number"},
      {"trace bad \\q\n", "bad escape"},
      {"trace %MESSAGE:x%\n", "message code"},
      {"trace %MESSAGE:145\n", "message code"},
      {"group gone Startup\n", "group needs present or absent"},
      {"item absent Startup\n", "an item needs"},
      {"file gone C:\\x\n", "file needs present or absent"},
      {"value absent HKLM\\Run\n", "a value needs"},
      {"answer Yes\n", "unknown line answer"},
      {"setup service fast Varden Tessor\n", "unknown behaviour of a service: fast"},
      {"setup program running V-Agent\n", "unknown behaviour of a program: running"},
      {"setup printer LPT1\n", "unknown setup printer"},
      {"setup device\n", "setup device needs a name"},
      {"setup setting Unattended\n", "setup setting needs <Key>=<value>"},
      {"setup drive notes.txt\n", "setup drive needs"},
      {"setup drive Q:\\Docs\\notes.txt\n", "setup drive needs"},
      {"app-path\n", "app-path needs a directory"},
      {"service paused Varden Tessor\n", "service needs a state and a name"},
      {"window running V-Agent\n", "window needs a state and a name"},
      {"include missing.inc\n", "missing.inc:0: cannot be read"},
  };
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
  const std::string body = "Asking user...\nUnattended: removal prompt answered Yes.\nRun ended with exit code 6\n";
  const std::string first = "Run of tvuninst.exe 1.0.0.0 on PC at 1998-03-17 09:05:30, command line: x\n";
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

TEST(Answers, FollowTheScenarioAndCloseAnUnexpectedBoxWithItsLastButton) {
  Scenario scenario;
  scenario.caption = "Caption";
  scenario.boxes = {{"Yes", "Yes,No", "first"}, {"Retry", "Abort,Retry,Ignore", "second"}};
  EXPECT_EQ(ChooseAnswer(scenario, 0, "Caption", "Yes,No"), "Yes");
  EXPECT_EQ(ChooseAnswer(scenario, 1, "Caption", "Abort,Retry,Ignore"), "Retry");
  EXPECT_EQ(ChooseAnswer(scenario, 2, "Caption", "Yes,No,Cancel"), "Cancel");  // no box expected
  EXPECT_EQ(ChooseAnswer(scenario, 0, "Other", "Yes,No"), "No");               // another caption
  EXPECT_EQ(ChooseAnswer(scenario, 1, "Caption", "OK"), "OK");                 // no such button
}

TEST(Answers, NameTheButtonsOfEveryStyleInScreenOrder) {
  EXPECT_EQ(ButtonsOfStyle(0x0), "OK");
  EXPECT_EQ(ButtonsOfStyle(0x2 | 0x30), "Abort,Retry,Ignore");  // icon bits do not matter
  EXPECT_EQ(ButtonsOfStyle(0x3), "Yes,No,Cancel");
  EXPECT_EQ(ButtonsOfStyle(0x4), "Yes,No");
  for (int id = 1; id <= 7; ++id) EXPECT_EQ(ButtonId(ButtonName(id)), id);
  EXPECT_EQ(ButtonId("Help"), 0);
}

TEST_F(ScenarioFileTest, TheAnswerersLogReadsBackAsWritten) {
  const ObservedBox box{"Caption\twith tab", "Line one\nLine two \\", "Yes,No", "No"};
  const std::string path =
      Write("boxes.log", BoxLogLine(box) + "\n" + ExitLogLine(-1) + "\nelapsed 812\n");
  Observed observed;
  std::string error;
  ASSERT_TRUE(ReadBoxLog(path, &observed, &error)) << error;
  EXPECT_EQ(observed.exitCode, -1);
  ASSERT_EQ(observed.boxes.size(), 1u);
  EXPECT_EQ(observed.boxes[0].caption, box.caption);
  EXPECT_EQ(observed.boxes[0].text, box.text);
  EXPECT_EQ(observed.boxes[0].buttons, box.buttons);
  EXPECT_EQ(observed.boxes[0].pressed, box.pressed);
}

TEST_F(ScenarioFileTest, ALogWithoutExitCodeIsAFailedRunNotAnEmptyOne) {
  Observed observed;
  std::string error;
  EXPECT_FALSE(ReadBoxLog(Write("a.log", "timeout: the program did not end\n"), &observed, &error));
  EXPECT_NE(error.find("malformed"), std::string::npos) << error;
  EXPECT_FALSE(ReadBoxLog(Write("b.log", ""), &observed, &error));
  EXPECT_NE(error.find("exit code is missing"), std::string::npos) << error;
}

}  // namespace
