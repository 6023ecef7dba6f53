// What every fuzz target needs from the simulated machine: a fresh one per input whose
// message boxes all get an answer, and a stop that a sanitizer-instrumented fuzzer
// reports as a finding.
#pragma once

#include <winsim/machine.h>

#include <cstdio>
#include <cstdlib>

inline winsim::Machine& FreshMachine() {
  winsim::Machine& machine = winsim::Reset();
  machine.ui.answerer = [](const winsim::MessageBoxRecord&) { return IDOK; };
  return machine;
}

// A broken promise of the code under test: reported and stopped, as a crash would be.
#define FUZZ_CHECK(condition)                                                     \
  do {                                                                            \
    if (!(condition)) {                                                           \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                               \
    }                                                                             \
  } while (false)
