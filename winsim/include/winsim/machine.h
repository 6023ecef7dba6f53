// The simulated Windows machine that the program runs on in the native build.
// A test resets it, sets it up through the areas below, runs the program's routines or
// its whole WinMain, and reads back what happened.
#pragma once

#include <winsim/clock.h>
#include <winsim/dde.h>
#include <winsim/desktop.h>
#include <winsim/faults.h>
#include <winsim/filesystem.h>
#include <winsim/pending_moves.h>
#include <winsim/processes.h>
#include <winsim/registry.h>
#include <winsim/services.h>
#include <winsim/system.h>
#include <winsim/ui.h>

#include <functional>
#include <string>

namespace winsim {

struct Machine {
  SystemInfo system;
  Clock clock;
  Registry registry;
  FileSystem files;
  ServiceManager services;
  Processes processes;
  Ui ui;
  Dde dde;
  Desktop desktop;
  DebugOutput debug;
  Faults faults;

  // Every handle the program holds, of every kind.
  std::size_t OpenHandles() const;
  // The handles the program leaked: those open, less the one whose closing was made to fail.
  std::size_t LeakedHandles() const;
  // The machine's whole lasting state (registry, files, services, pending list, Program
  // Manager's groups), as text.
  std::string Snapshot() const;
  // The moves and deletions scheduled for the next restart (see pending_moves.h).
  std::vector<PendingMove> Pending() const { return PendingMoves(registry); }
  // What the system's start does: every program has ended and every handle it held is
  // gone (what it wrote and never flushed too, when the power was cut), the power is on,
  // the scheduled moves are carried out, the services are brought up as their start
  // types say, and the programs that the Run keys name start.
  void Restart();
};

Machine& machine();
// Replaces the machine with a fresh one: drive C:, the Windows directory, no product.
// Handles left open on the old machine are reported through the failure hook, if set.
Machine& Reset();

// Where winsim reports a misuse it cannot answer (an unexpected message box); tests
// route it into their framework. The default prints and aborts.
void SetFailureHook(std::function<void(const std::string&)> hook);
void ReportFailure(const std::string& message);

}  // namespace winsim
