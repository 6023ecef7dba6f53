// The whole run on a machine where the product's services and programs are running.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/machine_test.h"
#include "common/product.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

using Pieces = std::vector<std::string>;

const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kEventSource[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tessor Anti-Virus Service";

class WholeRunWithServicesTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ProductInstall install;
    install.withServices = true;
    InstallProduct(machine(), install);
  }
  int Run() {
    char tail[] = "";
    return WinMain(nullptr, nullptr, tail, 0);
  }
  bool ServiceGone(const char* name) {
    return machine().services.Get(name) == nullptr &&
           !machine().registry.KeyExists(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + name);
  }
  // The trace from the first piece equal to `from` up to, not including, `to`.
  Pieces TraceBetween(const std::string& from, const std::string& to) {
    auto begin = std::find(trace().begin(), trace().end(), from);
    auto end = std::find(begin, trace().end(), to);
    return Pieces(begin, end);
  }
};

TEST_F(WholeRunWithServicesTest, EverythingRunningAnsweredYesIsStoppedAndGone) {
  machine().ui.answerer = [](const winsim::MessageBoxRecord& box) {
    return (box.style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  };
  EXPECT_EQ(Run(), IDYES);

  EXPECT_FALSE(machine().desktop.HasWindow("VFW_MainWindow"));
  EXPECT_FALSE(machine().desktop.HasWindow("V-Agent"));
  ASSERT_NE(machine().services.Get("Tessor Wardel"), nullptr);
  EXPECT_EQ(machine().services.Get("Tessor Wardel")->status.state, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_TRUE(ServiceGone("Varden Tessor"));
  EXPECT_TRUE(ServiceGone("Varden Mirel"));
  EXPECT_TRUE(ServiceGone("Tessor Anti-Virus Service"));
  EXPECT_FALSE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kEventSource));
  for (const winsim::MessageBoxRecord& box : machine().ui.boxes) {
    EXPECT_NE(box.style, static_cast<UINT>(MB_ABORTRETRYIGNORE)) << box.text;
  }
  EXPECT_EQ(machine().OpenHandles(), 0u);

  EXPECT_EQ(TraceBetween("Check whether is there any WD dependencies....\n",
                         "Killing VDAV active parts running...\n"),
            (Pieces{"Check whether is there any WD dependencies....\n",
                    "Checking service dependencies for: ", "Varden Wardel", "\n",
                    "Open service manager...\n", "Open service...\n",
                    "Enumarate service dependencies...\n",
                    "Service doesn't have dependencies else VDAV's\n"}));
  const Pieces scanner = {"Service was found.\n", "Stopping service...\n", "Done.\n",
                          "Removing service... \n", "Service was removed sucessfully\n"};
  Pieces expected = {"Removing Tessor/mirel services...\n", "Searching for service: ", "Varden Tessor", "\n"};
  expected.insert(expected.end(), scanner.begin(), scanner.end());
  expected.insert(expected.end(), {"Searching for service: ", "Varden Mirel", "\n"});
  expected.insert(expected.end(), scanner.begin(), scanner.end());
  EXPECT_EQ(TraceBetween("Removing Tessor/mirel services...\n", "Removing VDAV registry keys...\n"),
            expected);
}

TEST_F(WholeRunWithServicesTest, OnWindows95TheAgentServiceIsLeftAloneAndTheMonitorClosed) {
  machine().system.platformId = VER_PLATFORM_WIN32_WINDOWS;
  machine().system.majorVersion = 4;
  machine().system.minorVersion = 10;
  const DWORD monitor = machine().desktop.ThreadOf(machine().desktop.StartProgram("KVX95MainWnd", 400));
  machine().ui.answerer = [](const winsim::MessageBoxRecord& box) {
    return (box.style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  };

  EXPECT_EQ(Run(), IDYES);

  EXPECT_EQ(machine().desktop.Thread(monitor)->quitsReceived, 1);
  EXPECT_FALSE(machine().desktop.HasWindow("KVX95MainWnd"));
  EXPECT_EQ(machine().services.Get("Tessor Wardel")->status.state, static_cast<DWORD>(SERVICE_RUNNING));
  ASSERT_NE(machine().services.Get("Tessor Anti-Virus Service"), nullptr);
  EXPECT_TRUE(machine().services.Get("Tessor Anti-Virus Service")->controls.empty());
  EXPECT_TRUE(machine().registry.KeyExists(HKEY_LOCAL_MACHINE, kEventSource));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(WholeRunWithServicesTest, IgnoreAtAStubbornMainProgramLeavesItRunningAndGoesOn) {
  machine().desktop = winsim::Desktop{};
  machine().desktop.StartProgram("VFW_MainWindow", std::nullopt);
  machine().ui.answerer = [](const winsim::MessageBoxRecord& box) {
    switch (box.style & MB_TYPEMASK) {
      case MB_YESNO:
        return IDYES;
      case MB_ABORTRETRYIGNORE:
        return IDIGNORE;
      default:
        return IDOK;
    }
  };

  EXPECT_EQ(Run(), IDYES);

  EXPECT_TRUE(machine().desktop.HasWindow("VFW_MainWindow"));
  EXPECT_EQ(std::count_if(machine().ui.boxes.begin(), machine().ui.boxes.end(),
                          [](const winsim::MessageBoxRecord& box) { return box.text == texts::kStopErrorMain; }),
            1);
  EXPECT_TRUE(ServiceGone("Varden Tessor"));
  EXPECT_TRUE(ServiceGone("Tessor Anti-Virus Service"));
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

TEST_F(WholeRunWithServicesTest, AbortAtAStubbornMainProgramEndsTheRunBeforeAnythingIsDeleted) {
  machine().desktop = winsim::Desktop{};
  machine().desktop.StartProgram("VFW_MainWindow", std::nullopt);
  const HWND agent = machine().desktop.StartProgram("V-Agent", 0);
  const std::string before = machine().Snapshot();
  machine().ui.answerer = [](const winsim::MessageBoxRecord& box) {
    return (box.style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDABORT;
  };

  EXPECT_EQ(Run(), 3);

  EXPECT_EQ(machine().ui.boxes.back().text, texts::kStopErrorMain);
  EXPECT_EQ(machine().Snapshot(), before);
  EXPECT_TRUE(machine().desktop.HasWindow("VFW_MainWindow"));
  EXPECT_EQ(machine().desktop.Thread(machine().desktop.ThreadOf(agent))->quitsReceived, 0);
  EXPECT_EQ(machine().ui.cursor, 32512);  // the arrow again
  EXPECT_EQ(trace().back(), "Uninstallation aborted by the user.\n");
  EXPECT_EQ(machine().OpenHandles(), 0u);
}

}  // namespace
