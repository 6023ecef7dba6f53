#include "power_cut.h"

#include <windows.h>

// The runner sees the record's mark within a fraction of a second and ends every program
// of the prefix at once (wineserver -k). Should it never come, the stand-in goes on after
// a minute, and the scenario fails on what the run then did.
void LosePower() { Sleep(60000); }
