// Program Manager groups and items, removed over DDE (Windows NT 3.x).
#pragma once

// Asks Program Manager to delete the group `groupName`. 1 when DDE could be used at all;
// whether Program Manager carried the command out is not known.
int DeleteProgramGroup(const char* groupName);

// Asks Program Manager to delete the item `itemName` from the group `groupName`. 1 when
// DDE could be used at all; whether Program Manager carried the commands out is not known.
int DeleteProgramItem(const char* groupName, const char* itemName);
