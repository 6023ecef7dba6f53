// Placeholder until the Program Manager conversation is built: Program Manager absent.
#include "shell/program_manager.h"

int DeleteProgramGroup(const char*) { return 1; }

int DeleteProgramItem(const char*, const char*) { return 1; }
