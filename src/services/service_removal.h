// Stopping and deleting one service, and the dependency check of the on-access service.
#pragma once

// Stops and deletes a service given its key name. 0 when deleted; -1 the manager could
// not be opened, -2 the service, -3 its status could not be queried, -4 the stop
// request was refused, -5 the deletion was refused.
int RemoveServiceByName(const char* serviceName);

// 1 when the service has a dependent that is not among the tolerated names, or when
// that cannot be told; 0 when it has none, only tolerated ones, or does not exist.
int ServiceHasForeignDependents(const char* serviceName, const char* const* tolerated, int count);

// 1 when no service outside the product depends on the on-access service.
int OnAccessDriversRemovable();
