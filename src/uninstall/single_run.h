// One run of the uninstaller at a time on the machine: two copies at once (a double
// click, a logon batch while someone runs it by hand) would each take the other's
// removal record and log for their own. The first copy holds a named mutex from its
// start to its end; the system lets it go when the copy ends, however it ends.
#pragma once

#include "support/handles.h"

class SingleRun {
 public:
  SingleRun();
  // True when another copy holds the mutex, or when the system cannot tell: this copy
  // is then to change nothing. The trace says which.
  bool Refused() const { return refused_; }

 private:
  KernelHandle mutex_;
  bool refused_ = false;
};
