#include "program_groups.h"

#include <winsim/machine.h>

std::optional<bool> ProgramManagerHas(const std::string& group,
                                      const std::optional<std::string>& item) {
  const winsim::ProgramManager& programManager = winsim::machine().dde.programManager;
  return item ? programManager.HasItem(group, *item) : programManager.HasGroup(group);
}
