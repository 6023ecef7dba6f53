// Placeholder until component stopping is built: reports nothing running.
#include "services/component_stop.h"

int StopRunningComponents(const ProfileTexts&, int) { return 0; }
