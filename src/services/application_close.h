// Asking a program to quit, knowing it by the class of its window.
#pragma once

#include <windows.h>

// Results of CloseApplicationByClass.
constexpr int kCloseWindowWent = 0;
constexpr int kCloseNoWindow = 1;  // there was none to begin with
constexpr int kCloseTimedOut = 2;

constexpr DWORD kCloseTimeoutMs = 10000;

bool WindowOfClassExists(const char* windowClass);

// Posts WM_QUIT to the thread owning the first window of the class and waits, keeping
// this thread's own queue drained, until no window of the class is left or more than
// `timeoutMs` have passed.
int CloseApplicationByClass(const char* windowClass, DWORD timeoutMs);
