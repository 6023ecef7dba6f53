// tvuninst.exe: a GUI program without a window. Everything it has to say goes through
// message boxes and the debug output.
#include <windows.h>

#include "uninstall/sequence.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int) {
  return RunUninstall(commandTail ? commandTail : "");
}
