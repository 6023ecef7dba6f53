// Program Manager's groups and items as the machine keeps them. Wine's Program Manager
// (its DDE server) keeps a group as a folder of the Start Menu's programs folder and an
// item as a shortcut "<name>.lnk" in it; winsim keeps them in its Program Manager. Each
// backend builds its own reading; the checks of a scenario use only this.
#pragma once

#include <optional>
#include <string>

// Whether the group exists; with an item, whether the group holds that item. None when
// the machine cannot tell.
std::optional<bool> ProgramManagerHas(const std::string& group,
                                      const std::optional<std::string>& item);
