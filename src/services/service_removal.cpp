// Placeholder until the service removal is built: reports no service present.
#include "services/service_removal.h"

int RemoveServiceByName(const char*) { return -2; }

int ServiceHasForeignDependents(const char*, const char* const*, int) { return 0; }

int OnAccessDriversRemovable() { return 1; }
