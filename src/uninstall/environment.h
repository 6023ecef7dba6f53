// What the sequence asks of the system before it starts, and the cursor it shows.
#pragma once

// 1 when the user may create services: the service control manager opens with create
// and lock rights.
int HasServiceManagerRights();

// Makes a system cursor (IDC_WAIT, IDC_ARROW) the current one.
void SetCursorShape(const char* cursorId);

// True when the system's major version is below 4, also when it cannot be read.
bool IsNt3Mode();
