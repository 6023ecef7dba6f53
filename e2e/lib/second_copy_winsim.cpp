#include "second_copy.h"

#include <winsim/machine.h>

#include "uninstall/sequence.h"

// The program's own run, within the first copy's wait. The trace recorder follows the
// first copy only, as under Wine: what the second traces is not kept.
long RunSecondCopy() {
  std::vector<std::string>& pieces = winsim::machine().debug.pieces;
  const std::size_t traced = pieces.size();
  const long exitCode = RunUninstall("");
  pieces.resize(traced);
  return exitCode;
}
