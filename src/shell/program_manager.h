// Program Manager groups and items, removed over DDE (Windows NT 3.x).
#pragma once

int DeleteProgramGroup(const char* groupName);
int DeleteProgramItem(const char* groupName, const char* itemName);
