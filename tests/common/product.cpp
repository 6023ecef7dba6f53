#include "common/product.h"


#include "winsim/text.h"

#include <utility>

namespace {

// What the setup did is not the run's: calls are counted, and conversations recorded,
// from here on.
void ForgetSetupCalls() {
  winsim::Machine& machine = winsim::machine();
  machine.faults = winsim::Faults{};
  for (const std::string& name : machine.services.Names()) {
    machine.services.Get(name)->starts = 0;
    machine.services.Get(name)->controls.clear();
  }
  winsim::ProgramManager programManager = std::move(machine.dde.programManager);
  machine.dde = winsim::Dde{};
  machine.dde.programManager = std::move(programManager);
}

// The main program and the agent program as they run, started at logon by the Run values
// or left running by the setup: each owns a window of its class and closes it soon after
// WM_QUIT.
struct ProductProgram {
  const char* file;
  const char* windowClass;
  DWORD closesAfterQuitMs;
};
const ProductProgram kProductPrograms[] = {{"TESSORNT.EXE", "VFW_MainWindow", 300}, {"VAGENT.EXE", "V-Agent", 800}};

}  // namespace

void InstallProduct(const SampleProduct& product) {
  winsim::Machine& machine = winsim::machine();
  for (const char* name : {"tvuninst.exe", "uninst.exe", "vduninst.exe", "sample.dat"})
    machine.files.AddFile(std::string("C:\\dist\\") + name, name);
  // Program Manager answers DDE only while it runs.
  if (product.withProgramGroups) machine.dde.programManager.running = true;
  machine.processes.Script(machine.system.windowsDirectory + "\\uninst.exe", {[](const winsim::Launch& launch) {
    RunInstallShieldUninstallerStandIn(launch.commandLine);
  }});
  for (const std::string& failure : InstallSampleProduct("C:\\dist", product))
    winsim::ReportFailure("the sample product did not install: " + failure);
  const std::string directory = product.inWindowsDirectory ? machine.system.windowsDirectory : product.directory;
  for (const ProductProgram& program : kProductPrograms) {
    machine.processes.Script(directory + "\\" + program.file, {[program](const winsim::Launch&) {
                               winsim::machine().desktop.StartProgram(program.windowClass, program.closesAfterQuitMs);
                             }});
  }
  ForgetSetupCalls();
}

std::vector<std::string> StartRunningParts(const std::vector<SetupStep>& steps) {
  // A stub program that quits does so soon after WM_QUIT; a slow service stays
  // stop-pending for a few queries with its checkpoint advancing.
  constexpr DWORD kQuitsAfterMs = 50;
  winsim::Machine& machine = winsim::machine();
  std::vector<std::string> failures;
  for (const SetupStep& step : steps) {
    if (step.kind == "service") {
      winsim::Service& service = machine.services.Install(step.name, SERVICE_RUNNING);
      // Its image where the Wine run's stub service is, in a folder of its own.
      machine.registry.SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\" + step.name, "ImagePath",
                                 "\"C:\\e2e\\fixtures\\e2e_service.exe\" " + step.behaviour, REG_EXPAND_SZ);
      if (step.behaviour == "slow") {
        service.onStop = {{SERVICE_STOP_PENDING, 1, 500},
                          {SERVICE_STOP_PENDING, 2, 500},
                          {SERVICE_STOP_PENDING, 3, 500},
                          {SERVICE_STOPPED, 0, 0}};
      } else if (step.behaviour == "refusing") {
        service.stopError = ERROR_INVALID_SERVICE_CONTROL;
      }
    } else if (step.kind == "program") {
      const std::optional<DWORD> closesAfterQuit =
          step.behaviour == "quits" ? std::optional<DWORD>(kQuitsAfterMs) : std::nullopt;
      machine.desktop.StartProgram(step.name, closesAfterQuit);
    } else if (step.kind == "event-source") {
      for (std::string& failure : InstallEventLogSource(step.name)) failures.push_back(failure);
    } else if (step.kind == "setting") {
      for (std::string& failure : SetProfileSetting(step.name)) failures.push_back(failure);
    } else if (step.kind == "drive") {
      machine.files.AddFile(step.name, "a file of the drive's own");  // and the drive
    } else {
      machine.files.devices.insert(winsim::Upper(step.name));  // kept in capitals
    }
  }
  ForgetSetupCalls();
  return failures;
}

void StartProductRunning() {
  winsim::ServiceManager& services = winsim::machine().services;
  services.Install("Varden Wardel", SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
  services.Install("Tessor Wardel", SERVICE_RUNNING).type = SERVICE_KERNEL_DRIVER;
  services.Install("Varden Tessor", SERVICE_RUNNING, {"Varden Wardel"});
  services.Install("Varden Mirel", SERVICE_RUNNING, {"Varden Wardel"});
  for (const std::string& failure : StartRunningParts({{"device", "", "WardelDev"},
                                                       {"service", "normal", "Tessor Anti-Virus Service"},
                                                       {"event-source", "", "Tessor Anti-Virus Service"}})) {
    winsim::ReportFailure(failure);
  }
  for (const ProductProgram& program : kProductPrograms) {
    winsim::machine().desktop.StartProgram(program.windowClass, program.closesAfterQuitMs);
  }
}
